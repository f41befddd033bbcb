// The hive reader on any bytes: it never fails, and what it keeps is written
// back in a form that reads again without damage and writes the same text.
#include "prefix/RegistryFormat.h"

#include "FuzzCheck.h"

#include <stddef.h>
#include <stdint.h>

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace wincompat;
    ParseReport report;
    RegistryKey root = ParseHive(std::string_view(reinterpret_cast<const char*>(data), size), report);
    std::string written = FormatHive(root, Hive::LocalMachine);

    ParseReport reread;
    RegistryKey again = ParseHive(written, reread);
    FuzzCheck(!reread.Damaged(), "a written hive reads without damage");
    FuzzCheck(FormatHive(again, Hive::LocalMachine) == written, "a written hive writes back the same text");
    return 0;
}
