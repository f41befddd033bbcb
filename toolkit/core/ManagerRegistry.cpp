// The managers in the order they were initialised.
#include "toolkit/core/ManagerRegistry.h"

#include <algorithm>
#include <vector>

#include "toolkit/core/PaintManagerUI.h"

namespace DuiLib {

namespace {

std::vector<CPaintManagerUI*>& Managers() {
    static std::vector<CPaintManagerUI*> managers;
    return managers;
}

}  // namespace

void RegisterManager(CPaintManagerUI* manager) {
    auto& managers = Managers();
    if (std::find(managers.begin(), managers.end(), manager) == managers.end()) managers.push_back(manager);
}

void UnregisterManager(CPaintManagerUI* manager) {
    auto& managers = Managers();
    managers.erase(std::remove(managers.begin(), managers.end(), manager), managers.end());
}

CPaintManagerUI* FindManager(HWND window) {
    if (!window) return nullptr;
    for (CPaintManagerUI* manager : Managers()) {
        if (manager->GetPaintWindow() == window) return manager;
    }
    return nullptr;
}

}  // namespace DuiLib
