// Rules that turn the stamped channel marker, or the installer's own file
// name, into the channel identity.
#pragma once

#include <string>

// True when the text holds "qstart" and "qend" and not the reserved stamp.
bool IsUsableStamp(const std::string& markerText);
// The value of a well-formed "qstart:value:qend" stamp, cut at its first '#';
// empty otherwise.
std::string MarkerValue(const std::string& markerText);
// The file name of a Windows path without its last extension.
std::wstring FileNameStem(const std::wstring& path);
// The identity before encryption: from a usable stamp, else from the file name.
std::wstring ResolveChannelIdentity(const std::string& markerText, bool usable, const std::wstring& modulePath);
