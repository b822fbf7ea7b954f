#include "dialog_template.h"

#include "string_table.h"

#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace korvel::sim {

namespace {

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    const size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        parts.push_back(Trim(part));
    return parts;
}

// The quoted text starting at `open`, with the escapes the template uses; `end` is left
// after the closing quote.
std::string Unquote(const std::string& line, size_t open, size_t& end) {
    std::string text;
    size_t i = open + 1;
    for (; i < line.size(); ++i) {
        if (line.compare(i, 2, "\"\"") == 0) {
            text += '"';
            ++i;
        } else if (line.compare(i, 2, "\\n") == 0) {
            text += '\n';
            ++i;
        } else if (line[i] == '"') {
            break;
        } else {
            text += line[i];
        }
    }
    end = i + 1;
    return text;
}

// A static control starts a group unless told otherwise; every control is visible.
void ApplyStyle(const std::string& style, DialogControl& control) {
    control.startsGroup = control.kind == "LTEXT";
    for (const std::string& flag : Split(style, '|')) {
        if (flag == "WS_GROUP" || flag == "NOT WS_GROUP")
            control.startsGroup = flag == "WS_GROUP";
        if (flag == "WS_VISIBLE" || flag == "NOT WS_VISIBLE")
            control.visible = flag == "WS_VISIBLE";
    }
}

// `KIND "text", id, x, y, cx, cy[, style]`
std::optional<DialogControl> ReadControl(const std::string& line) {
    const size_t open = line.find('"');
    if (open == std::string::npos)
        return std::nullopt;
    DialogControl control;
    control.kind = Trim(line.substr(0, open));
    size_t end = 0;
    control.text = FromUtf8(Unquote(line, open, end));
    const std::vector<std::string> fields = Split(line.substr(end), ',');
    if (fields.size() < 6)
        throw std::runtime_error("unreadable control: " + line);
    control.id = ResourceNumber(fields[1]);
    ApplyStyle(fields.size() > 6 ? fields[6] : "", control);
    return control;
}

} // namespace

std::map<uint16_t, std::vector<DialogControl>> ReadDialogTemplates(const std::string& path) {
    std::ifstream file(path);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    static const std::regex header(R"(^(\w+)\s+DIALOGEX\b.*)");
    std::map<uint16_t, std::vector<DialogControl>> templates;
    std::vector<DialogControl>* controls = nullptr;
    bool inside = false;
    for (std::string line; std::getline(file, line);) {
        std::smatch match;
        if (std::regex_match(line, match, header)) {
            controls = &templates[ResourceNumber(match[1])];
        } else if (controls != nullptr && Trim(line) == "BEGIN") {
            inside = true;
        } else if (controls != nullptr && Trim(line) == "END") {
            controls = nullptr;
            inside = false;
        } else if (inside) {
            if (const std::optional<DialogControl> control = ReadControl(line))
                controls->push_back(*control);
        }
    }
    return templates;
}

const std::map<uint16_t, std::vector<DialogControl>>& DialogTemplates() {
    static const auto templates = ReadDialogTemplates(KORVEL_SOURCE_DIR "/res/dialog.rc");
    return templates;
}

} // namespace korvel::sim
