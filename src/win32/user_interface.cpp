// The Windows user interface's part of the seam, in the seam's order, and the bridge from
// Windows' plain-function dialog procedure to the logic's.
#include "os/windows_api.h"
#include "win32/wide_text.h"

#include <utility>
#include <vector>

namespace korvel {

namespace {

// The program's own module, where its resources are.
HINSTANCE Program() {
    return ::GetModuleHandleW(nullptr);
}

HWND Window(WindowHandle window) {
    return static_cast<HWND>(window);
}

// DialogBoxParamW takes a plain function, while the logic's procedure is a closure over its
// state. The closure waits here for the length of the modal loop, so that the call's
// dwInitParam stays the caller's; the setup shows one dialog at a time.
const DialogProcedure* shownProcedure = nullptr;

INT_PTR CALLBACK DialogThunk(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (shownProcedure == nullptr)
        return FALSE;
    return (*shownProcedure)(dialog, message, wParam, lParam);
}

} // namespace

std::optional<std::u16string> WindowsApi::LoadStringW(uint16_t id) {
    // Asked for no copy, Windows points into the string table, where a text has no terminator,
    // and answers its length; 0 when the table has no such text.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(Program(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr)
        return std::nullopt;
    return FromWide(text, static_cast<size_t>(length));
}

int WindowsApi::MessageBoxW(const std::u16string& text, const std::u16string& caption,
                            uint32_t type) {
    return ::MessageBoxW(nullptr, Wide(text), Wide(caption), type);
}

intptr_t WindowsApi::DialogBoxParamW(uint16_t templateName, const DialogProcedure& dialogFunc,
                                     intptr_t initParam) {
    const DialogProcedure* outer = std::exchange(shownProcedure, &dialogFunc);
    const INT_PTR result = ::DialogBoxParamW(Program(), MAKEINTRESOURCEW(templateName), nullptr,
                                             DialogThunk, initParam);
    shownProcedure = outer;
    return result;
}

uint32_t WindowsApi::EndDialog(WindowHandle dialog, intptr_t result) {
    return ::EndDialog(Window(dialog), result) ? 0 : LastErrorOr(ERROR_INVALID_WINDOW_HANDLE);
}

Handle WindowsApi::LoadImageW(uint16_t name, uint32_t type, int cx, int cy, uint32_t load) {
    return ::LoadImageW(Program(), MAKEINTRESOURCEW(name), type, cx, cy, load);
}

uint32_t WindowsApi::DestroyIcon(Handle icon) {
    return ::DestroyIcon(static_cast<HICON>(icon)) ? 0 : LastErrorOr(ERROR_INVALID_ICON_HANDLE);
}

intptr_t WindowsApi::SendMessageW(WindowHandle window, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam) {
    return ::SendMessageW(Window(window), message, wParam, lParam);
}

WindowHandle WindowsApi::GetDlgItem(WindowHandle dialog, int id) {
    return ::GetDlgItem(Window(dialog), id);
}

bool WindowsApi::ShowWindow(WindowHandle window, int cmdShow) {
    return ::ShowWindow(Window(window), cmdShow) != FALSE;
}

uint32_t WindowsApi::CheckDlgButton(WindowHandle dialog, int id, uint32_t check) {
    return ::CheckDlgButton(Window(dialog), id, check) ? 0
                                                       : LastErrorOr(ERROR_CONTROL_ID_NOT_FOUND);
}

uint32_t WindowsApi::IsDlgButtonChecked(WindowHandle dialog, int id) {
    return ::IsDlgButtonChecked(Window(dialog), id);
}

std::u16string WindowsApi::GetDlgItemTextW(WindowHandle dialog, int id, int maxCount) {
    if (maxCount <= 0)
        return u"";
    std::vector<wchar_t> buffer(static_cast<size_t>(maxCount), L'\0');
    ::GetDlgItemTextW(Window(dialog), id, buffer.data(), maxCount);
    return FromWide(buffer.data());
}

uint32_t WindowsApi::SetDlgItemTextW(WindowHandle dialog, int id, const std::u16string& text) {
    return ::SetDlgItemTextW(Window(dialog), id, Wide(text))
               ? 0
               : LastErrorOr(ERROR_CONTROL_ID_NOT_FOUND);
}

} // namespace korvel
