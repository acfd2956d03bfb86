// format_encode IN.wav OUT FORMAT: writes IN again through one of our file writers, the way the
// editor saves. Used by tests/data/formats/make_ours.sh to make the files that sox then decodes.
// FORMAT: au, aiff, or a headerless encoding: vox, ulaw, alaw, s16le, s16be, u8, s8.

#include <cstdio>
#include <optional>
#include <string>

#include "audio/wav/wave_file.h"
#include "formats/aiff_file.h"
#include "formats/au_file.h"
#include "formats/raw_formats.h"
#include "tests/formats/format_test_util.h"

namespace {

std::optional<sonvara::RawEncoding> EncodingNamed(const std::string& name) {
    using sonvara::RawEncoding;
    if (name == "vox")
        return RawEncoding::kDialogicAdpcm;
    if (name == "ulaw")
        return RawEncoding::kUlaw;
    if (name == "alaw")
        return RawEncoding::kAlaw;
    if (name == "s16le")
        return RawEncoding::kPcm16LE;
    if (name == "s16be")
        return RawEncoding::kPcm16BE;
    if (name == "u8")
        return RawEncoding::kPcm8Unsigned;
    if (name == "s8")
        return RawEncoding::kPcm8Signed;
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace sonvara;
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: format_encode IN.wav OUT au|aiff|vox|ulaw|alaw|s16le|s16be|u8|s8\n");
        return 2;
    }
    LSoundSourceRef source = LWaveFile::OpenSource(argv[1]);
    if (source->IsError()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const std::string format = argv[3];
    const std::int32_t rate = source->GetSampleRate();
    const int channels = source->GetChannels();
    LSoundSinkRef sink;
    if (format == "au") {
        sink = LAuFile::OpenSink(argv[2], rate, channels);
    } else if (format == "aiff") {
        sink = LAifFile::OpenSink(argv[2], rate, channels);
    } else if (std::optional<RawEncoding> encoding = EncodingNamed(format)) {
        if (*encoding == RawEncoding::kDialogicAdpcm && channels != 1) {
            std::fprintf(stderr, "VOX files are mono\n");
            return 2;
        }
        sink = OpenRawSink(argv[2], *encoding, rate, channels);
    } else {
        std::fprintf(stderr, "unknown format %s\n", argv[3]);
        return 2;
    }
    if (sink->IsError()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return testing::CopyAll(*source, *sink) ? 0 : 1;
}
