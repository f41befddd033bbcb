// stats-server: receives install reports on 127.0.0.1, decrypts them with the
// report key set and stores each one in SQLite; --print lists what it holds.
#include "ReportEndpoint.h"
#include "ReportStore.h"
#include "ServerOptions.h"

#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr char kHost[] = "127.0.0.1";

int PrintReports(const std::string& path) {
    std::string error;
    std::unique_ptr<ReportStore> store = ReportStore::OpenExisting(path, error);
    if (!store) {
        fprintf(stderr, "stats-server: %s\n", error.c_str());
        return 1;
    }
    if (!store->Print(stdout)) {
        fprintf(stderr, "stats-server: %s holds no report table\n", path.c_str());
        return 1;
    }
    return 0;
}

// Blocked in every thread, taken by one waiting thread that stops the server.
sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

// Address reuse for a quick restart, but not the library's SO_REUSEPORT, which
// would let a second server share the port and split the reports.
void ExclusivePortOptions(int socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
}

int Bind(httplib::Server& server, int port) {
    server.set_socket_options(ExclusivePortOptions);
    if (port == 0) return server.bind_to_any_port(kHost);
    return server.bind_to_port(kHost, port) ? port : -1;
}

int Serve(const ServerOptions& options) {
    sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // before any thread starts
    std::string error;
    std::unique_ptr<ReportStore> store = ReportStore::Open(options.database, error);
    if (!store) {
        fprintf(stderr, "stats-server: %s\n", error.c_str());
        return 1;
    }

    httplib::Server server;
    AddReportEndpoint(server, *store);
    int port = Bind(server, options.port);
    if (port <= 0) {
        fprintf(stderr, "stats-server: cannot listen on %s:%d\n", kHost, options.port);
        return 1;
    }

    std::atomic<bool> signalled = false, listenEnded = false;
    std::thread stopper([&] {
        int received = 0;
        sigwait(&signals, &received);
        signalled = true;
        // stop() does nothing until the server runs.
        while (!server.is_running() && !listenEnded) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        server.stop();
    });
    printf("listening on %s:%d\n", kHost, port);
    fflush(stdout);
    bool listened = server.listen_after_bind();
    listenEnded = true;
    if (!signalled) pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return listened ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    ServerOptions options;
    std::string error;
    if (!ParseServerOptions(argc, argv, options, error)) {
        fprintf(stderr, "stats-server: %s\n%s", error.c_str(), kServerUsage);
        return 2;
    }
    return options.print ? PrintReports(options.database) : Serve(options);
}
