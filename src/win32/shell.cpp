// The Windows shell's part of the seam.
#include "os/windows_api.h"
#include "win32/system_function.h"
#include "win32/wide_text.h"

#include <shellapi.h>

namespace korvel {

Answer<std::vector<std::u16string>>
WindowsApi::CommandLineToArgvW(const std::u16string& commandLine) {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(Wide(commandLine), &count);
    if (argv == nullptr)
        return {LastErrorOr(ERROR_NOT_ENOUGH_MEMORY)};
    std::vector<std::u16string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(FromWide(argv[i]));
    ::LocalFree(argv);
    return {0, arguments};
}

// Windows 2000's shell32 exports IsUserAnAdmin by its ordinal only, so an import by name
// would keep the program from starting there.
bool WindowsApi::IsUserAnAdmin() {
    constexpr WORD kIsUserAnAdminOrdinal = 680;
    using IsUserAnAdminFunction = BOOL(WINAPI*)();
    const HMODULE shell = LoadedModule(L"shell32.dll");
    auto isUserAnAdmin = FindFunction<IsUserAnAdminFunction>(shell, "IsUserAnAdmin");
    if (isUserAnAdmin == nullptr)
        isUserAnAdmin =
            FindFunction<IsUserAnAdminFunction>(shell, MAKEINTRESOURCEA(kIsUserAnAdminOrdinal));
    return isUserAnAdmin != nullptr && isUserAnAdmin() != FALSE;
}

} // namespace korvel
