#pragma once

#include <cstdio>

// A broken invariant is a finding: say which, and stop where libFuzzer keeps the input.
inline void require(bool ok, const char *why)
{
    if (ok)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", why);
    __builtin_trap();
}
