// Threads: the id CreateThread gives is the one the thread sees; its handle is
// signalled when the start routine returns, whose value is the exit code.
#include "Harness.h"
#include "Scratch.h"

using namespace conformance;

namespace {

struct Rendezvous {
    HANDLE release;  // the thread waits for this mutex before it returns
    DWORD seenId;
};

DWORD WINAPI ReturnAfterRelease(LPVOID parameter) {
    Rendezvous* rendezvous = static_cast<Rendezvous*>(parameter);
    rendezvous->seenId = GetCurrentThreadId();
    WaitForSingleObject(rendezvous->release, INFINITE);
    ReleaseMutex(rendezvous->release);
    return 42;
}

}  // namespace

CONFORMANCE_CASE(Threads, HandleIsSignalledWithTheReturnedValue) {
    Handle release(CreateMutexW(nullptr, TRUE, nullptr));
    REQUIRE(release.valid());
    Rendezvous rendezvous{release.get(), 0};
    DWORD id = 0;
    Handle thread(CreateThread(nullptr, 0, ReturnAfterRelease, &rendezvous, 0, &id));
    REQUIRE(thread.valid());
    CHECK(id != 0);
    CHECK(id != GetCurrentThreadId());
    CHECK_EQ(WaitForSingleObject(thread.get(), 20), static_cast<DWORD>(WAIT_TIMEOUT));
    DWORD code = 0;
    CHECK(GetExitCodeThread(thread.get(), &code));
    CHECK_EQ(code, static_cast<DWORD>(STILL_ACTIVE));

    CHECK(ReleaseMutex(release.get()));
    CHECK_EQ(WaitForSingleObject(thread.get(), INFINITE), WAIT_OBJECT_0);
    CHECK_EQ(rendezvous.seenId, id);
    CHECK(GetExitCodeThread(thread.get(), &code));
    CHECK_EQ(code, 42u);
    CHECK_EQ(WaitForSingleObject(thread.get(), 0), WAIT_OBJECT_0);  // stays signalled
}

CONFORMANCE_CASE(Threads, ExitCodeOfAClosedHandleFails) {
    HANDLE thread = CreateThread(
        nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
    REQUIRE(thread != nullptr);
    CHECK_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    CHECK(CloseHandle(thread));
    DWORD code = 0;
    CHECK(!GetExitCodeThread(thread, &code));
    CHECK_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}
