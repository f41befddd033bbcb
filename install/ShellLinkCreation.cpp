// One shell link through the shell's link object, with COM initialised around it.
#include "install/ComPtr.h"
#include "install/Shortcuts.h"

#include <objbase.h>
#include <shlguid.h>
#include <shobjidl.h>

namespace {

// CoInitialize for the lifetime of the object; S_FALSE (already initialised)
// counts too and is balanced like S_OK.
class ComInitialisation {
public:
    ComInitialisation() : result_(CoInitialize(nullptr)) {}
    ComInitialisation(const ComInitialisation&) = delete;
    ComInitialisation& operator=(const ComInitialisation&) = delete;
    ~ComInitialisation() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    bool Succeeded() const { return SUCCEEDED(result_); }
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

template <typename T>
using ComRef = com::ComPtr<T>;  // the generic counted COM reference

}  // namespace

StepResult CreateShellLink(const std::wstring& linkPath, const std::wstring& targetPath, LPCWSTR arguments) {
    if (!FitsPathBuffer(linkPath) || !FitsPathBuffer(targetPath))
        return StepFailed("writing", linkPath, ERROR_FILENAME_EXCED_RANGE);
    ComInitialisation com;
    if (!com.Succeeded()) return StepFailed("writing", linkPath, ErrorOfResult(com.Result()));
    ComRef<IShellLinkW> link;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      link.ReceiveVoid());
    if (FAILED(result)) return StepFailed("writing", linkPath, ErrorOfResult(result));
    link->SetPath(targetPath.c_str());
    link->SetShowCmd(SW_SHOWNORMAL);
    if (arguments) link->SetArguments(arguments);
    ComRef<IPersistFile> file;
    if (FAILED(result = link->QueryInterface(IID_IPersistFile, file.ReceiveVoid())))
        return StepFailed("writing", linkPath, ErrorOfResult(result));
    if (FAILED(result = file->Save(linkPath.c_str(), FALSE)))
        return StepFailed("writing", linkPath, ErrorOfResult(result));
    return std::nullopt;
}
