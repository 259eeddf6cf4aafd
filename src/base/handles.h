// Owners of the system's handles: each type frees its handle exactly once,
// when the owner goes, with the call that matches how it was made.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace handles {

template <class Handle, auto Free> struct Deleter {
    void operator()(Handle h) const noexcept {
        if (h)
            Free(h);
    }
};

template <class Handle, auto Free>
using Unique = std::unique_ptr<std::remove_pointer_t<Handle>, Deleter<Handle, Free>>;

inline void DeleteGdiObject(HGDIOBJ h) noexcept {
    DeleteObject(h);
}

using UniqueHandle = Unique<HANDLE, &CloseHandle>;      // kernel objects (the mutex)
using UniqueModule = Unique<HMODULE, &FreeLibrary>;     // DLLs loaded at run time
using UniqueIcon = Unique<HICON, &DestroyIcon>;         // icons made or copied
using UniqueMenu = Unique<HMENU, &DestroyMenu>;         // menus
using UniqueHook = Unique<HHOOK, &UnhookWindowsHookEx>; // windows hooks
using UniqueWindow = Unique<HWND, &DestroyWindow>;      // windows owned outright
using UniqueFont = Unique<HFONT, &DeleteGdiObject>;
using UniqueBrush = Unique<HBRUSH, &DeleteGdiObject>;

} // namespace handles
