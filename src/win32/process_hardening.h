// What the setup program does before anything else, because it runs elevated from a
// folder the user does not control, usually a download folder.
#pragma once

namespace korvel {

// Libraries are loaded from the system folder only, never from the program's folder or
// the current folder, and child programs are looked for in the system folders before the
// current folder. Each measure is taken where this Windows offers it.
void RestrictSearchPaths();

// Whether the library search is the system folder alone (SetDefaultDllDirectories took effect).
bool SearchesSystemFolderOnly();

} // namespace korvel
