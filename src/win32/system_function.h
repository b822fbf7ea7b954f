// Functions that an older Windows may lack are found here, by name at run time, and
// nowhere else: an import of one of them would keep the program from starting there,
// before it could give its own refusal.
#pragma once

#include <windows.h>

namespace korvel {

// `name` (or an ordinal made with MAKEINTRESOURCEA) in `module`, or null when this
// Windows lacks it or the module is null. Call sites that may run more than once keep the
// answer in a function-local static, so each function is looked up once per process.
template <class Function> Function FindFunction(HMODULE module, const char* name) {
    if (module == nullptr)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// A library the program imports, and so is always loaded; nothing is loaded here.
inline HMODULE LoadedModule(const wchar_t* fileName) {
    return ::GetModuleHandleW(fileName);
}

// A library of the system folder, so that no file of the same name beside this elevated
// program, or in the current folder, can stand in for it: from the system folder alone where
// the search is restricted to it, else by its full path. Null when it is missing.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

} // namespace korvel
