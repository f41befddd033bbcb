// CSkinSource: files under the folder through CreateFileW, or entries of the archive.
#include "toolkit/resources/SkinSource.h"

#include "toolkit/core/ResourceType.h"

namespace DuiLib {

namespace {

// Closes a file handle when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() {
        if (IsValid()) ::CloseHandle(m_handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

std::wstring FolderPath(const std::wstring& folder, const std::wstring& name) {
    std::wstring path = folder + name;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

}  // namespace

CSkinSource& CSkinSource::Get() {
    static CSkinSource source;
    return source;
}

void CSkinSource::SetKind(int kind) {
    if (kind == m_kind) return;
    m_kind = kind;
    ++m_generation;
}

int CSkinSource::GetKind() const { return m_kind; }

void CSkinSource::SetFolder(const std::wstring& folder) {
    m_folder = folder;
    ++m_generation;
}

const std::wstring& CSkinSource::GetFolder() const { return m_folder; }

void CSkinSource::SetArchive(LPCVOID data, unsigned int size, const std::wstring& password) {
    // An unreadable archive still counts as set: every read then fails.
    m_hasArchive = true;
    m_archive.Open(data, size, password);
    ++m_generation;
}

void CSkinSource::Reset() {
    m_kind = UILIB_FILE;
    m_folder.clear();
    m_hasArchive = false;
    m_archive.Close();
    ++m_generation;
}

bool CSkinSource::ServesFolder() const { return !m_hasArchive && m_kind == UILIB_FILE; }

bool CSkinSource::Read(const std::wstring& name, std::vector<BYTE>& bytes) const {
    bytes.clear();
    if (name.empty()) return false;
    if (m_hasArchive) return m_archive.Read(name, bytes);
    if (!ServesFolder()) return false;
    return ReadFromFolder(name, bytes);
}

bool CSkinSource::Exists(const std::wstring& name) const {
    if (name.empty()) return false;
    if (m_hasArchive) return m_archive.Contains(name);
    if (!ServesFolder()) return false;
    DWORD attributes = ::GetFileAttributesW(FolderPath(m_folder, name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CSkinSource::ReadFromFolder(const std::wstring& name, std::vector<BYTE>& bytes) const {
    FileHandle file(::CreateFileW(FolderPath(m_folder, name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    DWORD high = 0;
    DWORD size = ::GetFileSize(file.Get(), &high);
    if (size == INVALID_FILE_SIZE || high != 0) return false;
    bytes.resize(size);
    DWORD done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), bytes.data() + done, size - done, &got, nullptr) || got == 0) return false;
        done += got;
    }
    return true;
}

unsigned int CSkinSource::Generation() const { return m_generation; }

}  // namespace DuiLib
