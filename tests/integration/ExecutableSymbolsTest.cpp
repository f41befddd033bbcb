// The installer exports nothing of its own: 7-Zip's library, loaded into the
// process, would otherwise bind its calls of GetLastError, SysAllocString and
// the like to our functions of the same name instead of its own.
#include "support/ProcessRunner.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(ExecutableSymbols, OnlyVersionedRuntimeCopiesAreExported) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "a sanitizer build exports the sanitizer runtime's interceptors";
#endif
    ProcessResult nm = RunProcess({"/usr/bin/nm", "-D", "--defined-only", BuildFile("velmora-setup")});
    ASSERT_EQ(nm.exitCode, 0) << nm.errors;
    std::istringstream lines(nm.output);
    std::string line;
    int exported = 0;
    while (std::getline(lines, line)) {
        std::string name = line.substr(line.rfind(' ') + 1);
        // Copy relocations of libstdc++ and glibc data carry a version; anything else is ours.
        EXPECT_NE(name.find('@'), std::string::npos) << "exported: " << name;
        ++exported;
    }
    EXPECT_GT(exported, 0);
}
