#pragma once
// The fixed fields of the project, bookmark and region records: 260-byte texts ending in a zero
// byte (their integers are little-endian, core/byte_order.h). A text that does not fit a field with
// its zero is refused, never cut.

#include <cstddef>
#include <cstdint>
#include <string>

namespace sonvara {

constexpr std::size_t kTextFieldBytes = 260;

// Whether `text` fits a text field with its terminating zero (259 bytes at most).
constexpr bool FitsTextField(const std::string& text) {
    return text.size() < kTextFieldBytes;
}
// Fills the field with `text` and zeros; false, with the field all zeros, when it does not fit.
bool PutTextField(std::uint8_t* field, const std::string& text);
// The text up to the first zero; the field's last byte counts as zero whatever it holds.
std::string GetTextField(const std::uint8_t* field);

// The message that refuses a text too long for its field; `what` names it ("La ruta", ...).
std::string TooLongMessage(const std::string& what, const std::string& text);

// Milliseconds to frames at `rate` without overflowing 32 bits: whole seconds times the rate,
// then the rest.
constexpr std::int64_t MillisecondsToFrames(std::uint32_t ms, std::int32_t rate) {
    return static_cast<std::int64_t>(ms / 1000) * rate +
           static_cast<std::int64_t>(ms % 1000) * rate / 1000;
}
// Frames to whole milliseconds at `rate` (0 for a rate below 1 or a negative frame).
std::uint32_t FramesToMilliseconds(std::int64_t frames, std::int32_t rate);
// "h:mm:ss.mmm" of `ms` milliseconds.
std::string MillisecondsText(std::uint32_t ms);

}  // namespace sonvara
