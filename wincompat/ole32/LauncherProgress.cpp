#include "ole32/LauncherProgress.h"

#include <gio/gio.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace wincompat {

namespace {

const char kInterface[] = "com.canonical.Unity.LauncherEntry";
const char kObjectPath[] = "/com/canonical/unity/launcherentry/";

// "application://<program>.desktop", after the running program's file name.
std::string ApplicationUri() {
    char path[4096] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    std::string program = length > 0 ? std::string(path, length) : "program";
    program = program.substr(program.find_last_of('/') + 1);
    return "application://" + program + ".desktop";
}

// A session bus this process may reach; connecting to none at all could
// otherwise start one through X11 autolaunch.
bool SessionBusConfigured() {
    if (const char* address = getenv("DBUS_SESSION_BUS_ADDRESS")) return *address != '\0';
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    struct stat info;
    return runtime && stat((std::string(runtime) + "/bus").c_str(), &info) == 0;
}

// The bus is reached on a thread of its own, so no caller waits for it. A
// bus that could not be reached is tried again with a later value.
class Publisher {
public:
    void Publish(double progress, bool visible) {
        if (!SessionBusConfigured()) return;
        std::lock_guard<std::mutex> lock(mutex_);
        progress_ = progress;
        visible_ = visible;
        pending_ = true;
        if (!running_ && std::chrono::steady_clock::now() >= retryAt_) StartPublishing();
        wake_.notify_one();
    }

private:
    // Called with mutex_ held. A thread that cannot be made (the process is at
    // its limit) is tried again later, as an unreachable bus is.
    void StartPublishing() {
        try {
            std::thread([this] { Run(); }).detach();
            running_ = true;
        } catch (const std::system_error&) {
            retryAt_ = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        }
    }

    void Run() {
        GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        if (!bus) {
            std::lock_guard<std::mutex> lock(mutex_);
            running_ = false;
            retryAt_ = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            return;
        }
        std::string uri = ApplicationUri();
        std::string path = kObjectPath + std::to_string(std::hash<std::string>{}(uri));
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return pending_; });
            pending_ = false;
            double progress = progress_;
            bool visible = visible_;
            lock.unlock();
            Emit(bus, uri, path, progress, visible);
        }
    }

    static void Emit(GDBusConnection* bus, const std::string& uri, const std::string& path, double progress,
                     bool visible) {
        GVariantBuilder properties;
        g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&properties, "{sv}", "progress", g_variant_new_double(progress));
        g_variant_builder_add(&properties, "{sv}", "progress-visible", g_variant_new_boolean(visible));
        GVariant* parameters = g_variant_new("(sa{sv})", uri.c_str(), &properties);
        g_dbus_connection_emit_signal(bus, nullptr, path.c_str(), kInterface, "Update", parameters, nullptr);
        g_dbus_connection_flush_sync(bus, nullptr, nullptr);
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;
    std::chrono::steady_clock::time_point retryAt_;
    bool pending_ = false;
    double progress_ = 0;
    bool visible_ = false;
};

}  // namespace

void PublishLauncherProgress(double progress, bool visible) {
    static Publisher* publisher = new Publisher;  // lives as long as its thread
    publisher->Publish(progress, visible);
}

}  // namespace wincompat
