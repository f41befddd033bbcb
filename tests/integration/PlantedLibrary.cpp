// A library planted beside the installer under a system library's name: when
// anything maps it, it leaves a marker file named by PLANTED_LIBRARY_MARKER.
#include <stdio.h>
#include <stdlib.h>

__attribute__((constructor)) static void LeaveMarker() {
    const char* marker = getenv("PLANTED_LIBRARY_MARKER");
    if (!marker) return;
    if (FILE* file = fopen(marker, "w")) fclose(file);
}
