#include "platform/desktop_registration.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>

#include "core/folders.h"
#include "core/paths.h"
#include "core/temporary_file.h"

namespace sonvara {
namespace {

constexpr std::string_view kDefaultGroup = "[Default Applications]";

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t end = text.find(separator);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(end + 1);
    }
}

// The content of the text file `path`: nothing when it is missing, `failed` when it exists but
// cannot be read.
std::optional<std::string> ReadText(const std::string& path, bool& failed) {
    failed = false;
    std::error_code code;
    if (!std::filesystem::exists(path, code)) {
        failed = static_cast<bool>(code);
        return std::nullopt;
    }
    if (!std::filesystem::is_regular_file(path, code)) {
        failed = true;
        return std::nullopt;
    }
    std::ifstream input(path, std::ios::binary);
    if (!input.is_open()) {
        failed = true;
        return std::nullopt;
    }
    std::ostringstream text;
    text << input.rdbuf();
    if (input.bad()) {
        failed = true;
        return std::nullopt;
    }
    return text.str();
}

// The data folders in the order of their importance.
std::vector<std::string> DataFolders() {
    std::vector<std::string> folders;
    if (std::string home = XdgBaseFolder("XDG_DATA_HOME", ".local/share"); !home.empty()) {
        folders.push_back(std::move(home));
    }
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    const std::string_view list =
        dirs != nullptr && *dirs != '\0' ? dirs : "/usr/local/share:/usr/share";
    for (std::string_view folder : Split(list, ':')) {
        if (!folder.empty() && folder.front() == '/') {
            folders.emplace_back(folder);
        }
    }
    return folders;
}

}  // namespace

std::vector<std::string> MimeTypesOfExtension(std::string_view extension) {
    const std::string wanted = "*." + std::string(extension);
    const std::string wanted_lower = Lower(wanted);
    std::vector<std::string> types;
    std::set<std::string> no_globs;  // dropped from the less important lists
    for (const std::string& folder : DataFolders()) {
        std::ifstream list(folder + "/mime/globs2");
        std::set<std::string> dropped_here;
        std::string line;
        while (std::getline(list, line)) {
            if (line.empty() || line.front() == '#') {
                continue;
            }
            const std::vector<std::string_view> fields = Split(line, ':');
            if (fields.size() < 3) {
                continue;
            }
            const std::string type(fields[1]);
            if (fields[2] == "__NOGLOBS__") {
                dropped_here.insert(type);
                continue;
            }
            if (no_globs.count(type) != 0) {
                continue;
            }
            const bool case_sensitive =
                fields.size() > 3 && std::ranges::count(Split(fields[3], ','), "cs") != 0;
            const bool matches =
                case_sensitive ? fields[2] == wanted : Lower(fields[2]) == wanted_lower;
            if (matches && std::ranges::find(types, type) == types.end()) {
                types.push_back(type);
            }
        }
        no_globs.insert(dropped_here.begin(), dropped_here.end());
    }
    return types;
}

std::string DesktopExecProgram(std::string_view program) {
    constexpr std::string_view kReserved = " \t\"'\\><~|&;$*?#()`";
    const bool quote = program.find_first_of(kReserved) != std::string_view::npos;
    std::string written = quote ? "\"" : "";
    for (const char c : program) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return {};
        }
        switch (c) {
            case '"':
            case '`':
            case '$':
                written += "\\\\";  // the quoting's backslash, escaped for the string value
                written += c;
                break;
            case '\\':
                written += "\\\\\\\\";
                break;
            case '%':
                written += "%%";
                break;
            default:
                written += c;
        }
    }
    return quote ? written + "\"" : written;
}

std::string WithDefaultApplication(std::string_view mimeapps, std::span<const std::string> types,
                                   std::string_view desktop_id) {
    std::vector<std::string_view> lines = Split(mimeapps, '\n');
    if (!lines.empty() && lines.back().empty()) {
        lines.pop_back();  // the final line break
    }
    const auto entry = [&](std::string_view type, std::string_view old_value) {
        std::string line = std::string(type) + "=" + std::string(desktop_id) + ";";
        for (std::string_view application : Split(old_value, ';')) {
            application = Trimmed(application);
            if (!application.empty() && application != desktop_id) {
                line += std::string(application) + ";";
            }
        }
        return line;
    };

    std::vector<std::string> out;
    std::set<std::string_view> written;
    bool in_group = false;
    bool group_seen = false;
    std::size_t group_end = 0;  // after the group's last line that is not blank
    for (const std::string_view line : lines) {
        const std::string_view trimmed = Trimmed(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            in_group = trimmed == kDefaultGroup && !group_seen;
            group_seen = group_seen || in_group;
            out.emplace_back(line);
            if (in_group) {
                group_end = out.size();
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (in_group && equals != std::string_view::npos) {
            const std::string_view key = Trimmed(line.substr(0, equals));
            if (std::ranges::find(types, key) != types.end()) {
                out.push_back(entry(key, line.substr(equals + 1)));
                written.insert(key);
                group_end = out.size();
                continue;
            }
        }
        out.emplace_back(line);
        if (in_group && !trimmed.empty()) {
            group_end = out.size();
        }
    }
    std::vector<std::string> added;
    for (const std::string& type : types) {
        if (written.count(type) == 0 && std::ranges::find(added, entry(type, "")) == added.end()) {
            added.push_back(entry(type, ""));
        }
    }
    if (!group_seen && !added.empty()) {
        if (!out.empty() && !Trimmed(out.back()).empty()) {
            out.emplace_back();
        }
        out.emplace_back(kDefaultGroup);
        group_end = out.size();
    }
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(group_end), added.begin(), added.end());

    std::string text;
    for (const std::string& line : out) {
        text += line;
        text += '\n';
    }
    return text;
}

std::string UserApplicationsFolder() {
    const std::string base = XdgBaseFolder("XDG_DATA_HOME", ".local/share");
    return base.empty() ? std::string() : base + "/applications";
}

std::string UserMimeAppsPath() {
    const std::string base = XdgBaseFolder("XDG_CONFIG_HOME", ".config");
    return base.empty() ? std::string() : base + "/mimeapps.list";
}

bool ReplaceTextFile(const std::string& path, std::string_view text, std::string& error) {
    error = "No se pudo escribir el archivo \"" + path + "\".";
    if (path.empty()) {
        return false;
    }
    const std::string target = GetLongFilePath(path);
    bool failed = false;
    if (ReadText(target, failed) == text) {
        return true;
    }
    const std::size_t slash = target.rfind('/');
    if (slash != std::string::npos && slash > 0 && !CreateFolders(target.substr(0, slash), 0700)) {
        return false;
    }
    if (!ReplaceFileContents(target, text.data(), text.size())) {
        return false;
    }
    error.clear();
    return true;
}

bool SetUserDefaultApplication(std::span<const std::string> types, std::string_view desktop_id,
                               std::string& error) {
    const std::string path = UserMimeAppsPath();
    bool failed = false;
    const std::optional<std::string> old_text = ReadText(GetLongFilePath(path), failed);
    if (failed) {
        // Replacing it would lose the user's other choices.
        error = "No se pudo leer el archivo \"" + path + "\".";
        return false;
    }
    return ReplaceTextFile(path, WithDefaultApplication(old_text.value_or(""), types, desktop_id),
                           error);
}

}  // namespace sonvara
