// The program's version: the one place that holds it. The resource script
// (version record), the build (the manifest's assembly version, the archive's
// name) and the About box all take it from here.
//
// The four numbers are the file version; the short text is the version the
// user sees ("1.06" is major 1, minor 6 in two digits). The texts are spelt
// out for the resource compiler; the check below keeps them equal to the
// numbers.
#pragma once

#define QUOREL_VERSION_MAJOR 1
#define QUOREL_VERSION_MINOR 6
#define QUOREL_VERSION_PATCH 0
#define QUOREL_VERSION_BUILD 0

// "major.minor.patch.build", and "major.minor" with the minor in two digits.
#define QUOREL_VERSION_FILE_TEXT "1.6.0.0"
#define QUOREL_VERSION_TEXT "1.06"

#ifndef RC_INVOKED
namespace quorel_version {

// Reads a decimal number of up to `maxDigits` digits (exactly `maxDigits`
// when `exact`) at text[pos]; pos moves past it. -1 when there is none.
constexpr int ReadNumber(const char* text, int& pos, int maxDigits, bool exact) {
    int value = 0;
    int digits = 0;
    while (digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits == 0 || (exact && digits != maxDigits))
        return -1;
    return value;
}

// True when `text` is exactly "major.minor.patch.build".
constexpr bool IsFileText(const char* text, int major, int minor, int patch, int build) {
    const int parts[4] = {major, minor, patch, build};
    int pos = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && text[pos++] != '.')
            return false;
        if (ReadNumber(text, pos, 5, false) != parts[i])
            return false;
    }
    return text[pos] == '\0';
}

// True when `text` is exactly "major.minor" with the minor in two digits.
constexpr bool IsShortText(const char* text, int major, int minor) {
    int pos = 0;
    if (ReadNumber(text, pos, 5, false) != major || text[pos++] != '.')
        return false;
    return ReadNumber(text, pos, 2, true) == minor && text[pos] == '\0';
}

static_assert(IsFileText(QUOREL_VERSION_FILE_TEXT, QUOREL_VERSION_MAJOR, QUOREL_VERSION_MINOR,
                         QUOREL_VERSION_PATCH, QUOREL_VERSION_BUILD),
              "QUOREL_VERSION_FILE_TEXT must spell the four version numbers");
static_assert(IsShortText(QUOREL_VERSION_TEXT, QUOREL_VERSION_MAJOR, QUOREL_VERSION_MINOR),
              "QUOREL_VERSION_TEXT must spell the major and the two-digit minor number");
static_assert(QUOREL_VERSION_MINOR >= 0 && QUOREL_VERSION_MINOR <= 99,
              "the minor number is shown in two digits");

} // namespace quorel_version
#endif
