#include "ServerOptions.h"

#include <stdlib.h>
#include <string.h>

namespace {

bool ParsePort(const char* text, int& port) {
    char* end = nullptr;
    long value = strtol(text, &end, 10);
    if (!*text || *end || value < 0 || value > 65535) return false;
    port = static_cast<int>(value);
    return true;
}

}  // namespace

bool ParseServerOptions(int argc, char** argv, ServerOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool hasValue = i + 1 < argc;
        if (argument == "--print") {
            options.print = true;
        } else if (argument == "--port" && hasValue) {
            if (!ParsePort(argv[++i], options.port)) return error = "bad port: " + std::string(argv[i]), false;
        } else if (argument == "--db" && hasValue) {
            options.database = argv[++i];
        } else {
            return error = "unexpected argument: " + argument, false;
        }
    }
    if (options.database.empty()) return error = "--db FILE is required", false;
    return true;
}
