// The product's folder and file names and the one rule that joins them to a base folder.
#pragma once

#include <string>

extern const wchar_t ProductFolderName[];      // "Velmora"
extern const wchar_t UserFolderName[];         // "VelmoraUser"
extern const wchar_t UserConfigFileName[];     // "VelmoraUser.ini"
extern const wchar_t VersionFileName[];        // "VelmoraUserVersion.ini"
extern const wchar_t ProductVersion[];         // "1.0.1.2016"
extern const wchar_t LauncherFileName[];       // "Pellamor.exe", the product's launcher in the install folder
// The product's shell-extension libraries in the install folder, in the order they are handled.
extern const wchar_t* const ShellExtensionLibraries[2];  // "Tellurin.dll", "Tellurin64.dll"

// Every "/" becomes "\"; one "\" is put between base and name unless either is
// empty, the base ends in ":", "/" or "\", or the name starts with a separator.
std::wstring JoinPath(const std::wstring& base, const std::wstring& name);

std::wstring ProductFolderPath(const std::wstring& base);
std::wstring UserFolderPath(const std::wstring& base);
std::wstring UserConfigFilePath(const std::wstring& base);
std::wstring VersionFilePath(const std::wstring& base);
