#include "wizard/SkinLoading.h"

#include "app/InstallOptions.h"
#include "report/ByteBuffer.h"
#include "report/ResourceLoader.h"
#include "toolkit/UIlib.h"
#include "wizard/UITaskWindow.h"

#include <windows.h>

#include <string>

using namespace DuiLib;

namespace {

// The executable's folder up to and including its last backslash.
std::wstring ExecutableFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

}  // namespace

void LoadSkin(ByteBuffer& skin) {
    if (GetIntOption(L"Slien")) return;
    CreateUITaskWindow();
    CPaintManagerUI::SetResourceType(UILIB_ZIPRESOURCE);
    // Only read while no archive is set, which never happens after this.
    CPaintManagerUI::SetResourcePath((ExecutableFolder() + L"..\\skin\\Quorindel\\").c_str());
    LoadResourceData(L"ZIPRES", L"IDR_ZIPRES", skin, true);
    // Also when empty: the toolkit then fails to build the window and says so.
    CPaintManagerUI::SetResourceZip(skin.Data(), skin.Size(), nullptr);
    CResourceManager::GetInstance()->LoadResource(L"res.xml");
}
