#include "ToolHarness.h"

#include "support/TestPrefix.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

extern char** environ;

namespace {

std::vector<char*> ArgumentPointers(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    for (const auto& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

int WaitForExit(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv) {
    const std::string folder = MakeTestFolder("run");
    const std::string outputPath = folder + "/stdout", errorsPath = folder + "/stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ProcessResult result;
    pid_t pid;
    if (posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, ArgumentPointers(argv).data(), environ) == 0)
        result.exitCode = WaitForExit(pid);
    posix_spawn_file_actions_destroy(&actions);
    result.output = ReadFileBytes(outputPath);
    result.errors = ReadFileBytes(errorsPath);
    return result;
}

RunningProcess::RunningProcess(const std::vector<std::string>& argv) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], 0);
    if (posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, ArgumentPointers(argv).data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[0]);
    input_ = pipeEnds[1];
}

RunningProcess::~RunningProcess() { Finish(); }

bool RunningProcess::alive() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

int RunningProcess::Finish() {
    if (input_ >= 0) close(input_);
    input_ = -1;
    if (pid_ <= 0) return -1;
    int code = WaitForExit(pid_);
    pid_ = -1;
    return code;
}

std::string BuiltProgram(const std::string& name) { return std::string(VELMORA_BUILD_DIR) + "/" + name; }

std::string CopyToTestFolder(const std::string& source, const std::string& folderName) {
    const std::string copy = MakeTestFolder(folderName) + "/" + std::filesystem::path(source).filename().string();
    std::filesystem::copy_file(source, copy);
    return copy;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

wincompat::ElfSection SectionOf(const std::string& file, const std::string& name) {
    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    std::vector<wincompat::ElfSection> sections;
    bool read = fd >= 0 && wincompat::ReadElfSections(fd, sections, nullptr);
    if (fd >= 0) close(fd);
    const auto* section = read ? wincompat::FindElfSection(sections, name) : nullptr;
    return section ? *section : wincompat::ElfSection{};
}

std::string SectionBytes(const std::string& file, const std::string& name) {
    const wincompat::ElfSection section = SectionOf(file, name);
    if (section.size == 0) return {};
    return ReadFileBytes(file).substr(section.offset, section.size);
}
