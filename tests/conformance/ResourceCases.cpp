// Resources of the program's own image: found by type and name (without
// regard to case) or by number, their size and bytes.
#include "Harness.h"

#include <string>

using namespace conformance;

namespace {

// The content of ResourceSample.txt, embedded by the build on both sides.
const std::string kSample = "conformance resource data: 0123456789 ABCDEF\n";

const char kWineKeepsNoLocks[] = "Wine keeps no page locks: VirtualUnlock answers TRUE for pages never locked";

std::string ResourceBytes(LPCWSTR name, LPCWSTR type) {
    HRSRC found = FindResourceW(nullptr, name, type);
    if (!found) return "(not found)";
    HGLOBAL loaded = LoadResource(nullptr, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return "(not loaded)";
    return std::string(static_cast<const char*>(data), SizeofResource(nullptr, found));
}

}  // namespace

CONFORMANCE_CASE(Resources, FoundByNameAndNumber) {
    CHECK_EQ(ResourceBytes(L"SAMPLE", L"CONFORMANCE"), kSample);
    CHECK_EQ(ResourceBytes(L"sample", L"Conformance"), kSample);
    CHECK_EQ(ResourceBytes(MAKEINTRESOURCEW(7), L"CONFORMANCE"), kSample);
    CHECK_EQ(ResourceBytes(L"#7", L"CONFORMANCE"), kSample);
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, L"SAMPLE", L"CONFORMANCE");
    REQUIRE(found != nullptr);
    CHECK_EQ(SizeofResource(self, found), kSample.size());
}

CONFORMANCE_CASE(Resources, MissingOnesAndTheirErrors) {
    CHECK(FindResourceW(nullptr, L"MISSING", L"CONFORMANCE") == nullptr);
    CHECK_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    CHECK(FindResourceW(nullptr, L"SAMPLE", L"NO-SUCH-TYPE") == nullptr);
    CHECK_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    CHECK(FindResourceW(nullptr, MAKEINTRESOURCEW(8), L"CONFORMANCE") == nullptr);
    CHECK_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
}

// FreeResource does nothing a program can see: it answers FALSE and the data
// stays where it was, with the same bytes.
CONFORMANCE_CASE(Resources, FreedDataStaysReadable) {
    HRSRC found = FindResourceW(nullptr, L"SAMPLE", L"CONFORMANCE");
    REQUIRE(found != nullptr);
    HGLOBAL loaded = LoadResource(nullptr, found);
    REQUIRE(loaded != nullptr);
    const char* data = static_cast<const char*>(LockResource(loaded));
    REQUIRE(data != nullptr);
    CHECK(!FreeResource(loaded));
    CHECK(!FreeResource(loaded));  // a second time too
    CHECK(!FreeResource(nullptr));
    CHECK(LockResource(LoadResource(nullptr, found)) == data);
    CHECK_EQ(std::string(data, SizeofResource(nullptr, found)), kSample);
}

// Pages never locked are taken out of the working set by VirtualUnlock,
// which says so with FALSE and ERROR_NOT_LOCKED; nothing a program can read
// changes, a resource's bytes or a heap block's.
CONFORMANCE_CASE(Resources, UnlockedPagesKeepTheirBytes) {
    HRSRC found = FindResourceW(nullptr, L"SAMPLE", L"CONFORMANCE");
    REQUIRE(found != nullptr);
    char* data = static_cast<char*>(LockResource(LoadResource(nullptr, found)));
    REQUIRE(data != nullptr);
    SetLastError(0);
    WINE_DIVERGES(kWineKeepsNoLocks, CHECK(!VirtualUnlock(data, SizeofResource(nullptr, found))));
    WINE_DIVERGES(kWineKeepsNoLocks, CHECK_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED)));
    CHECK_EQ(std::string(data, SizeofResource(nullptr, found)), kSample);

    std::string block(256 * 1024, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7 + 3);
    const std::string copy = block;
    SetLastError(0);
    WINE_DIVERGES(kWineKeepsNoLocks, CHECK(!VirtualUnlock(&block[0], block.size())));
    WINE_DIVERGES(kWineKeepsNoLocks, CHECK_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED)));
    CHECK(block == copy);
}

// Emptying the working set keeps every byte and every function where it was.
CONFORMANCE_CASE(Resources, EmptiedWorkingSetKeepsEverything) {
    HRSRC found = FindResourceW(nullptr, L"SAMPLE", L"CONFORMANCE");
    REQUIRE(found != nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    REQUIRE(data != nullptr);
    std::string block(256 * 1024, 'x');
    const SIZE_T all = static_cast<SIZE_T>(-1);
    CHECK(SetProcessWorkingSetSize(GetCurrentProcess(), all, all));
    CHECK_EQ(std::string(data, SizeofResource(nullptr, found)), kSample);
    CHECK(block == std::string(256 * 1024, 'x'));
    CHECK(SetProcessWorkingSetSize(GetCurrentProcess(), all, all));  // and again, with everything back in use
    WCHAR folder[MAX_PATH] = {};
    CHECK(GetTempPathW(MAX_PATH, folder) > 0);
}
