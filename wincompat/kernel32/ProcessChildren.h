// The children this process started with CreateProcessW. A child's exit
// status can be collected (waitpid) only once, by its parent; this table
// collects it for every handle to the child and keeps it while any handle
// refers to it. A child whose handles are all closed before it ends is
// reaped later (ReapOrphans), so that it does not stay a zombie.
#pragma once

#include <windef.h>

#include <sys/types.h>

#include <optional>

namespace wincompat {

// Called once per child by its creator, and by every handle opened to it.
void RetainChild(pid_t pid);
// True when pid is a child in the table; the handle then holds a reference.
bool RetainIfChild(pid_t pid);
void ReleaseChild(pid_t pid);

struct ChildEnd {
    int waitStatus = 0;
    std::optional<DWORD> imposedExitCode;  // given to TerminateProcess
};

// How the child ended (reaping it then); nothing while it runs, or for a pid
// that is not a child in the table.
std::optional<ChildEnd> ChildEnded(pid_t pid);

// TerminateProcess's exit code, for ChildEnded to report; the first one counts.
void NoteChildTerminated(pid_t pid, DWORD exitCode);

// Reaps children that ended after their last handle was closed.
void ReapOrphans();

}  // namespace wincompat
