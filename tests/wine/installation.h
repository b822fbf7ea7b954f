#pragma once

// What a run of the setup program finds and leaves: the plug-in in the prefix's Windows
// Installer, the restart marker, and a distribution folder with the program, its packages and
// its TMP folder.

#include "wine_harness.h"

#include <optional>
#include <string>
#include <vector>

namespace korvel::wine {

extern const char* const kPluginProductCode;

// A package made by packages/build.sh: `build` is a version, optionally with "-reboot" or
// "-failing"; `arch` is x64 or win32.
std::string package_file(const std::string& build, const std::string& arch);

// What the prefix tells about the plug-in (inside/prefix_state.cpp).
struct ProductState {
    int state = -1;                     // MsiQueryProductStateW: 5 when installed
    std::optional<std::string> version; // "VersionString"
    std::string local_package;          // the cached package, a Windows path
    int feature = -1;                   // MsiQueryFeatureStateW of NPTAVEX: 3 when installed
    bool marker_32 = false;             // HKCU\Software\NeedBstrReboot in the 32-bit view
    bool marker_64 = false;             // ... and in the 64-bit view
    bool windows_changed = false;       // a ReportedWindows is in force
    std::string problem;                // set when the state could not be read
};

ProductState query_plugin(const std::string& prefix);

// The plug-in uninstalled, the marker gone and Wine reporting its own Windows version again;
// returns what went wrong, if anything.
std::string reset_prefix(const std::string& prefix);

// Installs a package the way an administrator would, without the setup program, with msiexec
// `properties` such as "ADDLOCAL=Core".
std::string install_package(const std::string& package, const std::string& prefix,
                            const std::vector<std::string>& properties = {});

// Leaves the restart marker as an earlier run of the setup program would have.
std::string leave_marker(const std::string& prefix);

// Makes Wine report an older Windows to the setup program for the object's lifetime (and
// reset_prefix undoes what a crash left): `version` is a version name of Wine ("nt40", "win2k",
// ...), or "major.minor" with the prefix's own service pack (1 in Wine 8), which needs a 64-bit
// prefix (inside/prefix_state.cpp).
class ReportedWindows {
public:
    ReportedWindows(const std::string& version, const std::string& prefix);
    ~ReportedWindows();
    ReportedWindows(const ReportedWindows&) = delete;
    ReportedWindows& operator=(const ReportedWindows&) = delete;

    std::string problem;

private:
    std::string prefix_;
};

// The Unix path of a "C:\..." path of the prefix.
std::string prefix_path(const std::string& windows, const std::string& prefix);

// Wine's MsiOpenPackageExW refuses a package of another version of an installed product
// while the product's cached package is in place (tests/wine/README.md); the setup program
// needs that call. Keeps the cached package elsewhere for the object's lifetime, and puts it back
// unless the run made another one.
class CachedPackageAside {
public:
    CachedPackageAside(const std::string& local_package, const std::string& prefix);
    ~CachedPackageAside();
    CachedPackageAside(const CachedPackageAside&) = delete;
    CachedPackageAside& operator=(const CachedPackageAside&) = delete;

    std::string problem;

private:
    std::string prefix_;
    std::string windows_;
    std::string original_;
    std::string aside_;
};

// A folder the setup program is started from, with its packages, and a TMP folder beside it
// (inside it the program would take its own logs for packages). Made anew for each run and
// left behind for a look after a failure. `folder_name` and `tmp_name` name the two folders.
class Distribution {
public:
    explicit Distribution(const std::string& name, const std::string& folder_name = "setup",
                          const std::string& tmp_name = "tmp");

    const std::string& folder() const { return folder_; }
    const std::string& tmp() const { return tmp_; }
    std::string program() const;

    // Copies `source` to `relative` (a path with "/") inside the folder.
    void add(const std::string& source, const std::string& relative);
    std::vector<std::string> tmp_files() const; // names, sorted

    std::string problem;

private:
    std::string folder_;
    std::string tmp_;
};

} // namespace korvel::wine
