// Minidumps of the own process: the header and the streams a debugger needs.
#include "Harness.h"
#include "Scratch.h"

#include <dbghelp.h>
#include <string.h>

#include <set>
#include <string>

using namespace conformance;

namespace {

// A dump copies the thread's stack, redzones and all, which an
// AddressSanitizer build reports as a bad read.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kStackIsPoisoned = true;
#else
constexpr bool kStackIsPoisoned = false;
#endif

unsigned Little32(const std::string& bytes, size_t offset) {
    if (offset + 4 > bytes.size()) return 0;
    unsigned value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

}  // namespace

CONFORMANCE_CASE(Dumps, OwnProcessDump) {
    if (kStackIsPoisoned) SKIP_CASE("the sanitizer's redzones on the stack make the dump's copy of it a reported read");
    std::wstring path = CaseFolder(L"Dumps.OwnProcessDump") + L"\\own.dmp";
    {
        Opened file = Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
        REQUIRE(file.handle.valid());
        CHECK(MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file.handle.get(), MiniDumpNormal,
                                nullptr, nullptr, nullptr));
    }
    std::string bytes = ReadBytes(path);
    REQUIRE(bytes.size() >= 32);
    CHECK_EQ(bytes.substr(0, 4), std::string("MDMP"));
    CHECK_EQ(Little32(bytes, 4) & 0xFFFF, 0xA793u);
    unsigned streams = Little32(bytes, 8), directory = Little32(bytes, 12);
    std::set<unsigned> types;
    for (unsigned i = 0; i < streams; ++i) types.insert(Little32(bytes, directory + 12 * i));
    for (unsigned required : {3u, 4u, 7u})  // thread list, module list, system information
        CHECK(types.count(required) == 1);
}
