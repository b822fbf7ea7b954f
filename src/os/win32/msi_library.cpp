#include "os/win32/msi_library.h"

#include <string>

namespace korvel {

namespace {

template <class Function> void Resolve(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

HMODULE LoadFromSystemFolder(const std::u16string& fileName) {
    char16_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(reinterpret_cast<wchar_t*>(folder), MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::u16string path = std::u16string(folder, length) + u"\\" + fileName;
    // Its own dependencies are then looked for beside it, in the system folder, first.
    return ::LoadLibraryExW(reinterpret_cast<const wchar_t*>(path.c_str()), nullptr,
                            LOAD_WITH_ALTERED_SEARCH_PATH);
}

MsiLibrary Load() {
    MsiLibrary msi;
    const HMODULE module = LoadFromSystemFolder(u"msi.dll");
    if (module == nullptr)
        return msi;
    Resolve(module, "MsiSetInternalUI", msi.SetInternalUI);
    Resolve(module, "MsiQueryProductStateW", msi.QueryProductStateW);
    Resolve(module, "MsiQueryFeatureStateW", msi.QueryFeatureStateW);
    Resolve(module, "MsiGetProductInfoW", msi.GetProductInfoW);
    Resolve(module, "MsiOpenPackageExW", msi.OpenPackageExW);
    Resolve(module, "MsiGetPropertyW", msi.GetPropertyW);
    Resolve(module, "MsiCloseHandle", msi.CloseHandle);
    Resolve(module, "MsiSourceListClearAllW", msi.SourceListClearAllW);
    Resolve(module, "MsiSourceListSetInfoW", msi.SourceListSetInfoW);
    return msi;
}

} // namespace

const MsiLibrary& LoadMsiLibrary() {
    static const MsiLibrary msi = Load();
    return msi;
}

} // namespace korvel
