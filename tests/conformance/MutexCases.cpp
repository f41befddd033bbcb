// Mutexes: ownership by the thread that waits, counted; names shared by the
// processes of a machine; a name that lives as long as a handle to it.
#include "ChildProcess.h"
#include "Harness.h"
#include "Scratch.h"

#include <string>

using namespace conformance;

namespace {

// A name no other run of the suite uses at the same moment.
std::wstring UniqueName(const wchar_t* stem) {
    return std::wstring(L"VelmoraConformance.") + stem + L"." + std::to_wstring(GetCurrentProcessId());
}

}  // namespace

// Creates the mutex NAME owned, then writes READY and runs until ended:
// --child own-mutex NAME READY
CONFORMANCE_CHILD(own_mutex) {
    if (arguments.size() < 2) return 2;
    HANDLE mutex = CreateMutexW(nullptr, TRUE, arguments[0].c_str());
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return 3;
    if (!WriteBytes(arguments[1], "ready")) return 4;
    Sleep(60000);
    return 0;
}

CONFORMANCE_CASE(Mutexes, OwnershipIsCounted) {
    Handle mutex(CreateMutexW(nullptr, TRUE, nullptr));
    REQUIRE(mutex.valid());
    CHECK_EQ(WaitForSingleObject(mutex.get(), 0), WAIT_OBJECT_0);  // the owner waits without blocking
    CHECK(ReleaseMutex(mutex.get()));
    CHECK(ReleaseMutex(mutex.get()));
    CHECK(!ReleaseMutex(mutex.get()));
    CHECK_EQ(GetLastError(), ERROR_NOT_OWNER);

    CHECK_EQ(WaitForSingleObject(mutex.get(), INFINITE), WAIT_OBJECT_0);
    CHECK_EQ(WaitForSingleObject(mutex.get(), 10), WAIT_OBJECT_0);
    CHECK(ReleaseMutex(mutex.get()));
    CHECK(ReleaseMutex(mutex.get()));
}

CONFORMANCE_CASE(Mutexes, NamesAreSharedUntilTheLastHandleCloses) {
    std::wstring name = UniqueName(L"Names");
    Handle first(CreateMutexW(nullptr, TRUE, name.c_str()));
    REQUIRE(first.valid());
    CHECK_EQ(GetLastError(), 0u);
    // A second create opens the same mutex: no ownership comes with it.
    Handle second(CreateMutexW(nullptr, TRUE, name.c_str()));
    REQUIRE(second.valid());
    CHECK_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CHECK(ReleaseMutex(second.get()));  // the thread owns it once, through either handle
    CHECK(!ReleaseMutex(first.get()));
    Handle local(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, (L"Local\\" + name).c_str()));
    CHECK(local.valid());  // a name without a namespace is in Local
    Handle otherCase(CreateMutexW(nullptr, FALSE, (name + L"X").c_str()));
    CHECK_EQ(GetLastError(), 0u);

    first.Close();
    second.Close();
    local.Close();
    CHECK_EQ(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()), static_cast<HANDLE>(nullptr));
    CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    Handle again(CreateMutexW(nullptr, FALSE, name.c_str()));
    CHECK(again.valid());
    CHECK_EQ(GetLastError(), 0u);
}

CONFORMANCE_CASE(Mutexes, RefusedNames) {
    CHECK_EQ(CreateMutexW(nullptr, FALSE, L"NoSuchFolder\\Name"), static_cast<HANDLE>(nullptr));
    CHECK_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    CHECK_EQ(OpenMutexW(SYNCHRONIZE, FALSE, nullptr), static_cast<HANDLE>(nullptr));
    CHECK_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// What a second installer sees while the first one runs, and after it ended.
CONFORMANCE_CASE(Mutexes, HeldByAnotherProcess) {
    std::wstring name = L"Global\\" + UniqueName(L"Held");
    std::wstring ready = CaseFolder(L"Mutexes.HeldByAnotherProcess") + L"\\ready";
    ChildProcess child;
    REQUIRE(child.Start(L"own_mutex", {name, ready}));
    REQUIRE(WaitForFile(ready, 30000));

    Handle mutex(CreateMutexW(nullptr, TRUE, name.c_str()));
    REQUIRE(mutex.valid());
    CHECK_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CHECK_EQ(WaitForSingleObject(mutex.get(), 100), WAIT_TIMEOUT);
    CHECK(!ReleaseMutex(mutex.get()));
    CHECK_EQ(GetLastError(), ERROR_NOT_OWNER);

    // The owner ends without releasing it: the next waiter gets it, abandoned.
    REQUIRE(child.Terminate(1));
    CHECK_EQ(child.Wait(10000), WAIT_OBJECT_0);
    CHECK_EQ(WaitForSingleObject(mutex.get(), 10000), WAIT_ABANDONED);
    CHECK(ReleaseMutex(mutex.get()));
    mutex.Close();

    Handle fresh(CreateMutexW(nullptr, FALSE, name.c_str()));
    CHECK(fresh.valid());
    CHECK_EQ(GetLastError(), 0u);
}
