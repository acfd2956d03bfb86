#include "project/record_fields.h"

#include <cstdio>
#include <cstring>

namespace sonvara {

bool PutTextField(std::uint8_t* field, const std::string& text) {
    std::memset(field, 0, kTextFieldBytes);
    if (!FitsTextField(text)) {
        return false;
    }
    std::memcpy(field, text.data(), text.size());
    return true;
}

std::string GetTextField(const std::uint8_t* field) {
    const void* zero = std::memchr(field, 0, kTextFieldBytes - 1);
    const std::size_t length =
        zero != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - field)
                        : kTextFieldBytes - 1;
    return std::string(reinterpret_cast<const char*>(field), length);
}

std::string TooLongMessage(const std::string& what, const std::string& text) {
    return what + " \"" + text + "\" no cabe en un campo de " + std::to_string(kTextFieldBytes) +
           " bytes: tiene " + std::to_string(text.size()) + " y caben " +
           std::to_string(kTextFieldBytes - 1) + ".";
}

std::uint32_t FramesToMilliseconds(std::int64_t frames, std::int32_t rate) {
    if (rate < 1 || frames < 0) {
        return 0;
    }
    const std::int64_t ms = frames / rate * 1000 + frames % rate * 1000 / rate;
    return ms > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<std::uint32_t>(ms);
}

std::string MillisecondsText(std::uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u:%02u.%03u", ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return text;
}

}  // namespace sonvara
