// The archive item-path check on any path: an item it lets through, put
// below the output folder, has a full path that stays in it.
#include "install/SevenZipItemPath.h"

#include <windows.h>

#include "FuzzCheck.h"
#include "FuzzInput.h"

#include <string>

namespace {

const wchar_t kOutput[] = L"C:\\Program Files (x86)\\Velmora\\";

bool StaysInOutput(const std::wstring& item) {
    std::wstring joined = kOutput + item;
    WCHAR full[4 * MAX_PATH];
    const DWORD capacity = sizeof(full) / sizeof(full[0]);
    DWORD length = GetFullPathNameW(joined.c_str(), capacity, full, nullptr);
    if (length == 0 || length >= capacity) return true;  // no path to write to
    std::wstring_view output(kOutput), path(full, length);
    return path.starts_with(output) || path == output.substr(0, output.size() - 1);  // "." is the folder itself
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::wstring item = WideFromBytes(input.Text('\0'));
    sevenzip::ParentOfPath(item);
    if (!sevenzip::IsContainedItemPath(item)) return 0;
    FuzzCheck(StaysInOutput(item), "an accepted item path stays in the output folder");
    return 0;
}
