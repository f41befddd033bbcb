// Which processes belong to this machine. As Wine's per-prefix server knows
// only the processes of its prefix, the process list and OpenProcess see only
// the processes of this process's prefix; any other id is as good as unused.
#pragma once

#include <string>

namespace wincompat {

class ProcessScope {
public:
    // Resolves the prefix once, for many questions in a row.
    ProcessScope();

    // A process is of this prefix when it is this process; or it joined the
    // prefix (a wincompat program: PrefixRuntime.h); or its environment names
    // the prefix in WINCOMPAT_PREFIX, as CreateProcessW passes it to every
    // child; or, naming none, it runs a program file kept inside the prefix
    // (a product program started from its install folder). False for a
    // process that is gone or whose details this user may not read.
    bool Contains(int pid) const;

private:
    bool NamesThisPrefix(int pid, const std::string& configured) const;
    bool RunsFromThisPrefix(int pid) const;

    std::string root_;  // the prefix folder with every link resolved; empty: none
    int self_;          // this process's id
};

}  // namespace wincompat
