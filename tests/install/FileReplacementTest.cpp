// Delete-or-rename of held files: real holders in other processes
// (wincompat-hold), the temporary folder on C: and a second drive D:.
#include "install/FileReplacement.h"

#include "wincompat/FilesInUseFiles.h"
#include "wincompat/FilesInUseHolder.h"

#include "kernel32/PendingOperations.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Held as a loaded library is: delete refused, rename allowed.
std::unique_ptr<FileHolder> HoldImage(const std::wstring& path) {
    auto holder = std::make_unique<FileHolder>(std::vector<std::string>{Narrow(path), "--image"});
    EXPECT_TRUE(holder->Holding()) << holder->Line();
    return holder;
}

// Held open without sharing: neither delete nor rename.
std::unique_ptr<FileHolder> HoldOpen(const std::wstring& path) {
    auto holder = std::make_unique<FileHolder>(std::vector<std::string>{Narrow(path)});
    EXPECT_TRUE(holder->Holding()) << holder->Line();
    return holder;
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, buffer);
    return std::wstring(buffer, length);
}

class FileReplacement : public ::testing::Test {
protected:
    void SetUp() override { wincompat::WritePendingOperations({}); }

    // The paths scheduled for deletion at the next restart, in order.
    static std::vector<std::wstring> Scheduled() {
        std::vector<wincompat::PendingOperation> operations;
        wincompat::ReadPendingOperations(operations);
        std::vector<std::wstring> deletions;
        for (const auto& operation : operations) {
            EXPECT_TRUE(operation.target.empty());
            deletions.push_back(operation.source);
        }
        return deletions;
    }
};

using Paths = std::vector<std::wstring>;

}  // namespace

TEST_F(FileReplacement, UnheldFileIsDeletedAtOnce) {
    std::wstring folder = MakeDosFolder(L"unheld");
    PutFile(folder + L"\\a.tmp", "a");
    PutFile(folder + L"\\b.dll", "b");
    DeleteOrMoveAside(folder + L"\\a.tmp");
    EXPECT_TRUE(DeleteOrRenameInPlace(folder + L"\\b.dll"));
    for (const wchar_t* name : {L"\\a.tmp", L"\\b.dll", L"\\b.dll.remove"}) EXPECT_FALSE(Present(folder + name));
    EXPECT_FALSE(Present(TempFolder() + L"a.tmp.remove"));
    EXPECT_TRUE(Scheduled().empty());
}

