// The install options: one process-wide ordered map of wide-text settings
// that the start-up fills and every install step reads.
#pragma once

#include <map>
#include <string>

using InstallOptions = std::map<std::wstring, std::wstring>;  // keys compare exactly, case-sensitively

// The one map, created empty on first use (thread-safe).
InstallOptions* GetInstallOptions();

// Empty text for an absent key; the key is not added.
std::wstring GetOption(const std::wstring& key);
// GetOption converted as _wtoi does; 0 for empty text.
int GetIntOption(const std::wstring& key);
void SetOption(const std::wstring& key, const std::wstring& value);
void SetIntOption(const std::wstring& key, int value);

// Stores the ten defaults and creates the default install and user-data folders.
void ApplyDefaultOptions();
