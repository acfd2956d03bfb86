#pragma once
// The settings store: named text values in named sections ("Settings", "Folders", "Player"...).
// Integers are stored as decimal text, booleans as "1" or "0".
//
// Section and value names compare without regard to ASCII case; a value keeps the spelling of
// the name it was first written under. Reads never fail: a value that is missing gives the
// caller's default. Writes fail silently; the result is there for tests.
//
// The store behind the free functions is process-wide and chosen at start-up with
// UseSettingsStore (the editor and the batch tool install the user's settings file). Until then
// an empty in-memory store is used, so that library code run by tests never touches the user's
// files. Every function here may be called from any thread.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonvara {

// Orders names byte by byte with ASCII letters folded to lower case.
struct AsciiCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

// Values of one section by name, and sections by name.
using SettingsSection = std::map<std::string, std::string, AsciiCaseLess>;
using SettingsContent = std::map<std::string, SettingsSection, AsciiCaseLess>;

// Sets one value in `content`: a name already present keeps its spelling and gets the new value.
void SetSettingsValue(SettingsContent& content, std::string_view section, std::string_view name,
                      std::string_view value);
std::optional<std::string> FindSettingsValue(const SettingsContent& content,
                                             std::string_view section, std::string_view name);

struct SettingsValue {
    std::string section;
    std::string name;
    std::string value;
};

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    // The stored text, or nullopt when the section or the value does not exist.
    virtual std::optional<std::string> Read(std::string_view section,
                                            std::string_view name) const = 0;
    // Stores the text; returns whether it was stored.
    virtual bool Write(std::string_view section, std::string_view name, std::string_view value) = 0;
    // Stores every value, in order; false when one was not stored. Here one by one, stopping at
    // the first failure; a store that can stores all of them or none.
    virtual bool WriteAll(const std::vector<SettingsValue>& values);
};

// Writes held back over `base`: reads see them, and Commit stores them all in `base` at once (a
// dialog of several pages stores all of them or none). Safe to share between threads.
class StagedSettings : public SettingsStore {
  public:
    explicit StagedSettings(std::shared_ptr<SettingsStore> base) : base_(std::move(base)) {}

    std::optional<std::string> Read(std::string_view section, std::string_view name) const override;
    bool Write(std::string_view section, std::string_view name, std::string_view value) override;
    // Stores the held writes in `base`; false when they were not stored.
    bool Commit();

  private:
    std::shared_ptr<SettingsStore> base_;
    mutable std::mutex mutex_;
    SettingsContent staged_;
    std::vector<SettingsValue> order_;
};

// Values held in memory only; safe to share between threads.
class MemorySettingsStore : public SettingsStore {
  public:
    std::optional<std::string> Read(std::string_view section, std::string_view name) const override;
    bool Write(std::string_view section, std::string_view name, std::string_view value) override;

    SettingsContent Content() const;

  private:
    mutable std::mutex mutex_;
    SettingsContent content_;
};

// Installs the store behind the free functions below and returns the one it replaces. A null
// store installs a fresh empty MemorySettingsStore.
std::shared_ptr<SettingsStore> UseSettingsStore(std::shared_ptr<SettingsStore> store);
std::shared_ptr<SettingsStore> CurrentSettingsStore();

// The stored text; `default_value` only when the value does not exist (a stored "" is "").
std::string ReadString(std::string_view section, std::string_view name,
                       std::string_view default_value);
// `default_value` when the value is missing or empty; otherwise its leading decimal number as C's
// atoi reads it (blanks, sign, digits; 0 when there are no digits). Numbers beyond the range of
// int are clamped to INT_MIN or INT_MAX.
int ReadInt(std::string_view section, std::string_view name, int default_value);
// `default_value` when the value is missing or empty; otherwise true unless it starts with '0'.
bool ReadBool(std::string_view section, std::string_view name, bool default_value);

bool WriteString(std::string_view section, std::string_view name, std::string_view value);
bool WriteInt(std::string_view section, std::string_view name, int value);
bool WriteBool(std::string_view section, std::string_view name, bool value);

}  // namespace sonvara
