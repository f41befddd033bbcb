// A property every input must keep; a broken one stops the fuzzer like a
// crash, so the input is saved as an artifact.
#pragma once

#include <stdio.h>
#include <stdlib.h>

inline void FuzzCheck(bool holds, const char* property) {
    if (holds) return;
    fprintf(stderr, "fuzz: property broken: %s\n", property);
    abort();
}
