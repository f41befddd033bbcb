// The profile-file parser on any bytes in any encoding: the queries the
// profile API makes, then edits whose outcome the queries must show.
#include "kernel32/ProfileFile.h"

#include <windows.h>

#include "FuzzCheck.h"
#include "FuzzInput.h"

namespace {

const UINT kCodePages[] = {936, 1252, CP_UTF8, 20127};

void QueryFirstSection(const wincompat::ProfileFile& file, const std::vector<std::wstring>& sections) {
    if (sections.empty()) return;
    const std::wstring& section = sections.front();
    std::optional<std::vector<std::wstring>> keys = file.KeyNames(section);
    FuzzCheck(keys.has_value(), "a listed section has keys to list");
    file.Entries(section);
    if (!keys->empty()) FuzzCheck(file.Value(section, keys->front()).has_value(), "a listed key has a value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using wincompat::ProfileFile;
    FuzzInput input(data, size);
    uint8_t setting = input.Byte();
    ProfileFile file(input.Rest(), kCodePages[setting % 4]);
    std::vector<std::wstring> sections = file.SectionNames();
    file.SectionNames(setting);  // a small budget, as a short caller buffer gives
    QueryFirstSection(file, sections);

    file.SetValue(L"FuzzSection", L"FuzzKey", L"fuzz value");
    FuzzCheck(file.Value(L"FuzzSection", L"FuzzKey") == std::wstring(L"fuzz value"), "a written key reads back");
    file.DeleteKey(L"FuzzSection", L"FuzzKey");
    FuzzCheck(!file.Value(L"FuzzSection", L"FuzzKey"), "a deleted key is gone");
    if (!sections.empty()) {
        file.DeleteSection(sections.front());
        FuzzCheck(!file.KeyNames(sections.front()), "a deleted section is gone");
    }
    return 0;
}
