// The channel marker as the stamping tool sees it: "qstart:" + a 12-byte
// field + ":qend" and its terminator, 25 bytes in the executable's .rodata.
// The field holds the unstamped placeholder or an earlier stamp's value
// padded with '#', so a stamped file can be stamped again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t kStampValueMaxLength = 12;

// Why value cannot be stamped, or empty when it can. The value comes from
// outside, so only printable ASCII other than ':' and '#' (which would split
// or cut the stamp when the installer reads it) and '|' (which would split the
// install report's channel field) is accepted. The reserved stamp text stays
// allowed: stamping it on purpose gives the installer back its file-name channel.
std::string StampValueProblem(std::string_view value);

// Offsets in data of every 25-byte channel marker, stamped or not.
std::vector<size_t> FindChannelMarkers(std::string_view data);

// The 24 characters to write over a marker: the value padded with '#'.
std::string ChannelStampText(std::string_view value);
