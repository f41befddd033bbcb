// The three markers are members of one struct so that they lie in source
// order, each on a 4-byte boundary (separate variables may be emitted in any
// order). Every read goes through an empty asm that claims to change the
// pointer: the compiler then cannot fold the texts it knows into the code,
// and a stamp written into the file after the build is what the program sees.
#include "app/ChannelMarkers.h"

#include <string_view>

extern "C" {

struct VelmoraChannelMarkers {
    alignas(4) char application[kApplicationMarkerBytes];
    alignas(4) char identifier[kIdentifierMarkerBytes];
    alignas(4) char channel[kChannelMarkerBytes];
};

extern const VelmoraChannelMarkers velmora_channel_markers;
constexpr VelmoraChannelMarkers velmora_channel_markers = {
    "ApplicationBeigin:{88073EE4-DAA9-4810-A6E8-7AB80F768ADA}:ApplicationEnd",
    "identifierBegin:{B6296EE0-72D9-4369-9ADC-CEC4161BE6FD}:identifierEnd",
    "qstart:xvrnkolpaz##:qend",
};

}  // extern "C"

// Each text fills its array exactly: a shorter one would leave the stamping
// tool and the byte counts above out of step.
static_assert(std::string_view(velmora_channel_markers.application).size() + 1 == kApplicationMarkerBytes);
static_assert(std::string_view(velmora_channel_markers.identifier).size() + 1 == kIdentifierMarkerBytes);
static_assert(std::string_view(velmora_channel_markers.channel).size() + 1 == kChannelMarkerBytes);

namespace {

const char* FromImage(const char* text) {
    __asm__("" : "+r"(text));
    return text;
}

}  // namespace

const char* ApplicationMarker() { return FromImage(velmora_channel_markers.application); }
const char* IdentifierMarker() { return FromImage(velmora_channel_markers.identifier); }
const char* ChannelMarker() { return FromImage(velmora_channel_markers.channel); }
