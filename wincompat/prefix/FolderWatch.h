// The process's inotify instance: tells which names appeared in or left the
// folders being watched, whoever changed them.
#pragma once

#include <functional>
#include <string_view>

namespace wincompat {

class FolderWatch {
public:
    enum class Change { Added, Removed, WatchEnded, Overflow };
    using Listener = std::function<void(int watch, Change change, std::string_view name)>;

    // Without watching, Watch always answers -1.
    explicit FolderWatch(bool watching = true);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches the folder open as folderFd; -1 when it cannot (no inotify, the
    // user's watch limit reached). The same folder always yields the same watch.
    int Watch(int folderFd);
    void Unwatch(int watch);

    // Reports every change queued since the last call, in order. Never blocks.
    void Drain(const Listener& listener);

private:
    int fd_ = -1;
};

}  // namespace wincompat
