#include "formats/raw_formats.h"

#include "formats/raw_file_sink.h"
#include "formats/raw_file_source.h"
#include "formats/vox_file.h"

namespace sonvara {
namespace {

// The empty source, in error, stands for a source that cannot work (a rate below 1, no
// channels), as for a file that cannot be opened.
LSoundSourceRef Usable(LSoundSourceRef source) {
    return source->IsError() ? LSoundSourceRef() : source;
}

template <typename Coding>
LSoundSourceRef RawSource(LFile file, std::int32_t rate, int channels) {
    return Usable(new LRawFileDataSoundSource<Coding>(
        std::move(file), rate, LRawFileDataSoundSourceBase::kDataToEnd, channels));
}

template <typename Coding>
LSoundSinkRef RawSink(const std::string& path, std::int32_t rate, int channels) {
    return LSoundSinkRef(new LRawFileDataSoundSink<Coding>(path, rate, channels));
}

}  // namespace

const char* RawEncodingName(RawEncoding encoding) {
    switch (encoding) {
        case RawEncoding::kDialogicAdpcm:
            return "Dialogic ADPCM";
        case RawEncoding::kUlaw:
            return "G711 uLaw";
        case RawEncoding::kAlaw:
            return "G711 aLaw";
        case RawEncoding::kPcm16LE:
            return "16 bit PCM (LE)";
        case RawEncoding::kPcm8Unsigned:
            return "8 bit unsigned";
        case RawEncoding::kPcm8Signed:
            return "8 bit signed";
        case RawEncoding::kPcm16BE:
            return "16 bit PCM (BE)";
    }
    return "";
}

LSoundSourceRef OpenRawSource(const std::string& path, RawEncoding encoding, std::int32_t rate,
                              int channels) {
    if (encoding == RawEncoding::kDialogicAdpcm) {
        return Usable(new LSRCVOX(path, rate));
    }
    LFile file;
    if (!file.Open(path, FileAccess::kRead, FileSharing::kReadWrite,
                   FileDisposition::kOpenExisting)) {
        return LSoundSourceRef();
    }
    switch (encoding) {
        case RawEncoding::kUlaw:
            return RawSource<RawUlaw>(std::move(file), rate, channels);
        case RawEncoding::kAlaw:
            return RawSource<RawAlaw>(std::move(file), rate, channels);
        case RawEncoding::kPcm16LE:
            return RawSource<RawPcm16LE>(std::move(file), rate, channels);
        case RawEncoding::kPcm8Unsigned:
            return RawSource<RawPcm8Unsigned>(std::move(file), rate, channels);
        case RawEncoding::kPcm8Signed:
            return RawSource<RawPcm8Signed>(std::move(file), rate, channels);
        case RawEncoding::kPcm16BE:
            return RawSource<RawPcm16BE>(std::move(file), rate, channels);
        case RawEncoding::kDialogicAdpcm:
            break;
    }
    return LSoundSourceRef();
}

LSoundSinkRef OpenRawSink(const std::string& path, RawEncoding encoding, std::int32_t rate,
                          int channels) {
    switch (encoding) {
        case RawEncoding::kDialogicAdpcm:
            return LSoundSinkRef(new LSNKVOX(path, rate));
        case RawEncoding::kUlaw:
            return RawSink<RawUlaw>(path, rate, channels);
        case RawEncoding::kAlaw:
            return RawSink<RawAlaw>(path, rate, channels);
        case RawEncoding::kPcm16LE:
            return RawSink<RawPcm16LE>(path, rate, channels);
        case RawEncoding::kPcm8Unsigned:
            return RawSink<RawPcm8Unsigned>(path, rate, channels);
        case RawEncoding::kPcm8Signed:
            return RawSink<RawPcm8Signed>(path, rate, channels);
        case RawEncoding::kPcm16BE:
            return RawSink<RawPcm16BE>(path, rate, channels);
    }
    // A value outside the list: a sink in error (no file has that name), which ignores writes.
    return RawSink<RawPcm16LE>("", rate, channels);
}

}  // namespace sonvara
