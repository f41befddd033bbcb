// The command line of stats-server.
#pragma once

#include <string>

struct ServerOptions {
    int port = 18080;  // 0 lets the system choose; the chosen port is printed
    std::string database;
    bool print = false;  // list the stored reports and exit
};

constexpr const char kServerUsage[] = "usage: stats-server [--port N] --db FILE [--print]\n";

// False with a message for an unknown argument, a bad port or a missing --db.
bool ParseServerOptions(int argc, char** argv, ServerOptions& options, std::string& error);
