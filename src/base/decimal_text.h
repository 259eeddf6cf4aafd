// Whole numbers as the program shows them and puts into names: decimal
// digits, "-" before a negative one.
#pragma once

#include <string>

// std::to_wstring would bring the C library's whole formatted printing into
// the program; the digits of std::to_string come without it.
inline std::wstring DecimalText(long long value) {
    const std::string digits = std::to_string(value);
    return std::wstring(digits.begin(), digits.end());
}
