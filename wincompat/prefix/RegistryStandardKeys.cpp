// The standard keys of both hives, as Wine's first start makes them.
#include "prefix/RegistryStandardKeys.h"

#include "prefix/RegistryPath.h"

namespace wincompat {

namespace {

struct StandardLink {
    KeyPath path;
    KeyPath target;
};

const std::vector<KeyPath>& StandardKeys(Hive hive) {
    static const std::vector<KeyPath> machine = {
        {L"Software", L"Classes", L"Wow6432Node"},
        {L"Software", L"Microsoft", L"Windows", L"CurrentVersion", L"Uninstall"},
        {L"Software", L"Wow6432Node", L"Microsoft", L"Windows", L"CurrentVersion", L"Uninstall"},
        {L"System", L"ControlSet001", L"Control", L"Session Manager"},
    };
    static const std::vector<KeyPath> user = {
        {L"Software", L"Microsoft", L"Windows", L"CurrentVersion"},
    };
    return hive == Hive::LocalMachine ? machine : user;
}

const std::vector<StandardLink>& StandardLinks(Hive hive) {
    static const std::vector<StandardLink> machine = {
        {{L"System", L"CurrentControlSet"}, {L"System", L"ControlSet001"}},
        {{L"Software", L"Wow6432Node", L"Classes"}, {L"Software", L"Classes", L"Wow6432Node"}},
    };
    static const std::vector<StandardLink> none;
    return hive == Hive::LocalMachine ? machine : none;
}

}  // namespace

bool LacksStandardKeys(Hive hive, const RegistryKey& root) {
    for (const KeyPath& path : StandardKeys(hive))
        if (!FindKey(root, hive, path)) return true;
    for (const StandardLink& link : StandardLinks(hive))
        if (!FindKey(root, hive, link.path)) return true;
    return false;
}

void EnsureStandardKeys(Hive hive, RegistryKey& root) {
    for (const KeyPath& path : StandardKeys(hive))
        if (!FindKey(root, hive, path)) CreateKey(root, hive, path, nullptr, nullptr);
    // A link that is there, or a real key in its place, is kept.
    for (const StandardLink& link : StandardLinks(hive))
        if (!FindKey(root, hive, link.path)) MakeLinkKey(root, hive, link.path, link.target);
}

}  // namespace wincompat
