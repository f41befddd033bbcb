#include "kernel32/PendingOperations.h"

#include <windows.h>

#include "prefix/Prefix.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace wincompat {

namespace {

const wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kValueName[] = L"PendingFileRenameOperations";
const wchar_t kNtPrefix[] = L"\\??\\";

class Key {
public:
    LONG Open(REGSAM access) {
        return RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, nullptr, 0, access, nullptr, &key_, nullptr);
    }
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

std::wstring StripNtPrefix(std::wstring path) {
    if (path.rfind(kNtPrefix, 0) == 0) path.erase(0, 4);
    return path;
}

// The strings of REG_MULTI_SZ data, keeping empty ones: they mean "delete".
std::vector<std::wstring> SplitStrings(const std::vector<wchar_t>& data) {
    std::vector<std::wstring> strings;
    size_t start = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        if (data[i] != L'\0') continue;
        strings.emplace_back(data.data() + start, i - start);
        start = i + 1;
    }
    if (start < data.size()) strings.emplace_back(data.data() + start, data.size() - start);
    return strings;
}

}  // namespace

PendingOperationsLock::PendingOperationsLock() {
    const std::string& root = PrefixRoot();
    if (root.empty()) return;
    fd_ = open((root + "/.pending-renames.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    while (fd_ >= 0 && flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
}

PendingOperationsLock::~PendingOperationsLock() {
    if (fd_ >= 0) close(fd_);
}

std::vector<std::wstring> EncodePendingOperations(const std::vector<PendingOperation>& operations) {
    std::vector<std::wstring> strings;
    for (const PendingOperation& operation : operations) {
        strings.push_back(kNtPrefix + operation.source);
        if (operation.target.empty()) strings.emplace_back();
        else strings.push_back((operation.replace ? L"!" : L"") + std::wstring(kNtPrefix) + operation.target);
    }
    return strings;
}

std::vector<PendingOperation> DecodePendingOperations(const std::vector<std::wstring>& strings) {
    std::vector<PendingOperation> operations;
    for (size_t i = 0; i + 1 < strings.size(); i += 2) {
        if (strings[i].empty()) continue;  // the list's final terminator, or damage
        PendingOperation operation;
        operation.source = StripNtPrefix(strings[i]);
        std::wstring target = strings[i + 1];
        operation.replace = !target.empty() && target[0] == L'!';
        operation.target = StripNtPrefix(operation.replace ? target.substr(1) : target);
        operations.push_back(operation);
    }
    return operations;
}

LONG ReadPendingOperations(std::vector<PendingOperation>& operations) {
    operations.clear();
    Key key;
    if (LONG status = key.Open(KEY_QUERY_VALUE)) return status;
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExW(key.get(), kValueName, nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    std::vector<wchar_t> data(size / sizeof(wchar_t));
    status = RegQueryValueExW(key.get(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_MULTI_SZ) return ERROR_SUCCESS;  // not a list Windows would act on
    data.resize(size / sizeof(wchar_t));
    operations = DecodePendingOperations(SplitStrings(data));
    return ERROR_SUCCESS;
}

LONG WritePendingOperations(const std::vector<PendingOperation>& operations) {
    Key key;
    if (LONG status = key.Open(KEY_SET_VALUE)) return status;
    if (operations.empty()) {
        LONG status = RegDeleteValueW(key.get(), kValueName);
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    std::vector<wchar_t> data;
    for (const std::wstring& text : EncodePendingOperations(operations)) {
        data.insert(data.end(), text.begin(), text.end());
        data.push_back(L'\0');
    }
    data.push_back(L'\0');  // the list's terminator
    return RegSetValueExW(key.get(), kValueName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

LONG AppendPendingOperation(const PendingOperation& operation) {
    PendingOperationsLock lock;
    std::vector<PendingOperation> operations;
    if (LONG status = ReadPendingOperations(operations)) return status;
    operations.push_back(operation);
    return WritePendingOperations(operations);
}

}  // namespace wincompat
