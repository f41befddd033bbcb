#include "ole32/ComClasses.h"

#include <shlguid.h>

#include "ole32/TaskbarList.h"
#include "shell32/ShellLinkObject.h"

namespace wincompat {

namespace {

// One line per class.
const ComClass kClasses[] = {
    {&CLSID_ShellLink, CreateShellLinkObject},
    {&CLSID_TaskbarList, CreateTaskbarListObject},
};

}  // namespace

const ComClass* FindComClass(REFCLSID clsid) {
    for (const ComClass& entry : kClasses)
        if (IsEqualCLSID(*entry.clsid, clsid)) return &entry;
    return nullptr;
}

}  // namespace wincompat
