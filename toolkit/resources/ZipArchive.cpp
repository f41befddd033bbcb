// CZipArchive over libzip: a buffer source opened read-only, entries found
// by name, read whole (decrypted with the default password when set).
#include "toolkit/resources/ZipArchive.h"

#include <zip.h>

#include <algorithm>
#include <memory>

#include "toolkit/core/Utf8Text.h"

namespace DuiLib {

namespace {

// No skin file comes near this; an entry claiming more is refused unread.
constexpr zip_uint64_t kEntryLimit = 16 << 20;
constexpr zip_uint64_t kReadChunk = 64 << 10;

std::string ArchiveName(const std::wstring& name) {
    std::wstring path = name;
    for (wchar_t& c : path) {
        if (c == L'\\') c = L'/';
    }
    return Utf8FromWide(path);
}

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

}  // namespace

CZipArchive::~CZipArchive() { Close(); }

bool CZipArchive::Open(LPCVOID data, unsigned int size, const std::wstring& password) {
    Close();
    if (!data || size == 0) return false;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return false;
    }
    m_archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!m_archive) {
        zip_source_free(source);
        return false;
    }
    if (!password.empty()) zip_set_default_password(m_archive, Utf8FromWide(password).c_str());
    return true;
}

void CZipArchive::Close() {
    if (m_archive) zip_discard(m_archive);
    m_archive = nullptr;
}

bool CZipArchive::IsOpen() const { return m_archive != nullptr; }

long long CZipArchive::Locate(const std::wstring& name) const {
    if (!m_archive || name.empty()) return -1;
    std::string path = ArchiveName(name);
    zip_int64_t index = zip_name_locate(m_archive, path.c_str(), 0);
    if (index < 0) index = zip_name_locate(m_archive, path.c_str(), ZIP_FL_NOCASE);
    return index;
}

bool CZipArchive::Contains(const std::wstring& name) const { return Locate(name) >= 0; }

bool CZipArchive::Read(const std::wstring& name, std::vector<BYTE>& bytes) const {
    long long index = Locate(name);
    if (index < 0) return false;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) return false;
    if (stat.size > kEntryLimit) return false;
    std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(m_archive, index, 0));
    if (!file) return false;
    // The size is the archive's claim: the buffer grows with what is really read.
    bytes.clear();
    while (bytes.size() < stat.size) {
        size_t start = bytes.size();
        bytes.resize(start + std::min<zip_uint64_t>(kReadChunk, stat.size - start));
        zip_int64_t got = zip_fread(file.get(), bytes.data() + start, bytes.size() - start);
        if (got <= 0) return false;
        bytes.resize(start + static_cast<size_t>(got));
    }
    // The entry must end where it said: reading on to its end also checks the CRC.
    char more;
    return zip_fread(file.get(), &more, 1) == 0;
}

}  // namespace DuiLib
