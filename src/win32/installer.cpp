// The Windows Installer's part of the seam, in the seam's order. Its functions are taken from
// the system folder's msi.dll at run time: msi.dll is not among the libraries Windows always
// loads from the system folder, so an import of it would let an msi.dll planted beside this
// elevated program run in its place.
#include "os/windows_api.h"
#include "win32/system_function.h"
#include "win32/wide_text.h"

#include <msi.h>
#include <msiquery.h>

#include <vector>

namespace korvel {

namespace {

// Windows Installer 3.0; declared here because the headers for Windows 2000 leave it out.
using MsiSourceListSetInfoWFunction = UINT(WINAPI*)(LPCWSTR product, LPCWSTR userSid, DWORD context,
                                                    DWORD options, LPCWSTR property, LPCWSTR value);

HMODULE MsiLibrary() {
    static const HMODULE msi = LoadSystemLibrary(L"msi.dll");
    return msi;
}

// Null when this Windows Installer lacks the function, or msi.dll is missing. Each call site
// keeps its answer, so that each function is looked up once.
template <class Function> Function MsiFunction(const char* name) {
    return FindFunction<Function>(MsiLibrary(), name);
}

// The Windows Installer's way of filling a buffer: ERROR_MORE_DATA and the text's length
// without its terminator when it does not fit. Asked again for as long as the text grows.
template <class Call> Answer<std::u16string> ReadInstallerText(Call call) {
    std::vector<wchar_t> buffer(1, L'\0');
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const UINT result = call(buffer.data(), &length);
        if (result != ERROR_MORE_DATA)
            return {result, result == ERROR_SUCCESS ? FromWide(buffer.data()) : u""};
        buffer.assign(length + 1, L'\0');
    }
}

} // namespace

uint32_t WindowsApi::MsiSetInternalUI(uint32_t level) {
    static const auto setInternalUI =
        MsiFunction<decltype(&::MsiSetInternalUI)>("MsiSetInternalUI");
    if (setInternalUI == nullptr)
        return INSTALLUILEVEL_NOCHANGE;
    return setInternalUI(static_cast<INSTALLUILEVEL>(level), nullptr);
}

int32_t WindowsApi::MsiQueryProductStateW(const std::u16string& product) {
    static const auto queryProductState =
        MsiFunction<decltype(&::MsiQueryProductStateW)>("MsiQueryProductStateW");
    return queryProductState ? queryProductState(Wide(product)) : INSTALLSTATE_UNKNOWN;
}

int32_t WindowsApi::MsiQueryFeatureStateW(const std::u16string& product,
                                          const std::u16string& feature) {
    static const auto queryFeatureState =
        MsiFunction<decltype(&::MsiQueryFeatureStateW)>("MsiQueryFeatureStateW");
    return queryFeatureState ? queryFeatureState(Wide(product), Wide(feature))
                             : INSTALLSTATE_UNKNOWN;
}

Answer<std::u16string> WindowsApi::MsiGetProductInfoW(const std::u16string& product,
                                                      const std::u16string& property) {
    static const auto getProductInfo =
        MsiFunction<decltype(&::MsiGetProductInfoW)>("MsiGetProductInfoW");
    if (getProductInfo == nullptr)
        return {ERROR_MOD_NOT_FOUND};
    return ReadInstallerText([&](wchar_t* buffer, DWORD* length) {
        return getProductInfo(Wide(product), Wide(property), buffer, length);
    });
}

Answer<MsiHandle> WindowsApi::MsiOpenPackageExW(const std::u16string& packagePath,
                                                uint32_t options) {
    static const auto openPackageEx =
        MsiFunction<decltype(&::MsiOpenPackageExW)>("MsiOpenPackageExW");
    if (openPackageEx == nullptr)
        return {ERROR_MOD_NOT_FOUND};
    MSIHANDLE package = 0;
    const UINT result = openPackageEx(Wide(packagePath), options, &package);
    return {result, package};
}

Answer<std::u16string> WindowsApi::MsiGetPropertyW(MsiHandle install, const std::u16string& name) {
    static const auto getProperty = MsiFunction<decltype(&::MsiGetPropertyW)>("MsiGetPropertyW");
    if (getProperty == nullptr)
        return {ERROR_MOD_NOT_FOUND};
    return ReadInstallerText([&](wchar_t* buffer, DWORD* length) {
        return getProperty(install, Wide(name), buffer, length);
    });
}

uint32_t WindowsApi::MsiCloseHandle(MsiHandle handle) {
    static const auto closeHandle = MsiFunction<decltype(&::MsiCloseHandle)>("MsiCloseHandle");
    return closeHandle ? closeHandle(handle) : ERROR_MOD_NOT_FOUND;
}

uint32_t WindowsApi::MsiSourceListClearAllW(const std::u16string& product) {
    static const auto sourceListClearAll =
        MsiFunction<decltype(&::MsiSourceListClearAllW)>("MsiSourceListClearAllW");
    // No user name: the per-machine installation.
    return sourceListClearAll ? sourceListClearAll(Wide(product), nullptr, 0) : ERROR_MOD_NOT_FOUND;
}

uint32_t WindowsApi::MsiSourceListSetInfoW(const std::u16string& product, uint32_t context,
                                           uint32_t options, const std::u16string& property,
                                           const std::u16string& value) {
    static const auto sourceListSetInfo =
        MsiFunction<MsiSourceListSetInfoWFunction>("MsiSourceListSetInfoW");
    if (sourceListSetInfo == nullptr)
        return ERROR_MOD_NOT_FOUND;
    return sourceListSetInfo(Wide(product), nullptr, context, options, Wide(property), Wide(value));
}

} // namespace korvel
