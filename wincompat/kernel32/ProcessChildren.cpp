#include "kernel32/ProcessChildren.h"

#include <errno.h>
#include <sys/wait.h>

#include <map>
#include <mutex>

namespace wincompat {

namespace {

struct Child {
    int references = 0;
    bool reaped = false;
    int status = 0;
    std::optional<DWORD> imposed;
};

struct ChildTable {
    std::mutex mutex;
    std::map<pid_t, Child> children;
};

ChildTable& Table() {
    static ChildTable* table = new ChildTable;  // handles may be closed during exit
    return *table;
}

// With the table locked. ECHILD (someone else reaped it) counts as ended,
// with the status of a plain exit 0.
void TryReap(pid_t pid, Child& child) {
    if (child.reaped) return;
    int status = 0;
    pid_t result;
    do {
        result = waitpid(pid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) return;
    child.reaped = true;
    child.status = result == pid ? status : 0;
}

}  // namespace

void RetainChild(pid_t pid) {
    ChildTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    ++table.children[pid].references;
}

bool RetainIfChild(pid_t pid) {
    ChildTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.children.find(pid);
    if (found == table.children.end()) return false;
    ++found->second.references;
    return true;
}

void ReleaseChild(pid_t pid) {
    ChildTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.children.find(pid);
    if (found == table.children.end()) return;
    Child& child = found->second;
    if (--child.references > 0) return;
    TryReap(pid, child);
    if (child.reaped) table.children.erase(found);
}

std::optional<ChildEnd> ChildEnded(pid_t pid) {
    ChildTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.children.find(pid);
    if (found == table.children.end()) return std::nullopt;
    Child& child = found->second;
    TryReap(pid, child);
    if (!child.reaped) return std::nullopt;
    return ChildEnd{child.status, child.imposed};
}

void NoteChildTerminated(pid_t pid, DWORD exitCode) {
    ChildTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.children.find(pid);
    if (found != table.children.end() && !found->second.imposed) found->second.imposed = exitCode;
}

void ReapOrphans() {
    ChildTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (auto it = table.children.begin(); it != table.children.end();) {
        if (it->second.references <= 0) TryReap(it->first, it->second);
        it = it->second.references <= 0 && it->second.reaped ? table.children.erase(it) : std::next(it);
    }
}

}  // namespace wincompat