TEST_F(FileReplacement, HeldArchiveMovesToTheTemporaryFolder) {
    // Drive parts differing only in case ("c:" and "C:") are the same drive.
    const std::wstring archives[] = {
        TempFolder() + L"step_Velmora.tmp",
        L"c" + MakeDosFolder(L"elsewhere").substr(1) + L"\\step_Velmora.tmp",
    };
    for (const std::wstring& archive : archives) {
        SetUp();
        PutFile(archive, "old archive");
        auto holder = HoldImage(archive);
        DeleteOrMoveAside(archive);
        std::wstring aside = TempFolder() + L"step_Velmora.tmp.remove";
        EXPECT_FALSE(Present(archive)) << Narrow(archive);
        EXPECT_EQ(GetFile(aside), "old archive");
        EXPECT_EQ(Scheduled(), Paths{aside});
        HANDLE fresh = CreateFileW(archive.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(fresh, INVALID_HANDLE_VALUE) << "the usual name is free again";
        CloseHandle(fresh);
        holder.reset();
        DeleteFileW(archive.c_str());
    }
}

TEST_F(FileReplacement, HeldFileOnAnotherDriveStaysInItsFolder) {
    std::wstring file = DriveD() + L"payload.tmp";
    PutFile(file, "d");
    auto holder = HoldImage(file);
    DeleteOrMoveAside(file);
    EXPECT_EQ(GetFile(DriveD() + L"payload.tmp.remove"), "d");
    EXPECT_EQ(Scheduled(), Paths{L"D:\\payload.tmp.remove"});
}

TEST_F(FileReplacement, UnrenamableFileStaysAndIsScheduledItself) {
    std::wstring file = DriveD() + L"locked.tmp";
    PutFile(file, "locked");
    auto holder = HoldOpen(file);
    DeleteOrMoveAside(file);
    EXPECT_EQ(GetFile(file), "locked");
    EXPECT_FALSE(Present(file + L".remove"));
    EXPECT_EQ(Scheduled(), Paths{file});
}

TEST_F(FileReplacement, HeldLibraryTakesTheNextFreeName) {
    std::wstring folder = MakeDosFolder(L"install");
    std::wstring library = folder + L"\\Tellurin.dll";
    PutFile(library, "first");
    auto first = HoldImage(library);
    EXPECT_FALSE(DeleteOrRenameInPlace(library));
    EXPECT_EQ(GetFile(library + L".remove"), "first");

    PutFile(library, "second");  // the next install's library, held again
    auto second = HoldImage(library);
    EXPECT_FALSE(DeleteOrRenameInPlace(library));
    EXPECT_EQ(GetFile(library + L".remove1"), "second");
    EXPECT_EQ(Scheduled(), (Paths{library + L".remove", library + L".remove1"}));

    first.reset();  // no longer held: its name is cleared and reused
    PutFile(library, "third");
    auto third = HoldImage(library);
    EXPECT_FALSE(DeleteOrRenameInPlace(library));
    EXPECT_EQ(GetFile(library + L".remove"), "third");
}

TEST_F(FileReplacement, AllCandidatesHeld) {
    std::wstring folder = MakeDosFolder(L"crowded");
    std::wstring library = folder + L"\\Tellurin.dll";
    std::wstring archive = DriveD() + L"crowded.tmp";  // another drive: candidates beside it
    std::vector<std::unique_ptr<FileHolder>> holders;
    for (const std::wstring& path : {library, archive}) {
        PutFile(path, "held");
        holders.push_back(HoldImage(path));
        for (int n = 0; n <= 10; ++n) {
            std::wstring candidate = path + L".remove" + (n ? std::to_wstring(n) : L"");
            PutFile(candidate, "older");
            holders.push_back(HoldImage(candidate));
        }
    }
    DeleteOrMoveAside(archive);
    EXPECT_EQ(GetFile(archive), "held") << "the move-aside rule gives up after .remove10";
    EXPECT_TRUE(Scheduled().empty());

    EXPECT_FALSE(DeleteOrRenameInPlace(library));
    EXPECT_EQ(GetFile(library + L".remove11"), "held") << "the rename-in-place rule tries .remove11";
    EXPECT_EQ(Scheduled(), Paths{library + L".remove11"});

    SetUp();
    PutFile(library, "again");
    holders.push_back(HoldImage(library + L".remove11"));
    holders.push_back(HoldImage(library));
    EXPECT_FALSE(DeleteOrRenameInPlace(library));
    EXPECT_EQ(GetFile(library), "again") << "all twelve held: nothing moves";
    EXPECT_TRUE(Scheduled().empty());
}

TEST_F(FileReplacement, FileAlreadyMovedAsideIsOnlyScheduled) {
    std::wstring file = MakeDosFolder(L"moved-before") + L"\\Tellurin.dll.remove3";
    PutFile(file, "old");
    auto holder = HoldImage(file);
    EXPECT_FALSE(DeleteOrRenameInPlace(file));
    EXPECT_EQ(GetFile(file), "old");
    EXPECT_FALSE(Present(file + L".remove"));
    EXPECT_EQ(Scheduled(), Paths{file});
}

// Only the file's own name tells that an earlier install moved it aside; a
// folder whose name holds ".remove" says nothing about the files in it.
TEST_F(FileReplacement, OnlyTheFilesOwnNameMarksItAsMovedAside) {
    std::wstring folder = MakeDosFolder(L"apps.remove") + L"\\Velmora.remove1";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    struct Case {
        const wchar_t* name;
        bool movedAside;  // only scheduled, never renamed again
    } cases[] = {
        {L"Tellurin.dll", false},
        {L"Tellurin.dll.removed", false},
        {L"Tellurin.remove.dll", false},
        {L"Tellurin.dll.remove1x", false},
        {L"Tellurin.dll.REMOVE", false},  // the comparison keeps letter case
        {L"Tellurin.dll.remove", true},
        {L"Tellurin.dll.remove12", true},
        {L".remove", true},
    };
    for (const Case& c : cases) {
        SetUp();
        std::wstring file = folder + L"\\" + c.name;
        PutFile(file, "held");
        auto holder = HoldImage(file);
        EXPECT_FALSE(DeleteOrRenameInPlace(file));
        std::wstring scheduled = c.movedAside ? file : file + L".remove";
        EXPECT_EQ(Scheduled(), Paths{scheduled}) << Narrow(file);
        EXPECT_EQ(GetFile(scheduled), "held") << Narrow(file);
        EXPECT_EQ(Present(file), c.movedAside) << Narrow(file);
        holder.reset();
        DeleteFileW(scheduled.c_str());
    }
}

TEST_F(FileReplacement, NamesBeyondMaxPathAreNotUsed) {
    std::wstring folder = MakeDosFolder(L"long");
    // 255 characters: the file fits MAX_PATH, its ".remove" name would not.
    std::wstring file = folder + L"\\" + std::wstring(255 - folder.size() - 1, L'n');
    ASSERT_EQ(file.size(), 255u);
    PutFile(file, "long");
    auto holder = HoldImage(file);
    EXPECT_FALSE(DeleteOrRenameInPlace(file));
    DeleteOrMoveAside(file);
    EXPECT_EQ(GetFile(file), "long");
    EXPECT_TRUE(Scheduled().empty());
}
