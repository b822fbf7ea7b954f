#include "driver/command_line.h"
#include "driver/main_flow.h"
#include "os/windows_constants.h"
#include "simulated_windows.h"
#include "string_table.h"
#include "table_rows.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

using sim::SimulatedWindows;

struct Parsed {
    bool helpShown = false;
    std::u16string help;
    RunOptions options;
    SetupOptions setup;
};

Parsed Parse(const std::u16string& tail) {
    SimulatedWindows os;
    os.commandLine = u"\"C:\\Setup Folder\\korvel-plugin-setup.exe\" " + tail;
    Parsed parsed;
    const std::optional<uint32_t> ended = ParseCommandLine(os, parsed.setup, parsed.options);
    EXPECT_EQ(ended.has_value(), !os.boxes.empty());
    if (ended) {
        EXPECT_EQ(*ended, 0u);
        EXPECT_EQ(os.boxes.size(), 1u);
        EXPECT_EQ(os.boxes[0].caption, u"Справка");
        EXPECT_EQ(os.boxes[0].style, 0x40u);
        parsed.helpShown = true;
        parsed.help = os.boxes[0].text;
    }
    return parsed;
}

struct OptionsRow {
    const char16_t* tail;
    bool csp, ucsp, dialog, silent, reinstall, noRestart;
    const char16_t* cspArgs;
    const char16_t* ucspArgs;
    const char16_t* pluginArgs;
    const char16_t* kc;
    const char16_t* lang;
};
void PrintTo(const OptionsRow& row, std::ostream* out) {
    PrintTail(row.tail, out);
}

class AcceptedCommandLine : public testing::TestWithParam<OptionsRow> {};

TEST_P(AcceptedCommandLine, FillsTheOptions) {
    const OptionsRow& row = GetParam();
    const Parsed parsed = Parse(row.tail);
    ASSERT_FALSE(parsed.helpShown) << sim::ToUtf8(row.tail);
    EXPECT_EQ(parsed.setup.installCsp, row.csp);
    EXPECT_EQ(parsed.setup.installUcsp, row.ucsp);
    EXPECT_EQ(parsed.setup.showConfigDialog, row.dialog);
    EXPECT_EQ(parsed.options.silent, row.silent);
    EXPECT_EQ(parsed.options.reinstall, row.reinstall);
    EXPECT_EQ(parsed.options.noRestart, row.noRestart);
    EXPECT_EQ(parsed.options.cspArgs, row.cspArgs);
    EXPECT_EQ(parsed.options.ucspArgs, row.ucspArgs);
    EXPECT_EQ(parsed.options.pluginArgs, row.pluginArgs);
    EXPECT_EQ(parsed.setup.kcSelection, row.kc);
    EXPECT_EQ(parsed.setup.langSelection, row.lang);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, AcceptedCommandLine, testing::Values(
    //          tail                                   csp    ucsp   dialog silent reinst norest cspArgs    ucspArgs pluginArgs      kc              lang
    OptionsRow{u"",                                    false, false, false, false, false, false, u"",       u"",     u"",            u"",            u""},
    OptionsRow{u"-csp",                                true,  false, false, false, false, false, u"",       u"",     u"",            u"",            u""},
    OptionsRow{u"-CSP -UcSp -SELECTDLG",               true,  true,  true,  false, false, false, u"",       u"",     u"",            u"",            u""},
    OptionsRow{u"-Silent -reinstall -NoRestart",       false, false, false, true,  true,  true,  u"",       u"",     u"",            u"",            u""},
    OptionsRow{u"-silent -silent -reinstall -reinstall", false, false, false, true, true, false, u"",       u"",     u"",            u"",            u""},
    OptionsRow{u"-csp -CSPArgs X",                     true,  false, false, false, false, false, u"X ",     u"",     u"",            u"",            u""},
    OptionsRow{u"-csp -cspargs A -CSPARGS B",          true,  false, false, false, false, false, u"A B ",   u"",     u"",            u"",            u""},
    OptionsRow{u"-ucsp -UCSPArgs X",                   false, true,  false, false, false, false, u"",       u"X ",   u"",            u"",            u""},
    OptionsRow{u"-TavexArgs A=1",                      false, false, false, false, false, false, u"",       u"",     u" A=1 ",       u"",            u""},
    OptionsRow{u"-TavexArgs A -TavexArgs B",           false, false, false, false, false, false, u"",       u"",     u" A  B ",      u"",            u""},
    OptionsRow{u"-TavexArgs \"A=1 B=2\"",              false, false, false, false, false, false, u"",       u"",     u" A=1 B=2 ",   u"",            u""},
    OptionsRow{u"-TavexArgs -silent",                  false, false, false, false, false, false, u"",       u"",     u" -silent ",   u"",            u""},
    OptionsRow{u"-csp -CSPArgs -help",                 true,  false, false, false, false, false, u"-help ", u"",     u"",            u"",            u""},
    OptionsRow{u"-csp -KC kc2",                        true,  false, false, false, false, false, u"",       u"",     u"",            u"*kc2*",       u""},
    OptionsRow{u"-csp -KC kc2 -kc kc3 -Lang rus",      true,  false, false, false, false, false, u"",       u"",     u"",            u"*kc2**kc3*",  u"*rus*"}
));
// clang-format on

