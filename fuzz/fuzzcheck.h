#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

// A property an input broke: said on standard error with the bytes
// concerned, then abort() so that libFuzzer keeps the input as a crash.
inline void requireThat(bool holds, const char *what, std::string_view detail)
{
    if (holds)
        return;
    std::fprintf(stderr, "%s: \"%.*s\"\n", what, int(detail.size() < 400 ? detail.size() : 400), detail.data());
    std::abort();
}
