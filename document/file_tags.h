#pragma once
// The descriptive tags of a sound file (title, artist, ...), as the document keeps them from the
// file it was loaded from to the file it is saved in. Plain text in UTF-8; an empty field is one
// the file does not have. Reading and writing them in files is formats/tag_file.h.

#include <array>
#include <string>

namespace sonvara {

struct FileTags {
    std::string title;
    std::string artist;
    std::string album;
    std::string date;   // as the file has it: a year, or a full date
    std::string track;  // "3" or "3/12"
    std::string genre;
    std::string comment;

    bool Empty() const { return *this == FileTags(); }
    bool operator==(const FileTags&) const = default;
};

// Every field with its label, in the order the properties dialog and sonvara-batch show them.
struct TagField {
    const char* label;
    std::string FileTags::*value;
};
inline constexpr std::array<TagField, 7> kTagFields = {{
    {"Título", &FileTags::title},
    {"Artista", &FileTags::artist},
    {"Álbum", &FileTags::album},
    {"Fecha", &FileTags::date},
    {"Pista", &FileTags::track},
    {"Género", &FileTags::genre},
    {"Comentario", &FileTags::comment},
}};

}  // namespace sonvara
