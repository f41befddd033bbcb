// Skins for toolkit tests: files packed into an in-memory zip that the
// toolkit reads as its skin source, and PNG images made on the spot.
#pragma once

#include <map>
#include <string>

using SkinFiles = std::map<std::string, std::string>;

// name -> bytes; with a password every entry is AES-256 encrypted.
std::string MakeZip(const SkinFiles& files, const char* password = nullptr);
// A width x height PNG filled with one 0xAARRGGBB colour.
std::string MakePng(int width, int height, unsigned int argb);
// A unix path as the Windows program sees it (Z:\...).
std::wstring DosPath(const std::string& unixPath);

// Sets the toolkit's skin source to an archive of the given files for the
// lifetime of the object, and puts the source back to its starting state after.
class ScopedSkin {
public:
    explicit ScopedSkin(const SkinFiles& files, const char* password = nullptr);
    ScopedSkin();  // no archive: the folder source, empty
    ~ScopedSkin();
    ScopedSkin(const ScopedSkin&) = delete;
    ScopedSkin& operator=(const ScopedSkin&) = delete;

    // Sets any bytes as the archive (kept alive here).
    void SetArchiveBytes(const std::string& bytes, const wchar_t* password = nullptr);

private:
    std::string m_bytes;
};
