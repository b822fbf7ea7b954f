// The program's message texts, addressed by number and stored in its string table.
#pragma once

#include "os/windows_api.h"
#include "resource.h"

#include <cstdint>
#include <string>

namespace korvel {

// A number of the string table; resource.h names them.
using MessageId = uint16_t;

// Replaces `text` with message `id` and returns true; when the message is absent, leaves
// `text` as it was and returns false.
bool LoadMessage(WindowsApi& os, MessageId id, std::u16string& text);

// Message `id` as a new text, empty when the message is absent.
std::u16string LoadMessage(WindowsApi& os, MessageId id);

} // namespace korvel
