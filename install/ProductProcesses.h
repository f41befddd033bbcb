// Ending running copies of the product before its files are replaced, and
// starting a command line, with or without waiting for it.
#pragma once

#include <windows.h>

// The product's executables, in the order they are stopped.
extern const wchar_t* const ProductExecutables[5];

// Ends one running process of each product executable; always true.
bool StopProductProcesses();

// The first process whose executable file name equals name, ignoring the
// case of A to Z only; 0 when there is none or the list cannot be taken.
DWORD FindProcessByName(const wchar_t* name);

// Starts command + " " as a new process that inherits handles, window shown
// or hidden, and does not wait: 0 when started, else the last error.
DWORD RunCommandLine(const wchar_t* command, bool showWindow);

// Starts the command line as RunCommandLine does and waits at most timeoutMs
// for the process to end: 0 when it ended, with its exit code in exitCode;
// WAIT_TIMEOUT when it still runs; else the error of the failed start.
DWORD RunCommandLineAndWait(const wchar_t* command, bool showWindow, DWORD timeoutMs, DWORD& exitCode);
