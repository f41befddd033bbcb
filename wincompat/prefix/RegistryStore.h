// The registry of a prefix on disk: HKLM in <folder>/system.reg, HKCU in
// <folder>/user.reg, in Wine's format.
//
// Reads see the file as it is now: every call reads the file, and the tree is
// read again whenever its bytes differ from the ones last read (a file's
// inode, size and coarse mtime can all repeat after a rewrite, so they do not
// tell). Every change is made under an exclusive lock on
// <folder>/.registry.lock (never replaced), on the current contents, and
// reaches the disk atomically: temporary file, fsync, rename over the hive,
// fsync of the folder. So a reader sees one whole state or the next.
//
// Damage is reported on standard error. A file that is no hive at all
// (RegistryFormat.h), or larger than any hive, is renamed to
// system.reg.damaged (user.reg.damaged), replacing an older one, and a fresh
// hive starts; a hive that reads with some unreadable lines keeps its
// readable keys and is renamed aside when it is first rewritten. The standard
// keys (RegistryStandardKeys.h) are added whenever a hive read lacks them,
// and only then is it rewritten. A file that cannot be read at all (no
// permission, a folder) is never replaced.
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
    bool NeedsRepair(const HiveFile& file) const;
    bool SetAside(const HiveFile& file);
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
