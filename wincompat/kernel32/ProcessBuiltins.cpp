#include "kernel32/ProcessBuiltins.h"

#include "prefix/BuiltinPlaceholders.h"

#include <stdlib.h>
#include <sys/stat.h>

namespace wincompat {

namespace {

std::string ToolsFolder() {
    if (const char* tools = getenv("WINCOMPAT_TOOLS_DIR"); tools && *tools) return tools;
    return WINCOMPAT_DEFAULT_TOOLS_DIR;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

bool ProgramToRun(const std::string& found, std::string& program) {
    std::string builtin = BuiltinProgramOf(found.substr(found.rfind('/') + 1));
    if (builtin.empty() || !IsBuiltinPlaceholder(found)) {
        program = found;
        return true;
    }
    std::string candidate = ToolsFolder() + "/" + builtin;
    if (!IsRegularFile(candidate)) return false;
    program = candidate;
    return true;
}

}  // namespace wincompat
