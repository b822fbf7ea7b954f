#include "driver/main_flow.h"

#include "common/failure_report.h"
#include "common/message_catalogue.h"
#include "driver/command_line.h"
#include "os/windows_constants.h"
#include "plugin/install_plugin.h"
#include "provider/config_dialog.h"
#include "provider/install_provider.h"
#include "system/prerequisites.h"
#include "system/reboot_marker.h"

namespace korvel {

namespace {

// The texts that depend on which providers the command line selected.
struct SelectionTexts {
    MessageId question;
    MessageId restartComputer;
    MessageId restartBrowser;
};

const SelectionTexts& TextsFor(const SetupOptions& setup) {
    static const SelectionTexts kTexts[] = {
        {IDS_ASK_PLUGIN, IDS_RESTART_PLUGIN, IDS_RESTART_BROWSER_PLUGIN},
        {IDS_ASK_PLUGIN_CSP, IDS_RESTART_PLUGIN_CSP, IDS_RESTART_BROWSER_PLUGIN_CSP},
        {IDS_ASK_PLUGIN_UCSP, IDS_RESTART_PLUGIN_UCSP, IDS_RESTART_BROWSER_PLUGIN_UCSP},
        {IDS_ASK_PLUGIN_CSP_UCSP, IDS_RESTART_PLUGIN_CSP_UCSP, IDS_RESTART_BROWSER_PLUGIN_CSP_UCSP},
    };
    return kTexts[(setup.installCsp ? 1 : 0) + (setup.installUcsp ? 2 : 0)];
}

class Run {
public:
    Run(WindowsApi& os, SetupOptions& setup) : os_(os), setup_(setup) {}

    uint32_t Execute(const std::u16string& commandTail) {
        LoadMessage(os_, IDS_PRODUCT_NAME, caption_);
        if (!commandTail.empty()) {
            if (const std::optional<uint32_t> ended = ParseCommandLine(os_, setup_, options_))
                return *ended;
        }
        if (!os_.IsUserAnAdmin()) {
            Tell(IDS_NEED_ADMINISTRATOR, MB_ICONERROR);
            return kExitNoAdministrator;
        }
        if (const uint32_t refused = CheckWindowsVersion(os_, options_.silent))
            return refused;
        // Only ever refused by a Windows Installer that lacks the level, which has no other.
        os_.MsiSetInternalUI(INSTALLUILEVEL_NONE);
        if (!Confirmed(TextsFor(setup_).question))
            return 0;
        if (setup_.showConfigDialog && setup_.installCsp && !options_.silent &&
            !ShowConfigDialog(os_, setup_))
            return 0;
        if (const uint32_t failed = InstallProviders())
            return failed;
        return InstallPluginAndReport();
    }

private:
    // A failed provider has reported itself; the UCSP provider never follows a failed CSP.
    uint32_t InstallProviders() {
        if (setup_.installCsp) {
            if (const uint32_t result = InstallProvider(os_, u"csp", options_.cspArgs,
                                                        options_.silent, options_.reinstall))
                return result;
        }
        if (setup_.installUcsp)
            return InstallProvider(os_, u"ucsp", options_.ucspArgs, options_.silent,
                                   options_.reinstall);
        return 0;
    }

    uint32_t InstallPluginAndReport() {
        std::u16string logPath;
        const uint32_t result =
            InstallPlugin(os_, options_.pluginArgs, options_.silent, logPath, options_.reinstall);
        if (result == ERROR_INSTALL_USEREXIT)
            return result;
        if (result != 0) {
            if (!options_.silent) {
                text_ = ComposeFailureReport(os_, IDS_PLUGIN_FAILED, result, logPath);
                // An error box has only an OK button.
                os_.MessageBoxW(text_, caption_, MB_ICONERROR);
            }
            return result;
        }
        return FinishInstalled();
    }

    // The marker is deleted before the question, so it is gone whatever the answer.
    uint32_t FinishInstalled() {
        // A marker that cannot be read counts as absent; the flag says all that matters.
        bool markerSet = false;
        IsRebootMarkerSet(os_, markerSet);
        const SelectionTexts& texts = TextsFor(setup_);
        if (!markerSet || options_.noRestart) {
            Tell(texts.restartBrowser, MB_OK);
            return 0;
        }
        // A marker that cannot be deleted is offered again by a later run: no harm.
        DeleteRebootMarker(os_);
        if (!RestartAccepted(texts.restartComputer))
            return 0;
        if (RequestReboot(os_))
            return 0;
        Tell(IDS_RESTART_FAILED, MB_OK);
        return kExitRestartFailed;
    }

    // Every box of the run is loaded into the one message text, so a missing message
    // shows whatever the text held before.
    int Show(MessageId message, uint32_t style) {
        LoadMessage(os_, message, text_);
        return os_.MessageBoxW(text_, caption_, style);
    }

    // Information and errors have only an OK button: their answer says nothing.
    void Tell(MessageId message, uint32_t style) {
        if (!options_.silent)
            Show(message, style);
    }

    // A silent run takes every question as answered yes. Only a no stops the run here.
    bool Confirmed(MessageId question) {
        return options_.silent || Show(question, MB_YESNO) != IDNO;
    }

    // ... while the restart needs an explicit yes.
    bool RestartAccepted(MessageId question) {
        return options_.silent || Show(question, MB_YESNO | MB_ICONWARNING) == IDYES;
    }

    WindowsApi& os_;
    SetupOptions& setup_;
    RunOptions options_;
    std::u16string caption_;
    std::u16string text_;
};

} // namespace

uint32_t RunSetup(WindowsApi& os, SetupOptions& setup, const std::u16string& commandTail) {
    return Run(os, setup).Execute(commandTail);
}

} // namespace korvel
