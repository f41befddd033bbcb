// Cost per entry of the rights walk (GrantEveryoneOnTree) over a generated
// tree of 10 000 entries: 100 folders of 99 files each, in a prefix of its own.
#include <windows.h>

#include "install/FolderRights.h"
#include "install/PayloadManifest.h"

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 99;
constexpr int kEntries = kFolders * (kFilesPerFolder + 1);

// Every entry of the tree is the install's own, as a fresh install's are.
bool MakeTree(const std::wstring& top, PayloadManifest& owned) {
    if (!CreateDirectoryW(top.c_str(), nullptr)) return false;
    for (int folder = 0; folder < kFolders; ++folder) {
        std::wstring relative = L"folder" + std::to_wstring(folder) + L"\\";
        std::wstring path = top + relative;
        if (!CreateDirectoryW(path.c_str(), nullptr)) return false;
        for (int file = 0; file < kFilesPerFolder; ++file) {
            owned.Add(relative + L"file" + std::to_wstring(file) + L".dat");
            std::wstring name = path + L"file" + std::to_wstring(file) + L".dat";
            HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            if (handle == INVALID_HANDLE_VALUE) return false;
            CloseHandle(handle);
        }
    }
    return true;
}

void RightsWalk(benchmark::State& state) {
    static const std::wstring top = L"C:\\RightsWalkBench\\";
    static PayloadManifest owned;
    static const bool made = MakeTree(top, owned);
    if (!made) {
        state.SkipWithError("could not create the tree");
        return;
    }
    for (auto _ : state) GrantEveryoneOnTree(top, owned);
    state.counters["per_entry"] =
        benchmark::Counter(kEntries, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(RightsWalk)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

int main(int argc, char** argv) {
    // A fresh prefix unless one is named, so the tree never lands in a real one.
    std::string temporary;
    if (!getenv("WINCOMPAT_PREFIX")) {
        char pattern[] = "/tmp/rights-walk-bench-XXXXXX";
        if (!mkdtemp(pattern)) return 1;
        temporary = pattern;
        setenv("WINCOMPAT_PREFIX", (temporary + "/prefix").c_str(), 1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!temporary.empty()) nftw(temporary.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    return 0;
}