struct HelpRow {
    const char16_t* tail;
    bool cspLines;  // the lines shown after "-csp": -cspargs, -selectDlg, -KC, -Lang
    bool ucspLines; // the line shown after "-ucsp": -ucspargs
};
void PrintTo(const HelpRow& row, std::ostream* out) {
    PrintTail(row.tail, out);
}

class HelpCommandLine : public testing::TestWithParam<HelpRow> {};

TEST_P(HelpCommandLine, ShowsTheHelpForTheOptionsReadBefore) {
    const HelpRow& row = GetParam();
    const Parsed parsed = Parse(row.tail);
    ASSERT_TRUE(parsed.helpShown) << sim::ToUtf8(row.tail);
    const auto shows = [&](const char16_t* line) {
        return parsed.help.find(line) != std::u16string::npos;
    };
    EXPECT_EQ(parsed.help.rfind(u"Установщик Korvel ЭЦП Browser plug-in.\n", 0), 0u);
    EXPECT_TRUE(shows(u"  -norestart\t подавить перезагрузку, если она будет\n \t\t необходима\n"));
    EXPECT_EQ(shows(u"  -cspargs \"<args>\"     дополнителные"), row.cspLines);
    EXPECT_EQ(shows(u"  -selectDlg\t вывести диалог выбора конфигурации\n \t\t Korvel CSP\n"),
              row.cspLines);
    EXPECT_EQ(shows(u"  -KC\t\t уровень KC Korvel CSP\n  -Lang\t\t язык Korvel CSP\n"),
              row.cspLines);
    EXPECT_EQ(shows(u"  -ucspargs \"<args>\"   дополнительные"), row.ucspLines);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, HelpCommandLine, testing::Values(
    HelpRow{u"-help",                   false, false},
    HelpRow{u"--HELP",                  false, false},
    HelpRow{u"/Help",                   false, false},
    HelpRow{u"-?",                      false, false},
    HelpRow{u"\"\"",                    false, false},
    HelpRow{u"-bogus",                  false, false},
    HelpRow{u"/csp",                    false, false},
    HelpRow{u"-REINSTALL",              false, false},
    HelpRow{u"-TavexArgs=A",            false, false},
    HelpRow{u"-TavexArgs",              false, false},
    HelpRow{u"-CSPArgs X -csp",         false, false},
    HelpRow{u"-KC kc2",                 false, false},
    HelpRow{u"-help -csp",              false, false},
    HelpRow{u"-csp -help",              true,  false},
    HelpRow{u"-csp -CSPArgs",           true,  false},
    HelpRow{u"-csp -UCSPArgs X",        true,  false},
    HelpRow{u"-ucsp -help",             false, true},
    HelpRow{u"-csp -ucsp -silent -x",   true,  true},
    HelpRow{u"-\u0441sp",               false, false}
));
// clang-format on

TEST(HelpText, IsTheUsageInOrderWithoutProviderLines) {
    const Parsed parsed = Parse(u"-help");
    EXPECT_EQ(parsed.help, u"Установщик Korvel ЭЦП Browser plug-in.\n"
                           u"При запуске без параметров осуществляет установку с параметрами "
                           u"по умолчанию.\n"
                           u"\n"
                           u"Возможные параметры командной строки:\n"
                           u"  -?\t\t вывести данную справку\n"
                           u"  -tavexargs \"<args>\" дополнительные параметры командной\n"
                           u" \t\t строки(<args>) для вызова msiexec /i\n"
                           u" \t\t при установке пакета MSI плагина\n"
                           u"  -reinstall\tпереустановка продукта\n"
                           u"  -silent\t\t подавить диалоговые окна\n"
                           u"  -norestart\t подавить перезагрузку, если она будет\n"
                           u" \t\t необходима\n");
}

TEST(CommandLine, ThatCannotBeSplitEndsTheRunWithoutABox) {
    SimulatedWindows os;
    os.commandLine = u"korvel-plugin-setup.exe -silent -csp";
    os.commandLineSplits = false;
    SetupOptions setup;
    RunOptions options;
    EXPECT_EQ(ParseCommandLine(os, setup, options),
              std::optional<uint32_t>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_TRUE(os.boxes.empty());
    EXPECT_EQ(RunSetup(os, setup, nullptr, u"-silent -csp"), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_TRUE(os.boxes.empty());
    EXPECT_TRUE(os.processes.empty());
}

} // namespace
} // namespace korvel
