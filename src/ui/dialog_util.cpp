#include "ui/dialog_util.h"

#include "base/dpi.h"
#include "base/system_library.h"

namespace ui {

namespace {

void AppendString(std::vector<WORD>& t, const wchar_t* s) {
    if (s)
        for (; *s; ++s)
            t.push_back(static_cast<WORD>(*s));
    t.push_back(0);
}

} // namespace

UniqueFont CreateDialogFont(const wchar_t* face, int height96, int weight, BYTE charset, UINT dpi) {
    LOGFONTW lf{};
    lf.lfHeight = dpi::Scale(height96, dpi);
    lf.lfWeight = weight;
    lf.lfCharSet = charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    for (int i = 0; i < LF_FACESIZE - 1 && face[i]; ++i)
        lf.lfFaceName[i] = face[i];
    return UniqueFont(CreateFontIndirectW(&lf));
}

UniqueFont CreateTextFont(UiLanguage language, UINT dpi) {
    if (language == UiLanguage::English)
        return CreateDialogFont(L"Segoe UI", -12, FW_NORMAL, DEFAULT_CHARSET, dpi);
    return CreateDialogFont(L"ＭＳ Ｐゴシック", -12, FW_NORMAL, SHIFTJIS_CHARSET, dpi);
}

void RegisterDialogClass(const wchar_t* className) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW probe{};
    probe.cbSize = sizeof probe;
    if (GetClassInfoExW(inst, className, &probe))
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefDlgProcW;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

std::vector<WORD> EmptyDialogTemplate(DWORD style, DWORD exStyle, const wchar_t* className,
                                      const wchar_t* caption) {
    // DLGTEMPLATE: style, dwExtendedStyle, cdit, x, y, cx, cy; then the
    // menu, class and title arrays. WORD-aligned throughout.
    std::vector<WORD> t;
    t.push_back(LOWORD(style));
    t.push_back(HIWORD(style));
    t.push_back(LOWORD(exStyle));
    t.push_back(HIWORD(exStyle));
    t.push_back(0); // no controls
    t.push_back(0); // x
    t.push_back(0); // y
    t.push_back(0); // cx
    t.push_back(0); // cy
    t.push_back(0); // no menu
    if (className)
        AppendString(t, className);
    else
        t.push_back(0);
    AppendString(t, caption ? caption : L"");
    return t;
}

void DisableSystemDialogScaling(HWND dialog) {
    using Fn = BOOL(WINAPI*)(HWND, int, int);
    static const auto fn =
        system_library::Function<Fn>(L"user32.dll", "SetDialogDpiChangeBehavior");
    if (fn)
        fn(dialog, 0x0001 /* DDC_DISABLE_ALL */, 0x0001);
}

void EnableTabPageTexture(HWND page) {
    using Fn = HRESULT(WINAPI*)(HWND, DWORD);
    static const auto fn = system_library::Function<Fn>(L"uxtheme.dll", "EnableThemeDialogTexture");
    if (fn)
        fn(page, 0x0006 /* ETDT_ENABLETAB */);
}

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style,
                 DWORD exStyle, int id) {
    return CreateWindowExW(exStyle, className, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

SIZE TextExtent(HWND hwnd, HFONT font, const std::wstring& text) {
    SIZE size{0, 0};
    HDC dc = GetDC(hwnd);
    if (!dc)
        return size;
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    if (text.empty()) {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        size.cy = tm.tmHeight;
    } else {
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    if (old)
        SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return size;
}

std::wstring GetText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, s.data(), n + 1);
    s.resize(static_cast<size_t>(n > 0 ? n : 0));
    return s;
}

HWND FindDescendant(HWND root, int id) {
    // Direct children first, so that a control of the window itself wins
    // over an inner window of some control that happens to share its id.
    for (HWND c = GetWindow(root, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetDlgCtrlID(c) == id)
            return c;
    for (HWND c = GetWindow(root, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (HWND d = FindDescendant(c, id))
            return d;
    return nullptr;
}

} // namespace ui
