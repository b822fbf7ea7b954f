#include "driver/command_line.h"

#include "common/text.h"
#include "os/windows_constants.h"

#include <vector>

namespace korvel {

namespace {

enum class HelpCondition { Always, InstallCsp, InstallUcsp };

struct HelpPiece {
    HelpCondition condition;
    const char16_t* text;
};

// "-csp" and "-ucsp" themselves are not described; "-?" is described but reaches the
// help only as an argument the parser does not accept.
const HelpPiece kHelpPieces[] = {
    {HelpCondition::Always, u"Установщик Korvel ЭЦП Browser plug-in.\n"},
    {HelpCondition::Always,
     u"При запуске без параметров осуществляет установку с параметрами по умолчанию.\n"},
    {HelpCondition::Always, u"\n"},
    {HelpCondition::Always, u"Возможные параметры командной строки:\n"},
    {HelpCondition::Always, u"  -?\t\t вывести данную справку\n"},
    {HelpCondition::Always, u"  -tavexargs \"<args>\" дополнительные параметры командной\n"
                            u" \t\t строки(<args>) для вызова msiexec /i\n"
                            u" \t\t при установке пакета MSI плагина\n"},
    {HelpCondition::Always, u"  -reinstall\tпереустановка продукта\n"},
    {HelpCondition::Always, u"  -silent\t\t подавить диалоговые окна\n"},
    {HelpCondition::Always, u"  -norestart\t подавить перезагрузку, если она будет\n"
                            u" \t\t необходима\n"},
    {HelpCondition::InstallCsp, u"  -cspargs \"<args>\"     дополнителные параметры командной\n"
                                u" \t\t строки (<args>) для вызова msiexec /i\n"
                                u" \t\t при установке пакета MSI Korvel CSP\n"},
    {HelpCondition::InstallUcsp, u"  -ucspargs \"<args>\"   дополнительные параметры командной\n"
                                 u" \t\t строки (<args>) для вызова msiexec /i\n"
                                 u" \t\t при установке пакета MSI Korvel УЭК CSP\n"},
    {HelpCondition::InstallCsp, u"  -selectDlg\t вывести диалог выбора конфигурации\n"
                                u" \t\t Korvel CSP\n"},
    {HelpCondition::InstallCsp, u"  -KC\t\t уровень KC Korvel CSP\n"},
    {HelpCondition::InstallCsp, u"  -Lang\t\t язык Korvel CSP\n"},
};

bool Holds(HelpCondition condition, const SetupOptions& setup) {
    switch (condition) {
    case HelpCondition::InstallCsp:
        return setup.installCsp;
    case HelpCondition::InstallUcsp:
        return setup.installUcsp;
    case HelpCondition::Always:
        break;
    }
    return true;
}

class ArgumentWalk {
public:
    ArgumentWalk(WindowsApi& os, SetupOptions& setup, RunOptions& options)
        : os_(os), setup_(setup), options_(options) {}

    // False when it showed the help, which ends the walk.
    bool Run(const std::vector<std::u16string>& arguments) {
        // Element 0 is the program itself.
        for (size_t i = 1; i < arguments.size(); ++i) {
            const std::u16string* value = i + 1 < arguments.size() ? &arguments[i + 1] : nullptr;
            if (TakeValue(arguments[i], value)) {
                ++i;
            } else if (!TakeSwitch(arguments[i])) {
                ShowHelp(os_, setup_);
                return false;
            }
        }
        return true;
    }

private:
    // False for the help and for anything not accepted.
    bool TakeSwitch(const std::u16string& argument) {
        const auto is = [&](const char16_t* name) {
            return EqualsIgnoringAsciiCase(argument, name);
        };
        if (is(u"-help") || is(u"--help") || is(u"/help"))
            return false;
        if (is(u"-csp"))
            setup_.installCsp = true;
        else if (is(u"-ucsp"))
            setup_.installUcsp = true;
        else if (is(u"-selectDlg"))
            setup_.showConfigDialog = true;
        else if (is(u"-silent"))
            options_.silent = true;
        else if (argument == u"-reinstall")
            options_.reinstall = true;
        else if (is(u"-norestart"))
            options_.noRestart = true;
        else
            return false;
        return true;
    }

    // Value options match only when a value follows and their provider was selected
    // before them; otherwise they end up at the help like any unknown argument. Their
    // names differ from every switch, so testing them first changes no outcome.
    bool TakeValue(const std::u16string& argument, const std::u16string* value) {
        const auto is = [&](const char16_t* name) {
            return value != nullptr && EqualsIgnoringAsciiCase(argument, name);
        };
        if (setup_.installCsp && is(u"-CSPArgs"))
            options_.cspArgs += *value + u" ";
        else if (setup_.installCsp && is(u"-KC"))
            setup_.kcSelection += u"*" + *value + u"*";
        else if (setup_.installCsp && is(u"-Lang"))
            setup_.langSelection += u"*" + *value + u"*";
        else if (setup_.installUcsp && is(u"-UCSPArgs"))
            options_.ucspArgs += *value + u" ";
        else if (is(u"-TavexArgs"))
            options_.pluginArgs += u" " + *value + u" ";
        else
            return false;
        return true;
    }

    WindowsApi& os_;
    SetupOptions& setup_;
    RunOptions& options_;
};

} // namespace

std::optional<uint32_t> ParseCommandLine(WindowsApi& os, SetupOptions& setup, RunOptions& options) {
    const Answer<std::vector<std::u16string>> arguments =
        os.CommandLineToArgvW(os.GetCommandLineW());
    if (arguments.error != 0)
        return arguments.error;
    if (!ArgumentWalk(os, setup, options).Run(arguments.value))
        return 0;
    return std::nullopt;
}

void ShowHelp(WindowsApi& os, const SetupOptions& setup) {
    std::u16string help;
    for (const HelpPiece& piece : kHelpPieces) {
        if (Holds(piece.condition, setup))
            help += piece.text;
    }
    // Only an OK button: the answer says nothing.
    os.MessageBoxW(help, u"Справка", MB_ICONINFORMATION);
}

} // namespace korvel
