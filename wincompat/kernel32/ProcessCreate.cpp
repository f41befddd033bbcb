// CreateProcessW: finds the program as Windows would, starts it with the
// Windows command line split into arguments, and hands out handles to it.
#include <windows.h>

#include "kernel32/FileObject.h"
#include "kernel32/ProcessBuiltins.h"
#include "kernel32/ProcessChildren.h"
#include "kernel32/ProcessCommandLine.h"
#include "kernel32/ProcessEnvironment.h"
#include "kernel32/ProcessLaunch.h"
#include "kernel32/ProcessObject.h"
#include "kernel32/ProcessSearch.h"
#include "prefix/Prefix.h"

#include <signal.h>
#include <sys/stat.h>

namespace wincompat {

namespace {

const DWORD kUnsupportedFlags = DEBUG_PROCESS | DEBUG_ONLY_THIS_PROCESS | CREATE_SUSPENDED;

// A standard handle's descriptor; a null handle, or one that is not an open
// file, gives the child no such handle (/dev/null).
int StandardDescriptor(HANDLE handle) {
    auto file = std::dynamic_pointer_cast<FileObject>(FindHandle(handle));
    return file ? file->Descriptor() : -1;
}

void PlanStandardHandles(const STARTUPINFOW& startup, LaunchPlan& plan) {
    if (!(startup.dwFlags & STARTF_USESTDHANDLES)) return;  // the child shares ours
    plan.replaceStandard = true;
    plan.standardFds[0] = StandardDescriptor(startup.hStdInput);
    plan.standardFds[1] = StandardDescriptor(startup.hStdOutput);
    plan.standardFds[2] = StandardDescriptor(startup.hStdError);
}

bool PlanFolder(LPCWSTR folder, LaunchPlan& plan, DWORD& error) {
    if (!folder) return true;
    DWORD mapError = 0;
    struct stat info {};
    if (!DosToUnix(folder, plan.folder, &mapError) || stat(plan.folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = ERROR_DIRECTORY;
        return false;
    }
    return true;
}

bool FindTarget(LPCWSTR applicationName, const std::wstring& commandLine, ProgramChoice& choice, DWORD& error) {
    error = ERROR_FILE_NOT_FOUND;
    if (!applicationName) return FindProgramOfCommandLine(commandLine, choice);
    // The application is named apart; the command line's first word is then only argv[0].
    choice.name = applicationName;
    ProgramChoice first;
    FindProgramOfCommandLine(commandLine, first);
    choice.nameLength = first.nameLength ? first.nameLength : commandLine.find_first_of(L" \t");
    if (choice.nameLength > commandLine.size()) choice.nameLength = commandLine.size();
    return FindProgram(applicationName, choice.unixPath);
}

bool PlanLaunch(LPCWSTR applicationName, const std::wstring& commandLine, BOOL inheritHandles, DWORD flags,
                LPVOID environment, LPCWSTR folder, const STARTUPINFOW& startup, LaunchPlan& plan, DWORD& error) {
    ProgramChoice choice;
    if (!FindTarget(applicationName, commandLine, choice, error)) return false;
    if (!ProgramToRun(choice.unixPath, plan.program)) {
        error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    plan.arguments.push_back(Utf8FromWide(choice.name));
    for (const std::wstring& argument : ArgumentsAfterName(commandLine, choice.nameLength))
        plan.arguments.push_back(Utf8FromWide(argument));
    plan.environment = ChildEnvironment(environment, flags & CREATE_UNICODE_ENVIRONMENT,
                                        {CommandLineVariable(commandLine, choice.nameLength)});
    plan.inheritDescriptors = inheritHandles;
    PlanStandardHandles(startup, plan);
    return PlanFolder(folder, plan, error);
}

// Handles to the new child. The creator's reference is dropped only after the
// handle holds its own, so the child cannot be reaped as an orphan in between.
// Without a handle the call fails, and so the child must not run on.
bool HandOut(pid_t pid, PROCESS_INFORMATION& information) {
    RetainChild(pid);
    std::shared_ptr<ProcessObject> process = ProcessObject::Open(pid, PROCESS_ALL_ACCESS);
    if (!process) kill(pid, SIGKILL);
    ReleaseChild(pid);
    if (!process) return false;
    information.hThread = AddHandle(std::make_shared<ProcessThreadObject>(process));
    information.hProcess = AddHandle(process);
    information.dwProcessId = static_cast<DWORD>(pid);
    information.dwThreadId = static_cast<DWORD>(pid);  // the main thread's id is the process's
    return true;
}

}  // namespace

}  // namespace wincompat

extern "C" BOOL WINAPI CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine,
                                      LPSECURITY_ATTRIBUTES processAttributes,
                                      LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                                      DWORD creationFlags, LPVOID environment, LPCWSTR currentDirectory,
                                      LPSTARTUPINFOW startupInfo, LPPROCESS_INFORMATION processInformation) {
    if ((!applicationName && !commandLine) || !startupInfo || !processInformation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (creationFlags & wincompat::kUnsupportedFlags) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    wincompat::ReapOrphans();
    std::wstring text = commandLine ? commandLine : applicationName;
    wincompat::LaunchPlan plan;
    DWORD error = ERROR_SUCCESS;
    if (!wincompat::PlanLaunch(applicationName, text, inheritHandles, creationFlags, environment,
                               currentDirectory, *startupInfo, plan, error)) {
        SetLastError(error);
        return FALSE;
    }
    pid_t pid = wincompat::Launch(plan, error);
    if (!pid) {
        SetLastError(error);
        return FALSE;
    }
    return wincompat::HandOut(pid, *processInformation);
}
