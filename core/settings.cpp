#include "core/settings.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

namespace sonvara {
namespace {

unsigned char FoldAscii(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

// The blanks C's isspace accepts in the "C" locale, which atoi skips.
bool IsCBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// atoi's reading of `text`, without its undefined overflow: out-of-range numbers clamp.
int LeadingDecimal(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsCBlank(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // Accumulating stops growing one past INT_MAX, which is enough to tell INT_MIN apart.
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(INT_MAX) + 1;
    std::int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = std::min(kLimit, magnitude * 10 + (text[at] - '0'));
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

struct CurrentStore {
    std::mutex mutex;
    std::shared_ptr<SettingsStore> store = std::make_shared<MemorySettingsStore>();
};

CurrentStore& Current() {
    static CurrentStore current;
    return current;
}

}  // namespace

bool AsciiCaseLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return FoldAscii(x) < FoldAscii(y); });
}

void SetSettingsValue(SettingsContent& content, std::string_view section, std::string_view name,
                      std::string_view value) {
    auto in_content = content.find(section);
    if (in_content == content.end()) {
        in_content = content.emplace(std::string(section), SettingsSection{}).first;
    }
    SettingsSection& values = in_content->second;
    auto in_section = values.find(name);
    if (in_section == values.end()) {
        values.emplace(std::string(name), std::string(value));
    } else {
        in_section->second.assign(value);
    }
}

std::optional<std::string> FindSettingsValue(const SettingsContent& content,
                                             std::string_view section, std::string_view name) {
    const auto in_content = content.find(section);
    if (in_content == content.end()) {
        return std::nullopt;
    }
    const auto in_section = in_content->second.find(name);
    if (in_section == in_content->second.end()) {
        return std::nullopt;
    }
    return in_section->second;
}

std::optional<std::string> MemorySettingsStore::Read(std::string_view section,
                                                     std::string_view name) const {
    std::lock_guard lock(mutex_);
    return FindSettingsValue(content_, section, name);
}

bool MemorySettingsStore::Write(std::string_view section, std::string_view name,
                                std::string_view value) {
    std::lock_guard lock(mutex_);
    SetSettingsValue(content_, section, name, value);
    return true;
}

bool SettingsStore::WriteAll(const std::vector<SettingsValue>& values) {
    for (const SettingsValue& value : values) {
        if (!Write(value.section, value.name, value.value)) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> StagedSettings::Read(std::string_view section,
                                                std::string_view name) const {
    {
        std::lock_guard lock(mutex_);
        if (std::optional<std::string> staged = FindSettingsValue(staged_, section, name)) {
            return staged;
        }
    }
    return base_->Read(section, name);
}

bool StagedSettings::Write(std::string_view section, std::string_view name,
                           std::string_view value) {
    std::lock_guard lock(mutex_);
    SetSettingsValue(staged_, section, name, value);
    order_.push_back({std::string(section), std::string(name), std::string(value)});
    return true;
}

bool StagedSettings::Commit() {
    std::lock_guard lock(mutex_);
    return order_.empty() || base_->WriteAll(order_);
}

SettingsContent MemorySettingsStore::Content() const {
    std::lock_guard lock(mutex_);
    return content_;
}

std::shared_ptr<SettingsStore> UseSettingsStore(std::shared_ptr<SettingsStore> store) {
    if (!store) {
        store = std::make_shared<MemorySettingsStore>();
    }
    CurrentStore& current = Current();
    std::lock_guard lock(current.mutex);
    return std::exchange(current.store, std::move(store));
}

std::shared_ptr<SettingsStore> CurrentSettingsStore() {
    CurrentStore& current = Current();
    std::lock_guard lock(current.mutex);
    return current.store;
}

std::string ReadString(std::string_view section, std::string_view name,
                       std::string_view default_value) {
    std::optional<std::string> value = CurrentSettingsStore()->Read(section, name);
    return value ? std::move(*value) : std::string(default_value);
}

int ReadInt(std::string_view section, std::string_view name, int default_value) {
    const std::string text = ReadString(section, name, "");
    return text.empty() ? default_value : LeadingDecimal(text);
}

bool ReadBool(std::string_view section, std::string_view name, bool default_value) {
    const std::string text = ReadString(section, name, "");
    return text.empty() ? default_value : text.front() != '0';
}

bool WriteString(std::string_view section, std::string_view name, std::string_view value) {
    return CurrentSettingsStore()->Write(section, name, value);
}

bool WriteInt(std::string_view section, std::string_view name, int value) {
    return WriteString(section, name, std::to_string(value));
}

bool WriteBool(std::string_view section, std::string_view name, bool value) {
    return WriteString(section, name, value ? "1" : "0");
}

}  // namespace sonvara
