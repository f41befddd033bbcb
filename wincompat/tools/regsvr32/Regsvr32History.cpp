#include "regsvr32/Regsvr32History.h"

#include "prefix/Prefix.h"

#include <fcntl.h>
#include <unistd.h>

namespace regsvr32 {

void AppendHistory(const char* action, int exitCode, const std::wstring& commandLine) {
    const std::string& root = wincompat::PrefixRoot();
    if (root.empty()) return;
    std::string line = std::string(action) + "\t" + std::to_string(exitCode) + "\t" +
                       wincompat::Utf8FromWide(commandLine) + "\n";
    int fd = open((root + "/regsvr32.log").c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    ssize_t written = write(fd, line.data(), line.size());
    (void)written;  // a history line is a courtesy; the registration stands without it
    close(fd);
}

}  // namespace regsvr32
