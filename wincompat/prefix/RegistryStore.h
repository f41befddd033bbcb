// The registry of a prefix on disk: HKLM in <folder>/system.reg, HKCU in
// <folder>/user.reg, in Wine's format.
//
// Reads see the file as it is now: a hive is read again whenever the file on
// disk differs from the one last read. Every change is made under an
// exclusive lock on <folder>/.registry.lock (never replaced), on the current
// contents, and reaches the disk atomically: temporary file, fsync, rename
// over the hive, fsync of the folder. A damaged hive is read as far as it
// can be, reported once on standard error, and copied beside itself
// (system.reg.damaged) before it is first rewritten.
#pragma once

#include "prefix/RegistryFormat.h"
#include "prefix/RegistryTree.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace wincompat {

class RegistryStore {
public:
    // The hive's root, to look at.
    using Reader = std::function<LONG(const RegistryKey& root)>;
    // The hive's root, to change; set `changed` when something was changed,
    // which makes the store write the hive.
    using Writer = std::function<LONG(RegistryKey& root, bool& changed)>;

    explicit RegistryStore(std::string folder);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // Both return the callback's result, or the error that kept the store
    // from reading or writing the hive.
    LONG Read(Hive hive, const Reader& read);
    LONG Write(Hive hive, const Writer& change);

    std::string HivePath(Hive hive) const;

private:
    struct HiveFile;
    HiveFile& File(Hive hive);
    void Refresh(HiveFile& file);
    LONG Save(HiveFile& file);
    int LockFile();

    std::string folder_;
    std::mutex mutex_;
    int lockFd_ = -1;
    std::unique_ptr<HiveFile> machine_;
    std::unique_ptr<HiveFile> user_;
};

// The store of this process's prefix (PrefixRoot()).
RegistryStore& ProcessRegistry();

}  // namespace wincompat
