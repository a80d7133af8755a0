// The fuzz targets' assertion: a broken rule ends the run with the rule's text,
// which libFuzzer then reports as a crash with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define KORVALT_FUZZ_CHECK(condition)                                                         \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "%s:%d: broken rule: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)
