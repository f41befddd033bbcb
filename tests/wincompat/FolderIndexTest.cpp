// The folder index sees every change of a folder's names, its own process's
// and another's, with and without inotify, and reads a folder whole only
// when it has to.
#include "prefix/FolderIndex.h"
#include "support/TestPrefix.h"
#include "wincompat/OtherProcessChanges.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

using wincompat::FolderIndex;

namespace {

// Waits until the folder's last change lies before the clock's current tick,
// when a stamp can be relied on.
void WaitUntilSettled(const std::string& folder) {
    for (;;) {
        struct stat info;
        if (stat(folder.c_str(), &info) != 0 || wincompat::StampOf(info).Settled()) return;
        usleep(1000);
    }
}

class FolderIndexTest : public testing::TestWithParam<bool> {
protected:
    FolderIndex index{GetParam()};
    std::string folder = MakeTestFolder("index");
};

INSTANTIATE_TEST_SUITE_P(WatchedAndStamped, FolderIndexTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "inotify" : "stamp"; });

TEST_P(FolderIndexTest, SeesWhatAnotherProcessCreatesRenamesAndDeletes) {
    Touch(folder + "/Alpha.txt");
    struct Step {
        const char* what;
        std::function<void()> change;
        const wchar_t* lookedUp;
        const char* found;
    } steps[] = {
        {"existing name", [] {}, L"ALPHA.TXT", "Alpha.txt"},
        {"created", [&] { Touch(folder + "/bEta.TXT"); }, L"beta.txt", "bEta.TXT"},
        {"renamed from", [&] { rename((folder + "/Alpha.txt").c_str(), (folder + "/Gamma.txt").c_str()); },
         L"alpha.txt", ""},
        {"renamed to", [] {}, L"GAMMA.TXT", "Gamma.txt"},
        {"deleted", [&] { unlink((folder + "/bEta.TXT").c_str()); }, L"BETA.TXT", ""},
        {"created again in other case", [&] { Touch(folder + "/beta.txt"); }, L"BETA.TXT", "beta.txt"},
        {"folder made", [&] { mkdir((folder + "/Sub").c_str(), 0777); }, L"sUB", "Sub"},
        {"replaced by rename", [&] { rename((folder + "/Gamma.txt").c_str(), (folder + "/beta.txt").c_str()); },
         L"gamma.TXT", ""},
    };
    for (const Step& step : steps) {
        InAnotherProcess(step.change);
        EXPECT_EQ(index.Find(folder, step.lookedUp), step.found) << step.what;
    }
}

TEST_P(FolderIndexTest, SeesTheFolderReplacedAtItsPath) {
    Touch(folder + "/Name.txt");
    EXPECT_EQ(index.Find(folder, L"NAME.TXT"), "Name.txt");
    InAnotherProcess([&] {
        rename(folder.c_str(), (folder + ".old").c_str());
        mkdir(folder.c_str(), 0777);
        Touch(folder + "/Other.txt");
    });
    EXPECT_EQ(index.Find(folder, L"name.txt"), "");
    EXPECT_EQ(index.Find(folder, L"other.TXT"), "Other.txt");
    // The moved folder keeps its names, reached through a link.
    ASSERT_EQ(symlink((folder + ".old").c_str(), (folder + ".link").c_str()), 0);
    EXPECT_EQ(index.Find(folder + ".link", L"name.TXT"), "Name.txt");

    InAnotherProcess([&] {
        unlink((folder + "/Other.txt").c_str());
        rmdir(folder.c_str());
        Touch(folder);
    });
    EXPECT_EQ(index.Find(folder, L"OTHER.TXT"), "");  // a file holds no names
    InAnotherProcess([&] { rename((folder + ".old").c_str(), (folder + ".new").c_str()); });
    EXPECT_EQ(index.Find(folder + ".link", L"name.TXT"), "");  // the link dangles now
}

TEST_P(FolderIndexTest, SeesNamesThatDifferOnlyInCase) {
    Touch(folder + "/twin.txt");
    Touch(folder + "/TWIN.TXT");
    std::string found = index.Find(folder, L"Twin.Txt");
    EXPECT_TRUE(found == "twin.txt" || found == "TWIN.TXT") << found;
    InAnotherProcess([&] { unlink((folder + "/" + found).c_str()); });
    index.Removed(folder + "/" + found);
    EXPECT_EQ(index.Find(folder, L"Twin.Txt"), found == "twin.txt" ? "TWIN.TXT" : "twin.txt");
}

