// The program's message texts, addressed by number and stored in its string table.
#pragma once

#include "os/windows_api.h"

#include <cstdint>
#include <string>

namespace korvel {

using MessageId = uint16_t;

constexpr MessageId IDS_NEED_ADMINISTRATOR = 101;
constexpr MessageId IDS_ASK_PLUGIN_CSP = 102;
constexpr MessageId IDS_ASK_PLUGIN = 103;
constexpr MessageId IDS_PRODUCT_NAME = 104;
constexpr MessageId IDS_PROVIDER_FAILED = 105;
constexpr MessageId IDS_PLUGIN_FAILED = 106;
constexpr MessageId IDS_RESTART_PLUGIN_CSP = 107;
constexpr MessageId IDS_RESTART_PLUGIN = 108;
constexpr MessageId IDS_RESTART_BROWSER_PLUGIN_CSP = 109;
constexpr MessageId IDS_RESTART_BROWSER_PLUGIN = 110;
constexpr MessageId IDS_RESTART_FAILED = 111;
constexpr MessageId IDS_WINDOWS_TOO_OLD = 116;
constexpr MessageId IDS_NEED_WINDOWS_2000_SP4 = 117;
constexpr MessageId IDS_NEED_WINDOWS_XP_SP2 = 118;
constexpr MessageId IDS_NEED_WINDOWS_2003_SP2 = 119;
constexpr MessageId IDS_NEED_WINDOWS_VISTA_SP2 = 121;
constexpr MessageId IDS_ASK_PLUGIN_UCSP = 122;
constexpr MessageId IDS_RESTART_PLUGIN_UCSP = 123;
constexpr MessageId IDS_RESTART_BROWSER_PLUGIN_UCSP = 124;
constexpr MessageId IDS_ASK_PLUGIN_CSP_UCSP = 125;
constexpr MessageId IDS_RESTART_PLUGIN_CSP_UCSP = 126;
constexpr MessageId IDS_RESTART_BROWSER_PLUGIN_CSP_UCSP = 127;
constexpr MessageId IDS_UPDATE_CAPTION = 128;
constexpr MessageId IDS_ERROR_CAPTION = 129;
constexpr MessageId IDS_INSTALLED_VERSION_UNREADABLE = 131;
constexpr MessageId IDS_PACKAGE_CANNOT_OPEN = 133;
constexpr MessageId IDS_PACKAGE_VERSION_UNREADABLE = 134;
constexpr MessageId IDS_PACKAGE_NOT_FOUND = 139;
constexpr MessageId IDS_HIDE = 142;
constexpr MessageId IDS_OPTIONS = 143;
constexpr MessageId IDS_ENVIRONMENT_UNREADABLE = 144;
constexpr MessageId IDS_ASK_REINSTALL_PLUGIN = 147;
constexpr MessageId IDS_LATER_PLUGIN_INSTALLED = 150;

// Replaces `text` with message `id` and returns true; when the message or its block is
// absent, leaves `text` as it was and returns false.
bool LoadMessage(WindowsApi& os, MessageId id, std::u16string& text);

// Message `id` as a new text, empty when the message is absent.
std::u16string LoadMessage(WindowsApi& os, MessageId id);

} // namespace korvel
