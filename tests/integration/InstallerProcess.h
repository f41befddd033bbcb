// A silent install started in the background in a prefix, to be killed or
// waited for; stopped with SIGKILL when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

class InstallerProcess {
public:
    // Starts `installer slient` in the prefix, its standard error into
    // errorFile. With a gate (a Gate's file), the installer starts only when
    // the gate opens, so that several start together.
    InstallerProcess(const std::string& installer, const std::string& prefix, const std::string& errorFile,
                     const std::string& gate = "");
    ~InstallerProcess();
    InstallerProcess(const InstallerProcess&) = delete;
    InstallerProcess& operator=(const InstallerProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    void Kill();
    // The exit code; -1 when it ended by a signal or still ran after two minutes.
    int Wait();

private:
    pid_t pid_ = -1;
    bool ended_ = false;
    int exitCode_ = -1;
};

// Holds installers started with its file until Open(): a file lock the
// installers' shells wait for.
class Gate {
public:
    explicit Gate(const std::string& path);
    ~Gate();
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;
    const std::string& Path() const { return path_; }
    void Open();

private:
    std::string path_;
    int fd_ = -1;
};
