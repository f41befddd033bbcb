// Modules: the main image, the system DLLs every Windows has (built in, with
// the exports callers look up by name), and real shared objects.
#include <windows.h>

#include "kernel32/BuiltinExports.h"
#include "kernel32/FileImageLock.h"
#include "kernel32/ModuleSearch.h"
#include "kernel32/WideBuffer.h"
#include "prefix/Machine.h"
#include "prefix/Prefix.h"

#include <dlfcn.h>
#include <limits.h>
#include <string.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

using namespace wincompat;

namespace {

struct Module {
    enum class Kind { Main, Builtin, Shared } kind;
    std::string name;      // lower-case file name, e.g. "kernel32.dll"
    std::string unixPath;  // shared objects only
    void* handle = nullptr;
    int references = 0;
    std::unique_ptr<FileImageLock> image = nullptr;  // keeps the file from being deleted while mapped
};

// The system libraries a Windows program links to are loaded with it, so
// GetModuleHandleW finds them; d3d9 is only ever probed with LoadLibraryW.
bool IsAlwaysLoaded(const std::string& name) { return name != "d3d9.dll"; }

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// "KERNEL32" -> "kernel32.dll"; a trailing dot means "no extension".
std::string ModuleFileName(std::wstring_view name) {
    std::string text = Lower(Utf8FromWide(name));
    if (!text.empty() && text.back() == '.') text.pop_back();
    else if (text.find('.') == std::string::npos) text += ".dll";
    return text;
}

bool HasFolder(std::wstring_view name) {
    return name.find_first_of(L"\\/:") != std::wstring_view::npos;
}

int DlopenFlags() {
#if defined(__SANITIZE_ADDRESS__)
    return RTLD_NOW | RTLD_LOCAL;  // the sanitizer runtime refuses RTLD_DEEPBIND
#else
    // A loaded library binds to its own symbols first, never to ours.
    return RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND;
#endif
}

class ModuleTable {
public:
    Module* Main() { return &main_; }

    Module* Find(const std::string& name) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = byName_.find(name);
        if (found != byName_.end()) return found->second;
        if (IsAlwaysLoaded(name) && IsBuiltinModule(name)) return AddLocked(Module::Kind::Builtin, name, "");
        return nullptr;
    }

    Module* Load(const std::string& name, const std::string& unixPath, DWORD* error) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string key = unixPath.empty() ? name : unixPath;
        if (auto found = byName_.find(key); found != byName_.end()) {
            ++found->second->references;
            return found->second;
        }
        if (unixPath.empty()) return AddLocked(Module::Kind::Builtin, name, "");
        void* handle = dlopen(unixPath.c_str(), DlopenFlags());
        if (!handle) {
            *error = access(unixPath.c_str(), F_OK) == 0 ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND;
            return nullptr;
        }
        Module* module = AddLocked(Module::Kind::Shared, name, unixPath);
        module->handle = handle;
        module->image = FileImageLock::Hold(unixPath);
        return module;
    }

    bool Contains(Module* module) {
        if (module == &main_) return true;
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& entry : byName_)
            if (entry.second == module) return true;
        return false;
    }

    bool Release(Module* module) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (module->kind != Module::Kind::Shared || --module->references > 0) return true;
        byName_.erase(module->unixPath);
        dlclose(module->handle);
        delete module;
        return true;
    }

private:
    Module* AddLocked(Module::Kind kind, const std::string& name, const std::string& unixPath) {
        Module* module = new Module{kind, name, unixPath, nullptr, 1};
        byName_[unixPath.empty() ? name : unixPath] = module;
        return module;
    }

    std::mutex mutex_;
    Module main_{Module::Kind::Main, "", "", nullptr, 1};
    std::map<std::string, Module*> byName_;  // built-ins by name, shared objects by path
};

ModuleTable& Modules() {
    static ModuleTable* table = new ModuleTable;  // lives until exit; modules outlive static destructors
    return *table;
}

Module* FromHandle(HMODULE handle) {
    if (!handle) return Modules().Main();
    Module* module = reinterpret_cast<Module*>(handle);
    return Modules().Contains(module) ? module : nullptr;
}

std::string ExecutablePath() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) return std::string();
    path[length] = '\0';
    return path;
}

}  // namespace

extern "C" HMODULE WINAPI GetModuleHandleW(LPCWSTR moduleName) {
    if (!moduleName) return reinterpret_cast<HMODULE>(Modules().Main());
    std::string name = ModuleFileName(moduleName);
    if (CurrentMachine().IsMissing(name)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    Module* module = Modules().Find(name);
    if (!module) SetLastError(ERROR_MOD_NOT_FOUND);
    return reinterpret_cast<HMODULE>(module);
}

extern "C" HMODULE WINAPI LoadLibraryExW(LPCWSTR fileName, HANDLE reserved, DWORD flags) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::wstring_view requested(fileName);
    std::string name = ModuleFileName(requested.substr(requested.find_last_of(L"\\/") + 1));
    std::string unixPath;
    DWORD error = ERROR_MOD_NOT_FOUND;
    if (HasFolder(requested)) {
        if (!DosToUnix(requested, unixPath, &error)) {
            SetLastError(error);
            return nullptr;
        }
    } else if (CurrentMachine().IsMissing(name)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    } else if (!SearchLibrary(requested, name, flags, unixPath)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    Module* module = Modules().Load(name, unixPath, &error);
    if (!module) SetLastError(error);
    return reinterpret_cast<HMODULE>(module);
}

extern "C" HMODULE WINAPI LoadLibraryW(LPCWSTR fileName) { return LoadLibraryExW(fileName, nullptr, 0); }

extern "C" BOOL WINAPI SetDefaultDllDirectories(DWORD directoryFlags) {
    if (!SetDefaultSearchFlags(directoryFlags)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI FreeLibrary(HMODULE handle) {
    Module* module = handle ? FromHandle(handle) : nullptr;
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return Modules().Release(module) ? TRUE : FALSE;
}

extern "C" FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR procName) {
    Module* module = FromHandle(handle);
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (!procName || IS_INTRESOURCE(procName)) {
        SetLastError(ERROR_PROC_NOT_FOUND);  // exports by ordinal are not offered
        return nullptr;
    }
    FARPROC address = nullptr;
    if (module->kind == Module::Kind::Builtin && !CurrentMachine().IsMissing(module->name, procName))
        address = FindBuiltinExport(module->name, procName);
    else if (module->kind == Module::Kind::Shared)
        address = reinterpret_cast<FARPROC>(dlsym(module->handle, procName));
    if (!address) SetLastError(ERROR_PROC_NOT_FOUND);
    return address;
}

extern "C" DWORD WINAPI GetModuleFileNameW(HMODULE handle, LPWSTR fileName, DWORD size) {
    Module* module = FromHandle(handle);
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::wstring path;
    switch (module->kind) {
    case Module::Kind::Main: path = UnixToDos(ExecutablePath()); break;
    case Module::Kind::Builtin: path = SystemFolder() + L"\\" + WideFromUtf8(module->name); break;
    case Module::Kind::Shared: path = UnixToDos(module->unixPath); break;
    }
    if (!fileName || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Too small a buffer gets the path cut to size - 1 characters, as Windows does.
    DWORD copied = path.size() < size ? static_cast<DWORD>(path.size()) : size - 1;
    wmemcpy(fileName, path.data(), copied);
    fileName[copied] = L'\0';
    if (copied < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    SetLastError(ERROR_SUCCESS);
    return copied;
}
