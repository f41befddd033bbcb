#include "prefix/HostFolders.h"

#include <errno.h>
#include <sys/stat.h>

namespace wincompat {

namespace {

constexpr int kMaxDepth = 256;  // deeper than any path PATH_MAX allows

bool Make(const std::string& path, int depth) {
    if (mkdir(path.c_str(), 0777) == 0 || errno == EEXIST) return true;
    if (errno != ENOENT || depth >= kMaxDepth) return false;
    size_t end = path.find_last_not_of('/');
    size_t slash = end == std::string::npos ? std::string::npos : path.rfind('/', end);
    if (slash == std::string::npos || slash == 0) return false;  // nothing above left to make
    if (!Make(path.substr(0, slash), depth + 1)) return false;
    return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

}  // namespace

bool MakeHostFolders(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    return Make(path, 0);
}

}  // namespace wincompat
