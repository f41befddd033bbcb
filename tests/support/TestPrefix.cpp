#include "support/TestPrefix.h"

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

struct TemporaryArea {
    std::string root;
    TemporaryArea() {
        char pattern[] = "/tmp/velmora-test-XXXXXX";
        root = mkdtemp(pattern) ? pattern : "/tmp";
        setenv("WINCOMPAT_PREFIX", (root + "/prefix").c_str(), 1);
    }
    ~TemporaryArea() {
        if (root != "/tmp" && !getenv("VELMORA_KEEP_TEST_FILES"))
            nftw(root.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
};

TemporaryArea& Area() {
    static TemporaryArea area;
    return area;
}

// Set the prefix before main() runs, so no test sees another one.
const bool prefixChosen = (Area(), true);

}  // namespace

const std::string& TestPrefixRoot() {
    static const std::string prefix = Area().root + "/prefix";
    return prefix;
}

std::string MakeTestFolder(const std::string& name) {
    static int counter = 0;
    std::string folder = Area().root + "/" + name + "-" + std::to_string(++counter);
    mkdir(folder.c_str(), 0777);
    return folder;
}
