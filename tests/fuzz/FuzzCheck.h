#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>

// A broken property ends the run as a crash, so that libFuzzer keeps the input that broke it.
inline void Expect(bool holds, const char* property, const QString& detail = {}) {
    if (holds)
        return;
    std::fprintf(stderr, "Property broken: %s\n%s\n", property, qUtf8Printable(detail));
    std::abort();
}
