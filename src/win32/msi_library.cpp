#include "win32/msi_library.h"

#include "win32/system_function.h"

namespace korvel {

namespace {

template <class Function> void Resolve(HMODULE module, const char* name, Function& function) {
    function = FindFunction<Function>(module, name);
}

MsiLibrary Load() {
    MsiLibrary msi;
    const HMODULE module = LoadSystemLibrary(L"msi.dll");
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
