// The run of the setup program from start to exit code.
#pragma once

#include "driver/command_line.h"
#include "os/windows_api.h"

#include <cstdint>
#include <functional>
#include <string>

namespace korvel {

constexpr uint32_t kExitNoAdministrator = 1;
constexpr uint32_t kExitRestartFailed = 7;

// The operations the run hands the work to. They default to the real ones; tests put
// their own in to drive the run through outcomes without building a whole machine.
struct SetupOperations {
    std::function<void(WindowsApi&, ModuleHandle, SetupOptions&)> showConfigDialog;
    std::function<uint32_t(WindowsApi&, const std::u16string&, std::u16string, bool, bool)>
        installProvider;
    std::function<uint32_t(WindowsApi&, const std::u16string&, bool, std::u16string&, bool)>
        installPlugin;
    std::function<uint32_t(WindowsApi&, bool&)> isRebootMarkerSet;
    std::function<uint32_t(WindowsApi&)> deleteRebootMarker;
    std::function<bool(WindowsApi&)> requestReboot;

    static SetupOperations Real();
};

// `instance` is the program's module (the dialog template's source), `commandTail` the
// command line after the program's name. Returns the process exit code; the help and a
// cancelled dialog end the process from inside with exit code 0.
uint32_t RunSetup(WindowsApi& os, SetupOptions& setup, ModuleHandle instance,
                  const std::u16string& commandTail,
                  const SetupOperations& operations = SetupOperations::Real());

} // namespace korvel
