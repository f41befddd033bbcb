// set-resource FILE TYPE NAME DATAFILE: replaces or adds an embedded resource
// of a built executable, as UpdateResource does on Windows. Resources are
// non-allocated sections, so objcopy can give them any new size without
// relinking; it writes a copy, which is then renamed over FILE.
#include "ReplacementFile.h"
#include "kernel32/ElfSections.h"
#include "kernel32/ResourceSectionName.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

extern char** environ;

namespace {

int Refuse(const std::string& message) {
    fprintf(stderr, "set-resource: %s\n", message.c_str());
    return 1;
}

bool IsReadableFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), R_OK) == 0;
}

// The section that holds TYPE/NAME already, found without regard to case as
// resource names are; empty when there is none.
std::string ExistingSection(const std::vector<wincompat::ElfSection>& sections, const std::string& wanted) {
    for (const auto& section : sections)
        if (strcasecmp(section.name.c_str(), wanted.c_str()) == 0) return section.name;
    return {};
}

bool Run(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return Refuse("usage: set-resource FILE TYPE NAME DATAFILE");
    const std::string file = argv[1], type = argv[2], name = argv[3], data = argv[4];
    if (!wincompat::IsResourceNamePart(type) || !wincompat::IsResourceNamePart(name))
        return Refuse("TYPE and NAME must be non-empty and hold no '/', '=' or control characters");
    if (!IsReadableFile(data)) return Refuse(data + ": not a readable file");

    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Refuse(file + ": cannot open");
    std::vector<wincompat::ElfSection> sections;
    std::string error;
    bool isElf = wincompat::ReadElfSections(fd, sections, &error);
    close(fd);
    if (!isElf) return Refuse(file + ": " + error);

    const std::string wanted = wincompat::ResourceSectionName(type, name);
    std::string section = ExistingSection(sections, wanted);
    const char* action = section.empty() ? "--add-section" : "--update-section";
    if (section.empty()) section = wanted;

    ReplacementFile replacement(file);
    if (!replacement.ok()) return Refuse(replacement.error());
    if (!Run({VELMORA_OBJCOPY, action, section + "=" + data, file, replacement.path()}))
        return Refuse(file + ": objcopy could not write the resource");
    if (!replacement.Commit()) return Refuse(replacement.error());
    printf("%s: %s holds %s\n", file.c_str(), section.c_str(), data.c_str());
    return 0;
}
