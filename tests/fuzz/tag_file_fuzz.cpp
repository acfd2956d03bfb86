// Reads the tags of arbitrary bytes as a file of each format that holds tags; the first byte
// chooses the format. Every field read must be valid UTF-8 text for the dialogs and the listing.

#include <cstdlib>

#include "formats/tag_file.h"

namespace {

bool IsUtf8(const std::string& text) {
    std::size_t following = 0;
    for (const unsigned char c : text) {
        if (following > 0) {
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            --following;
        } else if (c >= 0xF0) {
            following = 3;
        } else if (c >= 0xE0) {
            following = 2;
        } else if (c >= 0xC0) {
            following = 1;
        } else if (c >= 0x80) {
            return false;
        }
    }
    return following == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using sonvara::TagFormat;
    if (size == 0) {
        return 0;
    }
    constexpr TagFormat kFormats[] = {TagFormat::kId3v2, TagFormat::kRiffInfo,  TagFormat::kAiff,
                                      TagFormat::kFlac,  TagFormat::kOggVorbis, TagFormat::kOggOpus,
                                      TagFormat::kMp4};
    const TagFormat format = kFormats[data[0] % std::size(kFormats)];
    const sonvara::FileTags tags = sonvara::ReadTagsFromBytes(data + 1, size - 1, format);
    for (const sonvara::TagField& field : sonvara::kTagFields) {
        if (!IsUtf8(tags.*field.value)) {
            std::abort();
        }
    }
    return 0;
}
