// Registry key handles closed by their owner, and the walk that gives a
// refused key tree full access for the interactive user.
#pragma once

#include <windows.h>

class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey() { Close(); }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    HKEY get() const { return key_; }
    PHKEY receive() {
        Close();
        return &key_;
    }
    void Close() {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

// Replaces the DACL of parent\name and of every key below it, pre-order, with
// one entry granting INTERACTIVE (S-1-5-4) KEY_ALL_ACCESS. True when the whole
// subtree was walked.
bool GrantKeyAccessRecursive(HKEY parent, const wchar_t* name);
