// One directory search of FindFirstFileW: the matching names of a folder,
// listed when the search starts and described one by one as it advances.
#pragma once

#include <windows.h>

#include "kernel32/Handles.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace wincompat {

class FindFileSearch : public KernelObject {
public:
    // Lists the entries of the folder (a full DOS path, unixFolder its unix
    // path) whose names match mask. On failure, null with *error set:
    // ERROR_PATH_NOT_FOUND, ERROR_DIRECTORY, ERROR_ACCESS_DENIED, or
    // ERROR_FILE_NOT_FOUND when nothing matches.
    static std::shared_ptr<FindFileSearch> Start(const std::wstring& dosFolder, const std::string& unixFolder,
                                                 std::wstring_view mask, DWORD* error);

    // Describes the next entry that still exists; false after the last.
    bool Next(WIN32_FIND_DATAW& data);

private:
    FindFileSearch(std::string unixFolder, std::vector<std::string> names);

    std::string unixFolder_;
    std::vector<std::string> names_;
    size_t next_ = 0;
};

// The entry of the unix path under the given name; false when it is gone.
bool DescribeFindEntry(const std::string& unixPath, std::wstring_view name, WIN32_FIND_DATAW& data);

}  // namespace wincompat
