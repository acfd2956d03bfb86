#pragma once
// The text form of the settings file.
//
//   [Section]
//   name=value
//
// Lines end in "\n" ("\r\n" is read too). Everything after the first unescaped "=" is the value,
// kept exactly, blanks included. A backslash escapes the next byte: "\n" and "\r" stand for a
// line feed and a carriage return, any other byte stands for itself. Writing escapes backslashes,
// line breaks, and in names "=", "[", "]" and a leading ";" or "#", so every byte string comes
// back as it was written. Lines that start with ";" or "#" are comments.
//
// Reading is lenient, since the file may have been edited by hand or damaged: a line that is
// neither a section header nor "name=value" is passed over, as are values before the first
// section header and values under a header that has no closing "]". A name that appears twice
// keeps its first spelling and takes the later value.

#include <string>
#include <string_view>

#include "core/settings.h"

namespace sonvara {

SettingsContent ParseIniSettings(std::string_view text);

// Sections and names come out in the order of their names, so equal content gives equal bytes.
std::string SerializeIniSettings(const SettingsContent& content);

}  // namespace sonvara
