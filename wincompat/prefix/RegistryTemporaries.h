// The temporary files the registry store writes a hive into before it renames
// them over the hive: "system.reg." or "user.reg." and six letters or digits
// (mkostemp's pattern). One is there only while a writer holds the prefix's
// registry lock, so one found under that lock was left by a killed writer.
#pragma once

#include <string>
#include <string_view>

namespace wincompat {

bool IsHiveTemporaryName(std::string_view name);
// Removes the regular files of the folder named like temporaries; nothing
// else, links of those names included. Call only while holding the lock.
void RemoveAbandonedTemporaries(const std::string& folder);

}  // namespace wincompat
