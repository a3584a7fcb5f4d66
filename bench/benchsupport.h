#pragma once

#include "files/fileerror.h"

#include <benchmark/benchmark.h>

#include <QString>

#include <cstdio>
#include <cstdlib>

// Set-up that fails leaves nothing worth measuring: say why and stop.
inline void requireOk(const Puckdex::Status &status, const char *what)
{
    if (status)
        return;
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(status.error().fullMessage()));
    std::exit(1);
}

inline void requireOk(bool ok, const char *what)
{
    if (ok)
        return;
    std::fprintf(stderr, "%s failed\n", what);
    std::exit(1);
}

// A failure inside a measured loop ends that benchmark with the reason.
inline bool skipOnError(benchmark::State &state, const Puckdex::FileError &error)
{
    state.SkipWithError(qPrintable(error.fullMessage()));
    return false;
}
