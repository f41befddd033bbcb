// The shell-link reader on any bytes: a link it reads, written again by the
// writer, reads back with the same settings and strings.
#include "shell32/ShellLinkFormat.h"

#include "FuzzCheck.h"

#include <stddef.h>
#include <stdint.h>

#include <string_view>

namespace {

bool SameSettings(const wincompat::ShellLinkData& a, const wincompat::ShellLinkData& b) {
    return a.description == b.description && a.relativePath == b.relativePath &&
           a.workingDirectory == b.workingDirectory && a.arguments == b.arguments && a.iconPath == b.iconPath &&
           a.iconIndex == b.iconIndex && a.showCommand == b.showCommand && a.hotkey == b.hotkey;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace wincompat;
    ShellLinkData link;
    if (!DecodeShellLink(std::string_view(reinterpret_cast<const char*>(data), size), link)) return 0;
    ShellLinkData again;
    FuzzCheck(DecodeShellLink(EncodeShellLink(link), again), "a written link reads");
    FuzzCheck(SameSettings(link, again), "a written link keeps what was read");
    return 0;
}
