// Readers racing a writer in other processes: every read shows one whole
// state of the hive, never a key without its values.
#include <winerror.h>

#include "prefix/RegistryStore.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace wincompat;

namespace {

const wchar_t* const kValues[] = {L"First", L"Second", L"Third"};

// One write replaces the whole key: its values and its subkey, all of the
// new generation. The key is the last one of the file (System\RaceTest), so a
// reader of a cut file would see it without its values.
LONG WriteGeneration(RegistryStore& store, int generation) {
    return store.Write(Hive::LocalMachine, [&](RegistryKey& root, bool& changed) {
        RegistryKey& system = root.AddSubkey(L"System");
        system.RemoveSubkey(L"RaceTest");
        RegistryKey& key = system.AddSubkey(L"RaceTest");
        std::vector<BYTE> data = {static_cast<BYTE>(generation), 0, 0, 0};
        for (const wchar_t* name : kValues) key.SetValue(name, 4, data);
        key.AddSubkey(L"Inner").SetValue(L"", 4, data);
        changed = true;
        return static_cast<LONG>(ERROR_SUCCESS);
    });
}

// A key as the store shows it: whole when it has all its values and its subkey.
bool ReadWhole(RegistryStore& store) {
    return store.Read(Hive::LocalMachine, [](const RegistryKey& root) -> LONG {
        const RegistryKey* system = root.FindSubkey(L"System");
        const RegistryKey* key = system ? system->FindSubkey(L"RaceTest") : nullptr;
        if (!key || key->values.size() != 3 || !key->FindSubkey(L"Inner")) return ERROR_INVALID_DATA;
        const RegistryValue* first = key->FindValue(L"First");
        for (const RegistryValue& value : key->values)
            if (value.data != first->data) return ERROR_INVALID_DATA;  // two generations mixed
        return ERROR_SUCCESS;
    }) == ERROR_SUCCESS;
}

pid_t ForkLoop(const std::function<bool()>& once, const std::string& until) {
    pid_t child = fork();
    if (child != 0) return child;
    while (access(until.c_str(), F_OK) != 0)
        if (!once()) _exit(1);
    _exit(0);
}

bool EndedWell(pid_t child) {
    int status = -1;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(RegistryRace, ReadersRacingAWriterSeeOneWholeStateOrTheNext) {
    std::string folder = MakeTestFolder("registry-race") + "/prefix";
    mkdir(folder.c_str(), 0777);
    std::string done = folder + "/../done";
    {
        RegistryStore store(folder);
        ASSERT_EQ(WriteGeneration(store, 0), ERROR_SUCCESS);
    }
    int generation = 0;
    pid_t writer = ForkLoop([&] {
        static RegistryStore store(folder);
        return WriteGeneration(store, ++generation % 250) == ERROR_SUCCESS;
    }, done);
    std::vector<pid_t> storeReaders;
    for (int i = 0; i < 2; ++i)
        storeReaders.push_back(ForkLoop([&] {
            static RegistryStore store(folder);
            return ReadWhole(store);
        }, done));

    // wincompat-reg, a reader process per query, through the Windows API.
    std::atomic<int> queries{0}, torn{0};
    std::string example;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::thread toolReader([&] {
        while (std::chrono::steady_clock::now() < deadline) {
            ProcessResult query = RunProcess({BuildFile("wincompat-reg"), "query", "HKLM\\System\\RaceTest"},
                                             {{"WINCOMPAT_PREFIX", folder}});
            ++queries;
            bool whole = query.exitCode == 0 && query.output.find("HKEY_LOCAL_MACHINE\\System\\RaceTest\\Inner") !=
                                                    std::string::npos;
            for (const char* name : {"    First    REG_DWORD", "    Second    REG_DWORD", "    Third    REG_DWORD"})
                whole = whole && query.output.find(name) != std::string::npos;
            if (!whole && torn++ == 0) example = query.output + query.errors;
        }
    });
    toolReader.join();
    WriteWholeFile(done, "");
    EXPECT_TRUE(EndedWell(writer)) << "a write failed";
    for (pid_t reader : storeReaders) EXPECT_TRUE(EndedWell(reader)) << "a store reader saw a partial or mixed key";
    EXPECT_GT(queries.load(), 0);
    EXPECT_EQ(torn.load(), 0) << "of " << queries.load() << " queries, for example:\n" << example;
}
