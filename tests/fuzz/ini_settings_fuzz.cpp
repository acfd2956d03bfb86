// Feeds arbitrary bytes to the settings file reader. Whatever it makes of them must survive being
// written out and read back unchanged, and writing that again must give the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/ini_settings_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const sonvara::SettingsContent parsed = sonvara::ParseIniSettings(input);
    const std::string text = sonvara::SerializeIniSettings(parsed);
    const sonvara::SettingsContent reparsed = sonvara::ParseIniSettings(text);
    if (reparsed != parsed || sonvara::SerializeIniSettings(reparsed) != text) {
        std::abort();
    }
    return 0;
}
