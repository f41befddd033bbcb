// The unix folders the prefix's drive letters stand for, resolved once and
// again only when the prefix's dosdevices folder changes. Thread safe.
#pragma once

#include <string>
#include <vector>

namespace wincompat {

struct DriveRoot {
    char letter;       // 'a' to 'z'
    std::string root;  // resolved, without a trailing "/" except for "/"
};

std::vector<DriveRoot> DriveRoots(const std::string& prefixRoot);

}  // namespace wincompat
