// Every fuzz process works in a prefix of its own, chosen before the first
// input: the one run-fuzzer.sh names in WINCOMPAT_PREFIX (fresh for each run),
// else a temporary folder removed at exit. Never the user's ~/.wincompat.
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

struct FuzzPrefix {
    std::string temporary;
    FuzzPrefix() {
        if (getenv("WINCOMPAT_PREFIX")) return;
        char pattern[] = "/tmp/velmora-fuzz-XXXXXX";
        if (!mkdtemp(pattern)) abort();
        temporary = pattern;
        setenv("WINCOMPAT_PREFIX", (temporary + "/prefix").c_str(), 1);
    }
    ~FuzzPrefix() {
        if (!temporary.empty()) nftw(temporary.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
};

const FuzzPrefix prefix;

}  // namespace
