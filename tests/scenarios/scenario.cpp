#include "scenario.h"

#include "resource.h"
#include "resource_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

namespace korvel::test {

namespace {

constexpr uint32_t kYesNo = 0x04, kError = 0x10, kWarning = 0x30, kInformation = 0x40;

Box Make(uint16_t caption, uint16_t message, uint32_t style) {
    return {Message(caption), Message(message), style};
}

Box Report(uint16_t message, const std::string& caption, uint32_t code, const std::string& log) {
    std::string text = Message(message) + ": " + std::to_string(code) + ".\n";
    if (!log.empty())
        text += "Install log: {log:" + log + "}";
    return {caption, text, kError};
}

// "NAME_YYYY-MM-DD-hh-mm-ss.log" in TMP for the placeholder of NAME.
std::string FindLog(const Observed& observed, const std::string& name) {
    const std::regex stamped(R"(_\d{4}(-\d\d){5}\.log)");
    for (const std::string& file : observed.tmpFiles) {
        if (file.rfind(name, 0) == 0 && std::regex_match(file.substr(name.size()), stamped))
            return observed.tmp + "\\" + file;
    }
    return "{no log of " + name + "}";
}

std::string Expand(std::string text, const Observed& observed) {
    static const std::regex placeholder(R"(\{(dist|log:([^}]*))\})");
    std::smatch match;
    while (std::regex_search(text, match, placeholder)) {
        const std::string value = match[1] == "dist" ? observed.dist : FindLog(observed, match[2]);
        text.replace(static_cast<size_t>(match.position(0)), static_cast<size_t>(match.length(0)),
                     value);
    }
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

void CheckBox(const Box& expected, const Box& seen, const Observed& observed) {
    if (expected.caption)
        EXPECT_EQ(seen.caption, *expected.caption);
    if (expected.text)
        EXPECT_EQ(seen.text, Expand(*expected.text, observed));
    EXPECT_EQ(seen.style & (observed.styles ? ~0u : 0xFu),
              expected.style & (observed.styles ? ~0u : 0xFu));
    EXPECT_EQ(seen.dialog, expected.dialog);
    const std::vector<std::string> lines = Lines(seen.text.value_or(""));
    for (const std::string& line : expected.lines) {
        const bool absent = line[0] == '!';
        const bool shown = std::count(lines.begin(), lines.end(), line.substr(absent)) != 0;
        EXPECT_NE(shown, absent) << "the line \"" << line.substr(absent) << "\"";
    }
    if (!expected.checked.empty())
        EXPECT_EQ(seen.checked, expected.checked);
}

} // namespace

std::string Message(uint16_t id) {
    const auto& table = StringTable();
    const auto found = table.find(id);
    return found == table.end() ? "" : ToUtf8(found->second);
}

Box Ask(uint16_t question) {
    return Make(IDS_PRODUCT_NAME, question, kYesNo);
}
Box AskRestart(uint16_t question) {
    return Make(IDS_PRODUCT_NAME, question, kYesNo | kWarning);
}
Box Tell(uint16_t message) {
    return Make(IDS_PRODUCT_NAME, message, 0);
}
Box Refuse(uint16_t message) {
    return Make(IDS_PRODUCT_NAME, message, kError);
}
Box Error(uint16_t message) {
    return Make(IDS_ERROR_CAPTION, message, kError);
}
Box Update(uint16_t message, uint32_t style) {
    return Make(IDS_UPDATE_CAPTION, message, style);
}
Box PluginFailed(uint32_t code, const std::string& log) {
    return Report(IDS_PLUGIN_FAILED, Message(IDS_PRODUCT_NAME), code, log);
}
Box ProviderFailed(uint32_t code, const std::string& log) {
    return Report(IDS_PROVIDER_FAILED, "", code, log);
}

// The first line, that of "-?" and those that depend on the options read before are named.
Box Help(bool cspLines, bool ucspLines) {
    Box help{"Справка", std::nullopt, kInformation};
    help.lines = {"Установщик Korvel ЭЦП Browser plug-in.", "  -?\t\t вывести данную справку",
                  std::string(cspLines ? "" : "!") + "  -KC\t\t уровень KC Korvel CSP",
                  std::string(ucspLines ? "" : "!") +
                      "  -ucspargs \"<args>\"   дополнительные параметры командной"};
    return help;
}

Box Dialog(std::vector<int> checked) {
    Box dialog{DialogCaption(), std::nullopt, 0};
    dialog.dialog = true;
    dialog.checked = std::move(checked);
    return dialog;
}

Box InstallerBox(const std::string& text) {
    return {std::nullopt, text, 0};
}

std::string Msiexec(const std::string& properties, const std::string& arch,
                    const std::string& folder) {
    const std::string package = "tavexcom-" + arch + ".msi";
    return "msiexec /i \"{dist}\\" + folder + "\\" + package + "\" /Lv! \"{log:" + package +
           "}\" REBOOT=R " + properties;
}

std::string Setup(const std::string& kind, const std::string& args, const std::string& switches) {
    return kind + "\\Setup.exe -args \"/qb /Lv! \"\"\"{log:" + kind + "}\"\"\" " + args +
           "\" -noreboot -root" + switches;
}

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

void Check(const Scenario& scenario, const Observed& observed) {
    const Expect& expect = scenario.expect;
    EXPECT_EQ(observed.exitCode, expect.exitCode);
    EXPECT_EQ(observed.boxes.size(), expect.boxes.size());
    for (size_t i = 0; i < std::min(observed.boxes.size(), expect.boxes.size()); ++i) {
        SCOPED_TRACE("box " + std::to_string(i + 1));
        CheckBox(expect.boxes[i], observed.boxes[i], observed);
    }
    std::vector<std::string> children, named;
    for (const std::string& child : expect.children) {
        named.push_back(Expand(child, observed));
        if (observed.installerCommandLines || child.rfind("msiexec ", 0) != 0)
            children.push_back(named.back());
    }
    EXPECT_EQ(observed.children, children);
    EXPECT_EQ(observed.version, expect.version) << "the plug-in's version afterwards";
    EXPECT_EQ(observed.feature, !expect.version.empty()) << "its feature NPTAVEX";
    EXPECT_EQ(observed.marker, expect.marker) << "the restart marker afterwards";
    EXPECT_EQ(observed.restart, expect.restart) << "a restart started";
    for (const std::string& file : observed.tmpFiles) {
        const bool wanted = std::any_of(named.begin(), named.end(), [&](const auto& child) {
            return child.find(observed.tmp + "\\" + file) != std::string::npos;
        });
        EXPECT_TRUE(wanted) << "a file in TMP that no child was told to write: " << file;
    }
}

} // namespace korvel::test
