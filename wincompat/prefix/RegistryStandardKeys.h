// The keys every Windows machine has and programs open without creating them
// (Software, both views' Uninstall keys, Session Manager), and the link keys
// of a Wine prefix, so that paths through them land where Wine keeps the keys.
// The store makes sure of them whenever it reads a hive.
#pragma once

#include "prefix/RegistryFormat.h"
#include "prefix/RegistryTree.h"

namespace wincompat {

bool LacksStandardKeys(Hive hive, const RegistryKey& root);
// Adds the standard keys that are missing; keys that are there stay as they are.
void EnsureStandardKeys(Hive hive, RegistryKey& root);

}  // namespace wincompat
