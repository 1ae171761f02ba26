#pragma once

// What the run-time layer knows of the system's locale beyond its number formats. These are
// settings with the defaults of a Western system; the program (or a test) may change them.
struct TSysLocale {
    // The locale writes with double-byte character sets (Chinese, Japanese, Korean). Nothing
    // here tells it from the system; off unless set.
    bool FarEast = false;
    // Right-to-left (Middle-East) support: code that has a right-to-left rule asks it; a program
    // switches it on to have the rule apply. Off, as on a Western Windows.
    bool MiddleEast = false;
};

extern TSysLocale SysLocale;