// Many names made one after another in one folder: the index follows them
// instead of reading the folder again for each.
TEST_P(FolderIndexTest, FollowsItsOwnCreatesWithoutReadingTheFolderAgain) {
    WaitUntilSettled(folder);
    EXPECT_EQ(index.Find(folder, L"FILE0.TXT"), "");
    for (int i = 0; i < 300; ++i) {
        std::string name = "File" + std::to_string(i) + ".txt";
        Touch(folder + "/" + name);
        index.Added(folder + "/" + name);
        std::wstring upper = L"FILE" + std::to_wstring(i) + L".TXT";
        ASSERT_EQ(index.Find(folder, upper), name);
        ASSERT_EQ(index.Find(folder, L"FILE" + std::to_wstring(i + 1) + L".TXT"), "");
    }
    unlink((folder + "/File7.txt").c_str());
    index.Removed(folder + "/File7.txt");
    EXPECT_EQ(index.Find(folder, L"file7.TXT"), "");
    EXPECT_EQ(index.FolderReads(), 1u);
}

// More changes than inotify queues (16384 by default): the lost events are
// noticed and the folder read again.
TEST_P(FolderIndexTest, SeesChangesBeyondWhatTheQueueHolds) {
    EXPECT_EQ(index.Find(folder, L"N0"), "");
    InAnotherProcess([&] {
        for (int i = 0; i < 20000; ++i) Touch(folder + "/n" + std::to_string(i));
    });
    EXPECT_EQ(index.Find(folder, L"N0"), "n0");
    EXPECT_EQ(index.Find(folder, L"N19999"), "n19999");
    InAnotherProcess([&] { unlink((folder + "/n19999").c_str()); });
    EXPECT_EQ(index.Find(folder, L"N19999"), "");
}

// Another process makes names while this one makes its own. A watched folder
// misses none; an unwatched one may miss a name made in the instant between
// this process's lookup and its own change, so it is left out here.
TEST_P(FolderIndexTest, MissesNoNameMadeAtTheSameTimeAsItsOwn) {
    if (!GetParam()) GTEST_SKIP() << "a stamp cannot tell two changes in one instant apart";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        for (int i = 0; i < 2000; ++i) Touch(folder + "/theirs" + std::to_string(i));
        _exit(0);
    }
    for (int i = 0; i < 2000; ++i) {
        std::string path = folder + "/mine" + std::to_string(i);
        index.Find(folder, L"MINE" + std::to_wstring(i));
        Touch(path);
        index.Added(path);
    }
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_EQ(index.Find(folder, L"THEIRS" + std::to_wstring(i)), "theirs" + std::to_string(i));
        ASSERT_EQ(index.Find(folder, L"MINE" + std::to_wstring(i)), "mine" + std::to_string(i));
    }
}

TEST_P(FolderIndexTest, ThreadsShareOneIndex) {
    auto makeNames = [&](const char* prefix) {
        for (int i = 0; i < 200; ++i) {
            std::string path = folder + "/" + prefix + std::to_string(i);
            Touch(path);
            index.Added(path);
            index.Find(folder, L"MISSING");
        }
    };
    std::thread first(makeNames, "left");
    std::thread second(makeNames, "right");
    first.join();
    second.join();
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(index.Find(folder, L"LEFT" + std::to_wstring(i)), "left" + std::to_string(i));
        EXPECT_EQ(index.Find(folder, L"RIGHT" + std::to_wstring(i)), "right" + std::to_string(i));
    }
}

TEST_P(FolderIndexTest, KeepsABoundedNumberOfFolders) {
    for (int i = 0; i < 400; ++i) {
        std::string sub = folder + "/f" + std::to_string(i);
        mkdir(sub.c_str(), 0777);
        Touch(sub + "/Name");
        ASSERT_EQ(index.Find(sub, L"NAME"), "Name");
    }
    EXPECT_LE(index.FolderCount(), 256u);
    // A folder dropped from the index is read again when needed.
    EXPECT_EQ(index.Find(folder + "/f0", L"name"), "Name");
}

}  // namespace
