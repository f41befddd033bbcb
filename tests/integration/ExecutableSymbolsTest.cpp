// The installer exports nothing of its own: 7-Zip's library, loaded into the
// process, would otherwise bind its calls of GetLastError, SysAllocString and
// the like to our functions of the same name instead of its own.
#include "support/ProcessRunner.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace {

// Data of a shared library that the executable uses is copied into it at
// load time (a copy relocation) and exported under the library's own name:
// the library's symbol, not ours.
std::set<std::string> CopyRelocatedSymbols(const std::string& file) {
    ProcessResult relocations = RunProcess({"/usr/bin/readelf", "-rW", file});
    std::set<std::string> names;
    std::istringstream lines(relocations.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find("R_X86_64_COPY") == std::string::npos) continue;
        std::istringstream fields(line);
        std::string offset, info, type, value, name;
        fields >> offset >> info >> type >> value >> name;
        names.insert(name.substr(0, name.find('@')));
    }
    return names;
}

}  // namespace

TEST(ExecutableSymbols, OnlyVersionedRuntimeCopiesAreExported) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "a sanitizer build exports the sanitizer runtime's interceptors";
#endif
    ProcessResult nm = RunProcess({"/usr/bin/nm", "-D", "--defined-only", BuildFile("velmora-setup")});
    ASSERT_EQ(nm.exitCode, 0) << nm.errors;
    std::set<std::string> copied = CopyRelocatedSymbols(BuildFile("velmora-setup"));
    const std::set<std::string> linkerDefined = {"_end", "_edata", "__bss_start"};
    std::istringstream lines(nm.output);
    std::string line;
    int exported = 0;
    while (std::getline(lines, line)) {
        std::string name = line.substr(line.rfind(' ') + 1);
        // Versioned names are libstdc++'s and glibc's copies; the rest must be
        // copies of another library's data or the linker's own markers.
        bool foreign = name.find('@') != std::string::npos || copied.count(name) || linkerDefined.count(name);
        EXPECT_TRUE(foreign) << "exported: " << name;
        ++exported;
    }
    EXPECT_GT(exported, 0);
}
