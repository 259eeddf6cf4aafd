// Program entry. The command line carries only the private switch of a
// copy that takes over from another (app/elevated_restart.h).
#include <windows.h>

#include <cstdlib>
#include <new>
#include <typeinfo>

#include "base/error_report.h"
#include "base/system_library.h"
#include "app/main_form.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // Before anything can load a DLL: never from the current directory, and
    // where Windows allows it, only from the system folder.
    system_library::RestrictSearchToSystemFolder();
    return QuorelMain();
}

// Only for GCC with libstdc++ on mingw-w64, the toolchain of the release
// build: other toolchains and libraries never see these replacements.
#if defined(__GNUC__) && !defined(__clang__) && defined(__MINGW32__) && defined(__GLIBCXX__)
// Size of the statically linked program. Every exception is reported by the
// program itself, so one that escapes everything simply ends it: replacing
// the library's verbose terminate handler keeps its name demangler and
// formatted printing out of the executable. The library's helpers that
// raise the standard logic and runtime errors are replaced for the same
// reason: those errors carry reference-counted strings whose code is larger
// than the rest of the program's string handling. The program raises its
// own error type instead, which the error report shows like any other.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

namespace {
[[noreturn]] void ThrowLibraryError(const char* what) {
    throw EQuorelError(AnsiToWide(what ? what : "error"));
}
} // namespace

namespace std {
void __throw_bad_cast() {
    throw std::bad_cast();
}
void __throw_bad_alloc() {
    throw std::bad_alloc();
}
void __throw_bad_typeid() {
    throw std::bad_typeid();
}
void __throw_bad_exception() {
    throw std::bad_exception();
}
void __throw_bad_array_new_length() {
    throw std::bad_array_new_length();
}
void __throw_logic_error(const char* s) {
    ThrowLibraryError(s);
}
void __throw_range_error(const char* s) {
    ThrowLibraryError(s);
}
void __throw_domain_error(const char* s) {
    ThrowLibraryError(s);
}
void __throw_length_error(const char* s) {
    ThrowLibraryError(s);
}
void __throw_out_of_range(const char* s) {
    ThrowLibraryError(s);
}
void __throw_runtime_error(const char* s) {
    ThrowLibraryError(s);
}
void __throw_overflow_error(const char* s) {
    ThrowLibraryError(s);
}
void __throw_underflow_error(const char* s) {
    ThrowLibraryError(s);
}
void __throw_invalid_argument(const char* s) {
    ThrowLibraryError(s);
}
void __throw_out_of_range_fmt(const char* s, ...) {
    ThrowLibraryError(s);
}
} // namespace std
#endif
