// What every file of the Windows side shares: the logic's UTF-16 text is wchar_t on Windows, so
// strings pass through without conversion, and Windows' error codes read as one value.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace korvel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

inline const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// Null for an empty text, where Windows reads null as "none".
inline const wchar_t* WideOrNull(const std::u16string& text) {
    return text.empty() ? nullptr : Wide(text);
}

inline std::u16string FromWide(const wchar_t* text, size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

// Up to the first terminator.
inline std::u16string FromWide(const wchar_t* text) {
    return text != nullptr ? std::u16string(reinterpret_cast<const char16_t*>(text)) : u"";
}

// The error of the call that just failed, or `whenUnset` where Windows left none behind: a
// failure must never read as 0, which is success.
inline uint32_t LastErrorOr(uint32_t whenUnset) {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : whenUnset;
}

} // namespace korvel
