// inotify behind FolderWatch. Events are queued by the changing system call
// before it returns, so after Drain every completed change has been reported.
#include "prefix/FolderWatch.h"

#include <limits.h>
#include <stdio.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace wincompat {

namespace {

constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr size_t kLongestEvent = sizeof(inotify_event) + NAME_MAX + 1;

FolderWatch::Change ChangeOf(uint32_t mask) {
    if (mask & (IN_CREATE | IN_MOVED_TO)) return FolderWatch::Change::Added;
    if (mask & (IN_DELETE | IN_MOVED_FROM)) return FolderWatch::Change::Removed;
    return FolderWatch::Change::WatchEnded;
}

}  // namespace

FolderWatch::FolderWatch(bool watching) : fd_(watching ? inotify_init1(IN_NONBLOCK | IN_CLOEXEC) : -1) {}

FolderWatch::~FolderWatch() {
    if (fd_ >= 0) close(fd_);
}

int FolderWatch::Watch(int folderFd) {
    if (fd_ < 0) return -1;
    // The descriptor's own link names exactly the folder that was opened and
    // read, even if its path now leads elsewhere.
    char link[32];
    snprintf(link, sizeof link, "/proc/self/fd/%d", folderFd);
    // A folder that moves keeps its watch and its names; IN_IGNORED (always
    // sent) says the watch ended: the folder was deleted or unmounted.
    return inotify_add_watch(fd_, link, kNameEvents | IN_ONLYDIR);
}

void FolderWatch::Unwatch(int watch) {
    if (fd_ >= 0 && watch >= 0) inotify_rm_watch(fd_, watch);
}

void FolderWatch::Drain(const Listener& listener) {
    if (fd_ < 0) return;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        ssize_t length = read(fd_, buffer, sizeof buffer);
        if (length <= 0) return;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) listener(-1, Change::Overflow, {});
            else if (event->mask & (kNameEvents | IN_IGNORED))
                listener(event->wd, ChangeOf(event->mask), event->len ? event->name : "");
        }
        // A read that left room for the longest event emptied the queue.
        if (static_cast<size_t>(length) + kLongestEvent <= sizeof buffer) return;
    }
}

}  // namespace wincompat
