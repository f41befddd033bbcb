// The last-chance handler: an exception nothing handled leaves a minidump
// beside the executable (its full path + ".dmp") and ends the process quietly.
#pragma once

#include <windows.h>

// Writes the dump; always EXCEPTION_EXECUTE_HANDLER.
LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exceptionPointers);

// Installs CrashDumpFilter and registers its removal at normal exit.
void InstallCrashDumpWriter();

// Defined first in the entry translation unit, so that the filter is in force
// before any other process-wide object is constructed.
struct CrashDumpWriterInstallation {
    CrashDumpWriterInstallation() { InstallCrashDumpWriter(); }
};
