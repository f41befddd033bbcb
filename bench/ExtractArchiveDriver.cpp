// Runs ExtractArchive once: extract-archive ARCHIVE FOLDER (unix paths, seen
// through drive Z:). Exit code: the ExtractResult (14 on success).
#include "install/PayloadExtraction.h"

#include <string>

namespace {

std::wstring DosPath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    return static_cast<int>(ExtractArchive(DosPath(argv[1]), DosPath(argv[2]), nullptr, nullptr));
}
