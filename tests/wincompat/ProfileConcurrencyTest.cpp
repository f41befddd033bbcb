// Concurrent writers, in threads of one process and in separate processes,
// never lose each other's keys; readers never see a half-written file.
#include "ProfileTest.h"

#include <stdlib.h>

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int kKeysPerWriter = 25;

void WriteKeys(const std::wstring& file, const std::wstring& prefix) {
    for (int i = 0; i < kKeysPerWriter; ++i) {
        std::wstring key = prefix + std::to_wstring(i);
        WritePrivateProfileStringW(L"Data", key.c_str(), key.c_str(), file.c_str());
    }
}

void ExpectAllKeys(const ProfileTestFile& file, int writers) {
    for (int w = 0; w < writers; ++w)
        for (int i = 0; i < kKeysPerWriter; ++i) {
            std::wstring key = L"w" + std::to_wstring(w) + L"_" + std::to_wstring(i);
            EXPECT_EQ(ReadProfileString(L"Data", key.c_str(), L"lost", file.dos()), key);
        }
}

TEST(ProfileConcurrency, ThreadsNeverLoseKeysAndReadersSeeWholeFiles) {
    ProfileTestFile file;
    // The section a torn file would lose comes last.
    file.Write("[Data]\r\n[Tail]\r\nsentinel=1\r\n");
    constexpr int kWriters = 6;
    std::atomic<bool> done{false};
    std::atomic<int> tornReads{0};
    std::thread reader([&] {
        while (!done)
            if (GetPrivateProfileIntW(L"Tail", L"sentinel", 0, file.dos()) != 1) ++tornReads;
    });
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back(WriteKeys, file.dosPath, L"w" + std::to_wstring(w) + L"_");
    for (std::thread& writer : writers) writer.join();
    done = true;
    reader.join();
    EXPECT_EQ(tornReads, 0);
    ExpectAllKeys(file, kWriters);
}

TEST(ProfileConcurrency, DISABLED_ChildWritesKeys) {
    const char* path = getenv("PROFILE_TEST_FILE");
    const char* prefix = getenv("PROFILE_TEST_PREFIX");
    ASSERT_TRUE(path && prefix);
    WriteKeys(wincompat::WideFromUtf8(path), wincompat::WideFromUtf8(prefix));
}

TEST(ProfileConcurrency, ProcessesNeverLoseKeys) {
    ProfileTestFile file;
    constexpr int kProcesses = 4;
    std::vector<ProcessResult> results(kProcesses);
    std::vector<std::thread> runners;
    for (int w = 0; w < kProcesses; ++w)
        runners.emplace_back([&, w] {
            results[w] = RunProcess({"/proc/self/exe", "--gtest_also_run_disabled_tests",
                                     "--gtest_filter=ProfileConcurrency.DISABLED_ChildWritesKeys"},
                                    {{"PROFILE_TEST_FILE", wincompat::Utf8FromWide(file.dosPath)},
                                     {"PROFILE_TEST_PREFIX", "w" + std::to_string(w) + "_"}});
        });
    for (std::thread& runner : runners) runner.join();
    for (const ProcessResult& result : results) ASSERT_EQ(result.exitCode, 0) << result.output << result.errors;
    ExpectAllKeys(file, kProcesses);
}

}  // namespace
