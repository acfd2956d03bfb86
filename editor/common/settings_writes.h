#pragma once
// SettingsWrites: a dialog's values stored one after the other, stopping at the first that cannot
// be written (a settings file in a folder that cannot be written, a full disk), so that the dialog
// can say which and stay open.

#include <string>
#include <string_view>

#include "core/prompts.h"

namespace sonvara {

class SettingsWrites {
  public:
    explicit SettingsWrites(std::string section) : section_(std::move(section)) {}

    void Bool(std::string_view name, bool value);
    void Int(std::string_view name, int value);
    void String(std::string_view name, std::string_view value);

    bool Failed() const { return !failed_.empty(); }
    // True when every value was stored; otherwise tells the user which one was not.
    bool Report(Prompts& prompts) const;

  private:
    std::string section_;
    std::string failed_;  // the name of the value that could not be stored
};

}  // namespace sonvara
