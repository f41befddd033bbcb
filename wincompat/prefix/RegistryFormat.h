// Wine's text format of the hive files (system.reg, user.reg):
//
//   WINE REGISTRY Version 2
//   ;; All keys relative to REGISTRY\\Machine
//
//   #arch=win64
//
//   [Software\\Wow6432Node\\X] 1796895724      key, unix seconds
//   #time=1dd888ab69665e2                      last write, FILETIME
//   @="default"                                values, sorted
//   "Name"=str(2):"%ProgramFiles%\\X"
//
// The reader keeps what it can, as Wine's loader does: a line it cannot read
// is skipped and reported, and everything else is kept. A line holding a raw
// control character (other than a tab) is unreadable, since Wine writes them
// all as escapes. The text as a whole cannot be read as a hive, and gives no
// keys at all, when its first line is not the header or when its unreadable
// lines outnumber the readable key and value lines: junk after a good header
// never turns into keys. The writer writes what real Wine reads.
#pragma once

#include "prefix/RegistryTree.h"

#include <string>
#include <string_view>

namespace wincompat {

enum class Hive { LocalMachine, CurrentUser };

// The object name Windows gives the hive's root: \Registry\Machine, or
// \Registry\User\<the user's SID> (Wine's fixed one).
std::wstring HiveObjectName(Hive hive);

struct ParseReport {
    size_t badLines = 0;
    size_t readableLines = 0;    // key and value lines read
    size_t firstBadLine = 0;     // 1-based
    std::string firstProblem;
    const char* unusable = nullptr;  // why the text is no hive at all, if it is not
    bool Damaged() const { return badLines != 0 || unusable; }
    bool Unusable() const { return unusable != nullptr; }
    void Note(size_t line, const char* problem);
};

RegistryKey ParseHive(std::string_view text, ParseReport& report);
std::string FormatHive(const RegistryKey& root, Hive hive);

}  // namespace wincompat
