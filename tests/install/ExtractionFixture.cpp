#include "ExtractionFixture.h"

#include "support/ProcessRunner.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace fs = std::filesystem;

namespace {

void Collect(float percent, void* context) { static_cast<std::vector<float>*>(context)->push_back(percent); }

// Standard output sent to a file while it lives; Text() reads what arrived.
class CapturedStdout {
public:
    CapturedStdout() {
        fflush(stdout);
        char pattern[] = "/tmp/extraction-stdout-XXXXXX";
        file_ = mkstemp(pattern);
        path_ = pattern;
        saved_ = dup(1);
        dup2(file_, 1);
    }
    ~CapturedStdout() {
        Restore();
        close(file_);
        unlink(path_.c_str());
    }
    std::string Text() {
        Restore();
        return ReadFileAt(path_);
    }

private:
    void Restore() {
        if (saved_ < 0) return;
        fflush(stdout);
        dup2(saved_, 1);
        close(saved_);
        saved_ = -1;
    }
    int file_ = -1;
    int saved_ = -1;
    std::string path_;
};

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint64_t LoadLe(const std::string& bytes, size_t offset, int size) {
    uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[offset + i]);
    return value;
}

void StoreLe(std::string& bytes, size_t offset, uint64_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

struct Entry {
    bool folder = false;
    std::string content;
    int64_t mtimeNs = 0;
    bool readOnly = false;
};

std::map<std::string, Entry> ListTree(const std::string& root) {
    std::map<std::string, Entry> entries;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        struct stat info;
        lstat(item.path().c_str(), &info);
        Entry entry;
        entry.folder = S_ISDIR(info.st_mode);
        if (!entry.folder) {
            entry.content = S_ISLNK(info.st_mode) ? "symlink" : ReadFileAt(item.path());
            entry.mtimeNs = int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
            entry.readOnly = (info.st_mode & 0222) == 0;
        }
        entries[fs::relative(item.path(), root).string()] = entry;
    }
    return entries;
}

}  // namespace

Extraction Extract(const std::string& archive, const std::string& folder) {
    Extraction extraction;
    CapturedStdout captured;
    extraction.result = ExtractArchive(DosPath(archive), DosPath(folder), Collect, &extraction.percents);
    extraction.output = captured.Text();
    return extraction;
}

std::wstring DosPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

void Shell(const std::string& command) {
    ProcessResult run = RunProcess({"/bin/sh", "-c", command});
    ASSERT_EQ(run.exitCode, 0) << command << "\n" << run.output << run.errors;
}

void PackFolder(const std::string& folder, const std::string& archive, const std::string& switches) {
    Shell("cd '" + folder + "' && rm -f '" + archive + "' && 7z a -t7z -bd -bso0 -bsp0 " + switches + " '" + archive +
          "' .");
}

void UnpackWithSevenZip(const std::string& archive, const std::string& folder) {
    Shell("7z x -bd -bso0 -bsp0 -y '-o" + folder + "' '" + archive + "'");
}

void WriteFileAt(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadFileAt(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PatchHeaderField(const std::string& archive, uint32_t from, uint32_t to) {
    std::string bytes = ReadFileAt(archive);
    ASSERT_GE(bytes.size(), 32u);
    const size_t headerStart = 32 + LoadLe(bytes, 12, 8);
    const size_t headerSize = LoadLe(bytes, 20, 8);
    ASSERT_LE(headerStart + headerSize, bytes.size());
    std::string pattern(4, '\0');
    StoreLe(pattern, 0, from, 4);
    const size_t at = bytes.find(pattern, headerStart);
    ASSERT_TRUE(at != std::string::npos && at + 4 <= headerStart + headerSize) << "field not in the header";
    StoreLe(bytes, at, to, 4);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    StoreLe(bytes, 28, Crc32(data + headerStart, headerSize), 4);
    StoreLe(bytes, 8, Crc32(data + 12, 20), 4);
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> TreeDifferences(const std::string& expected, const std::string& actual) {
    std::vector<std::string> differences;
    const auto want = ListTree(expected), got = ListTree(actual);
    for (const auto& [name, entry] : want) {
        auto found = got.find(name);
        if (found == got.end()) {
            differences.push_back("missing " + name);
            continue;
        }
        const Entry& ours = found->second;
        if (ours.folder != entry.folder) differences.push_back("kind of " + name);
        if (ours.content != entry.content) differences.push_back("content of " + name);
        if (ours.mtimeNs != entry.mtimeNs) differences.push_back("time of " + name);
        if (ours.readOnly != entry.readOnly) differences.push_back("read-only of " + name);
    }
    for (const auto& [name, entry] : got)
        if (!want.count(name)) differences.push_back("extra " + name);
    return differences;
}

bool ExistsAt(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}
