// stamp-channel FILE VALUE: writes a channel stamp into the channel marker of
// an installer executable. The marker is looked for only in .rodata, where
// the installer reads it; the same bytes elsewhere (inside a resource, say)
// are not the marker. The file is rewritten as a whole and renamed over.
#include "ChannelStamp.h"
#include "ReplacementFile.h"
#include "kernel32/ElfSections.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <string>

namespace {

int Refuse(const std::string& message) {
    fprintf(stderr, "stamp-channel: %s\n", message.c_str());
    return 1;
}

bool ReadWholeFile(int fd, std::string& contents) {
    contents.clear();
    char chunk[65536];
    for (;;) {
        ssize_t got = pread(fd, chunk, sizeof(chunk), static_cast<off_t>(contents.size()));
        if (got < 0) return false;
        if (got == 0) return true;
        contents.append(chunk, static_cast<size_t>(got));
    }
}

// Where the marker to stamp lies in the file, or an error message.
bool LocateMarker(int fd, const std::string& contents, size_t& offset, std::string& error) {
    std::vector<wincompat::ElfSection> sections;
    if (!ReadElfSections(fd, sections, &error)) return false;
    const auto* rodata = wincompat::FindElfSection(sections, ".rodata");
    if (!rodata) {
        error = "no .rodata section";
        return false;
    }
    std::string_view data = std::string_view(contents).substr(rodata->offset, rodata->size);
    std::vector<size_t> found = FindChannelMarkers(data);
    if (found.size() != 1) {
        error = found.empty() ? "no channel marker in .rodata"
                              : std::to_string(found.size()) + " channel markers in .rodata, expected exactly one";
        return false;
    }
    offset = rodata->offset + found.front();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Refuse("usage: stamp-channel FILE VALUE");
    const std::string file = argv[1];
    const std::string value = argv[2];
    if (std::string problem = StampValueProblem(value); !problem.empty()) return Refuse(problem);

    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Refuse(file + ": cannot open");
    std::string contents;
    size_t offset = 0;
    std::string error;
    bool located = ReadWholeFile(fd, contents) && LocateMarker(fd, contents, offset, error);
    close(fd);
    if (!located) return Refuse(file + ": " + (error.empty() ? "cannot read" : error));

    const std::string stamp = ChannelStampText(value);
    contents.replace(offset, stamp.size(), stamp);
    ReplacementFile replacement(file);
    if (!replacement.ok() || !replacement.Write(contents.data(), contents.size()) || !replacement.Commit())
        return Refuse(replacement.error());
    printf("%s: channel marker now %s\n", file.c_str(), stamp.c_str());
    return 0;
}
