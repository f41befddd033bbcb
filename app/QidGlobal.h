// The channel identity record: the marker texts copied from the image, and
// whether the channel marker holds a usable stamp.
#pragma once

#include "app/ChannelMarkers.h"

#include <stdint.h>

class CQidGlobal {
public:
    CQidGlobal();

    // Copies the markers, stores the encrypted identity as option "Qid", then
    // adopts the install folder of an earlier install.
    void Initialise();
    // Sets and returns the valid flag from the channel-marker field.
    bool CheckStamp();

    const char* ChannelMarkerText() const { return channelMarker_; }
    int32_t Valid() const { return valid_; }

private:
    void ResolveChannelIdentity();

    char applicationMarker_[kApplicationMarkerBytes];
    char identifierMarker_[260];
    char channelMarker_[260];
    int32_t valid_;
};
