#include "platform/ini_settings_text.h"

#include <optional>

namespace sonvara {
namespace {

enum class Field { kSection, kName, kValue };

bool NeedsEscape(char c, Field field, bool first) {
    switch (c) {
        case '\\':
        case '\n':
        case '\r':
            return true;
        case '[':
        case ']':
            return field != Field::kValue;
        case '=':
            return field == Field::kName;
        case ';':
        case '#':
            return field == Field::kName && first;
        default:
            return false;
    }
}

void AppendEscaped(std::string& out, std::string_view text, Field field) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!NeedsEscape(c, field, i == 0)) {
            out += c;
            continue;
        }
        out += '\\';
        out += c == '\n' ? 'n' : c == '\r' ? 'r' : c;
    }
}

// Reads escaped text from `line` at `at` up to the first unescaped `stop` (which is passed over)
// or the end of the line. nullopt when `stop` was never met.
std::optional<std::string> ReadEscaped(std::string_view line, std::size_t& at, char stop) {
    std::string text;
    while (at < line.size()) {
        const char c = line[at++];
        if (c == stop) {
            return text;
        }
        if (c != '\\' || at == line.size()) {
            text += c;  // a backslash that ends the line stands for itself
            continue;
        }
        const char escaped = line[at++];
        text += escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped;
    }
    if (stop == '\n') {
        return text;  // reading to the end of the line
    }
    return std::nullopt;
}

}  // namespace

SettingsContent ParseIniSettings(std::string_view text) {
    SettingsContent content;
    std::optional<std::string> section;
    std::size_t line_start = 0;
    while (line_start < text.size()) {
        std::size_t line_end = text.find('\n', line_start);
        if (line_end == std::string_view::npos) {
            line_end = text.size();
        }
        std::string_view line = text.substr(line_start, line_end - line_start);
        line_start = line_end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        std::size_t at = 0;
        if (line.front() == '[') {
            ++at;
            section = ReadEscaped(line, at, ']');  // text after the "]" is ignored
            if (section) {
                content.try_emplace(*section);
            }
            continue;
        }
        std::optional<std::string> name = ReadEscaped(line, at, '=');
        if (!name || !section) {
            continue;
        }
        std::optional<std::string> value = ReadEscaped(line, at, '\n');
        SetSettingsValue(content, *section, *name, *value);
    }
    return content;
}

std::string SerializeIniSettings(const SettingsContent& content) {
    std::string out;
    bool first_section = true;
    for (const auto& [section, values] : content) {
        if (!first_section) {
            out += '\n';
        }
        first_section = false;
        out += '[';
        AppendEscaped(out, section, Field::kSection);
        out += "]\n";
        for (const auto& [name, value] : values) {
            AppendEscaped(out, name, Field::kName);
            out += '=';
            AppendEscaped(out, value, Field::kValue);
            out += '\n';
        }
    }
    return out;
}

}  // namespace sonvara
