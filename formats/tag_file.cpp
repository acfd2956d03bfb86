#include "formats/tag_file.h"

#include <taglib/aifffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>

#include <memory>

#include "components/ffmpeg/audio_file_decoder.h"

namespace sonvara {
namespace {

// Each field's name in TagLib's common property names and in a RIFF INFO list.
struct TagKey {
    std::string FileTags::*value;
    const char* property;
    const char* info_id;
};
constexpr TagKey kTagKeys[] = {
    {&FileTags::title, "TITLE", "INAM"},       {&FileTags::artist, "ARTIST", "IART"},
    {&FileTags::album, "ALBUM", "IPRD"},       {&FileTags::date, "DATE", "ICRD"},
    {&FileTags::track, "TRACKNUMBER", "IPRT"}, {&FileTags::genre, "GENRE", "IGNR"},
    {&FileTags::comment, "COMMENT", "ICMT"},
};
// Some writers put the track number of a RIFF INFO list here instead.
constexpr const char* kInfoTrackAlternative = "ITRK";
// And the comment of Vorbis comments here (FFmpeg does).
constexpr const char* kCommentAlternative = "DESCRIPTION";

std::string Utf8(const TagLib::String& text) {
    return text.to8Bit(true);
}
TagLib::String FromUtf8(const std::string& text) {
    return TagLib::String(text, TagLib::String::UTF8);
}

// TagLib's reader of `format` over `stream` (which must outlive it), without the audio
// properties, which are not needed here; null for kNone.
std::unique_ptr<TagLib::File> OpenTagged(TagFormat format, TagLib::IOStream* stream) {
    TagLib::ID3v2::FrameFactory* frames = TagLib::ID3v2::FrameFactory::instance();
    switch (format) {
        case TagFormat::kId3v2:
            return std::make_unique<TagLib::MPEG::File>(stream, frames, false);
        case TagFormat::kRiffInfo:
            return std::make_unique<TagLib::RIFF::WAV::File>(stream, false);
        case TagFormat::kAiff:
            return std::make_unique<TagLib::RIFF::AIFF::File>(stream, false);
        case TagFormat::kFlac:
            return std::make_unique<TagLib::FLAC::File>(stream, frames, false);
        case TagFormat::kOggVorbis:
            return std::make_unique<TagLib::Ogg::Vorbis::File>(stream, false);
        case TagFormat::kOggOpus:
            return std::make_unique<TagLib::Ogg::Opus::File>(stream, false);
        case TagFormat::kMp4:
            return std::make_unique<TagLib::MP4::File>(stream, false);
        case TagFormat::kNone:
            break;
    }
    return nullptr;
}

FileTags FromProperties(const TagLib::PropertyMap& properties) {
    FileTags tags;
    for (const TagKey& key : kTagKeys) {
        const auto found = properties.find(key.property);
        if (found != properties.end()) {
            tags.*key.value = Utf8(found->second.toString("; "));
        }
    }
    if (const auto found = properties.find(kCommentAlternative);
        tags.comment.empty() && found != properties.end()) {
        tags.comment = Utf8(found->second.toString("; "));
    }
    return tags;
}

FileTags TagsOf(TagLib::File& file, TagFormat format) {
    if (!file.isValid()) {
        return {};
    }
    if (format != TagFormat::kRiffInfo) {
        return FromProperties(file.properties());
    }
    // TagLib's common view of a WAV file is its ID3v2 chunk; the INFO list is what WAV writers
    // use, so it comes first.
    auto& wave = static_cast<TagLib::RIFF::WAV::File&>(file);
    FileTags tags;
    if (wave.hasInfoTag()) {
        const TagLib::RIFF::Info::Tag& info = *wave.InfoTag();
        for (const TagKey& key : kTagKeys) {
            tags.*key.value = Utf8(info.fieldText(key.info_id));
        }
        if (tags.track.empty()) {
            tags.track = Utf8(info.fieldText(kInfoTrackAlternative));
        }
    }
    if (tags.Empty() && wave.hasID3v2Tag()) {
        tags = FromProperties(wave.ID3v2Tag()->properties());
    }
    return tags;
}

bool SaveTags(TagLib::File& file, TagFormat format, const FileTags& tags) {
    if (format == TagFormat::kRiffInfo) {
        auto& wave = static_cast<TagLib::RIFF::WAV::File&>(file);
        TagLib::RIFF::Info::Tag& info = *wave.InfoTag();
        for (const TagKey& key : kTagKeys) {
            info.setFieldText(key.info_id, FromUtf8(tags.*key.value));  // empty: removed
        }
        return wave.save(TagLib::RIFF::WAV::File::Info);
    }
    TagLib::PropertyMap properties;
    for (const TagKey& key : kTagKeys) {
        if (!(tags.*key.value).empty()) {
            properties.insert(key.property, TagLib::StringList(FromUtf8(tags.*key.value)));
        }
    }
    file.setProperties(properties);
    if (format == TagFormat::kId3v2) {
        // ID3v2.3: the version every player reads; no ID3v1 or APE tag beside it.
        return static_cast<TagLib::MPEG::File&>(file).save(
            TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v3);
    }
    return file.save();
}

TagFormat TagFormatOf(std::string_view path) {
    const FileFormat* format = FileFormatOf(path);
    return format == nullptr ? TagFormat::kNone : format->tags;
}

}  // namespace

FileTags ReadFileTags(const std::string& path) {
    const TagFormat format = TagFormatOf(path);
    if (format == TagFormat::kNone || !IsRegularFile(path)) {
        return {};
    }
    TagLib::FileStream stream(path.c_str(), true);
    if (!stream.isOpen()) {
        return {};
    }
    std::unique_ptr<TagLib::File> file = OpenTagged(format, &stream);
    return TagsOf(*file, format);
}

FileTags ReadTagsFromBytes(const std::uint8_t* data, std::size_t size, TagFormat format) {
    TagLib::ByteVectorStream stream(
        TagLib::ByteVector(reinterpret_cast<const char*>(data), static_cast<unsigned>(size)));
    std::unique_ptr<TagLib::File> file = OpenTagged(format, &stream);
    return file == nullptr ? FileTags() : TagsOf(*file, format);
}

bool HoldsTags(std::string_view path) {
    return TagFormatOf(path) != TagFormat::kNone;
}

bool WriteFileTags(const std::string& path, std::string_view format_path, const FileTags& tags) {
    const TagFormat format = TagFormatOf(format_path);
    if (format == TagFormat::kNone || tags.Empty()) {
        return true;
    }
    TagLib::FileStream stream(path.c_str(), false);
    if (!stream.isOpen() || stream.readOnly()) {
        return false;
    }
    if (format == TagFormat::kRiffInfo && stream.readBlock(4) == "RF64") {
        return true;  // a WAV file past 4 GiB: TagLib does not rewrite these
    }
    stream.seek(0);
    std::unique_ptr<TagLib::File> file = OpenTagged(format, &stream);
    return file->isValid() && SaveTags(*file, format, tags);
}

}  // namespace sonvara
