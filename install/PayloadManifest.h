// The entries of the install folder that are the install's own: every item
// of the payload archive, the folders on the way to each, and the files the
// install writes there itself. The rights walks touch nothing else, so a
// user's own files in (or behind) the folder keep their rights.
#pragma once

#include <stdint.h>
#include <wchar.h>

#include <set>
#include <string>

class PayloadManifest {
public:
    // A path relative to the install folder, '\' or '/' separated; the
    // folders on its way are added too.
    void Add(const std::wstring& relativePath);
    // Compared as Windows compares names: without regard to letter case.
    bool Contains(const std::wstring& relativePath) const;
    size_t Size() const { return entries_.size(); }

private:
    struct NoCaseLess {
        bool operator()(const std::wstring& a, const std::wstring& b) const {
            return _wcsicmp(a.c_str(), b.c_str()) < 0;
        }
    };
    std::set<std::wstring, NoCaseLess> entries_;
};

// The items of a 7z archive held in memory; false when it cannot be read as
// one. Items whose path would leave the folder are not taken.
bool AddArchiveItems(const void* bytes, uint64_t size, PayloadManifest& manifest);

// The embedded payload's items and the install's own files (the version file,
// the internet shortcut). A payload that cannot be read gives the own files.
PayloadManifest ReadPayloadManifest();
