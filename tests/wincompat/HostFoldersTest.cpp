// mkdir -p of the prefix's own folders: what exists is fine, what is missing
// is made level by level, and a file in the way is an error.
#include "prefix/HostFolders.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace {

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

TEST(HostFolders, MakesWhatIsMissingAndRefusesAFileInTheWay) {
    char area[] = "/tmp/host-folders-XXXXXX";
    ASSERT_NE(mkdtemp(area), nullptr);
    const std::string root = area;
    ASSERT_EQ(close(creat((root + "/file").c_str(), 0644)), 0);
    struct Case {
        std::string path;
        bool made;
        int error;  // errno when not made
    } cases[] = {
        {root, true, 0},                           // there already
        {root + "/a/b/c/d", true, 0},              // four levels missing
        {root + "/a/b/c/d/", true, 0},             // the same with a trailing slash
        {root + "/a/b/other", true, 0},            // beside what was made
        {root + "/file", true, 0},                 // a name in its place is accepted, as mkdir -p does
        {root + "/file/below", false, ENOTDIR},    // but not gone through
        {root + "/file/below/deeper", false, ENOTDIR},
        {"", false, ENOENT},
    };
    for (const Case& c : cases) {
        errno = 0;
        EXPECT_EQ(wincompat::MakeHostFolders(c.path), c.made) << c.path;
        if (!c.made) {
            EXPECT_EQ(errno, c.error) << c.path;
        }
    }
    EXPECT_TRUE(IsFolder(root + "/a/b/c/d"));
    EXPECT_TRUE(IsFolder(root + "/a/b/other"));
    ASSERT_EQ(system(("rm -rf '" + root + "'").c_str()), 0);
}
