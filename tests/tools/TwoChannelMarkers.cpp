// An executable with two channel markers in .rodata, one of them stamped:
// the stamping tool cannot tell which is meant and must refuse it.
extern "C" {

struct TwoChannelMarkers {
    alignas(4) char first[25];
    alignas(4) char second[25];
};

extern const TwoChannelMarkers two_channel_markers;
const TwoChannelMarkers two_channel_markers = {"qstart:xvrnkolpaz##:qend", "qstart:stamped#####:qend"};

}  // extern "C"

int main() { return two_channel_markers.first[0] == two_channel_markers.second[0] ? 0 : 1; }
