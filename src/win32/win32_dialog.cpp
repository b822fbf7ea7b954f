// The user-interface calls of a dialog, and the bridge from Windows' plain-function
// dialog procedure to the logic's.
#include "win32/win32_api.h"

#include <windows.h>

#include <utility>

namespace korvel {

namespace {

// DialogBoxParamW takes a plain function, while the logic's procedure is a closure over
// its state. The closure waits here for the length of the modal loop, so that the call's
// dwInitParam stays the caller's; the setup shows one dialog at a time.
const DialogProcedure* shownProcedure = nullptr;

INT_PTR CALLBACK DialogThunk(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (shownProcedure == nullptr)
        return FALSE;
    return (*shownProcedure)(dialog, message, wParam, lParam);
}

HWND Window(WindowHandle window) {
    return static_cast<HWND>(window);
}

} // namespace

intptr_t Win32Api::DialogBoxParamW(ModuleHandle instance, uint16_t templateName,
                                   WindowHandle parent, const DialogProcedure& dialogFunc,
                                   intptr_t initParam) {
    const DialogProcedure* outer = std::exchange(shownProcedure, &dialogFunc);
    const INT_PTR result =
        ::DialogBoxParamW(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEW(templateName),
                          Window(parent), DialogThunk, initParam);
    shownProcedure = outer;
    return result;
}

bool Win32Api::EndDialog(WindowHandle dialog, intptr_t result) {
    return ::EndDialog(Window(dialog), result) != FALSE;
}

Handle Win32Api::LoadImageW(ModuleHandle instance, uint16_t name, uint32_t type, int cx, int cy,
                            uint32_t load) {
    return ::LoadImageW(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEW(name), type, cx, cy,
                        load);
}

bool Win32Api::DestroyIcon(Handle icon) {
    return ::DestroyIcon(static_cast<HICON>(icon)) != FALSE;
}

intptr_t Win32Api::SendMessageW(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam) {
    return ::SendMessageW(Window(window), message, wParam, lParam);
}

WindowHandle Win32Api::GetDlgItem(WindowHandle dialog, int id) {
    return ::GetDlgItem(Window(dialog), id);
}

bool Win32Api::ShowWindow(WindowHandle window, int cmdShow) {
    return ::ShowWindow(Window(window), cmdShow) != FALSE;
}

bool Win32Api::CheckDlgButton(WindowHandle dialog, int id, uint32_t check) {
    return ::CheckDlgButton(Window(dialog), id, check) != FALSE;
}

uint32_t Win32Api::IsDlgButtonChecked(WindowHandle dialog, int id) {
    return ::IsDlgButtonChecked(Window(dialog), id);
}

uint32_t Win32Api::GetDlgItemTextW(WindowHandle dialog, int id, char16_t* string, int maxCount) {
    return ::GetDlgItemTextW(Window(dialog), id, reinterpret_cast<wchar_t*>(string), maxCount);
}

bool Win32Api::SetDlgItemTextW(WindowHandle dialog, int id, const std::u16string& string) {
    return ::SetDlgItemTextW(Window(dialog), id,
                             reinterpret_cast<const wchar_t*>(string.c_str())) != FALSE;
}

} // namespace korvel
