// wav_encode IN.wav OUT.wav FORMAT: writes IN again in one of the codec manager's formats, the
// way the editor saves a WAV file. Used to make the files that tests/data/wav/make_ours.sh has
// the peer tools decode. FORMAT: ulaw, alaw, ima, ms, float32, pcm24, pcm32.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/wav/wave_file.h"
#include "platform/codec/codec_manager.h"
#include "tests/audio/wav_test_formats.h"

int main(int argc, char** argv) {
    using namespace sonvara;
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: wav_encode IN.wav OUT.wav ulaw|alaw|ima|ms|float32|pcm24|pcm32\n");
        return 2;
    }
    LSoundSourceRef source = LWaveFile::OpenSource(argv[1]);
    if (source->IsError()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::optional<WaveFormat> format = testing::TestFormat(
        argv[3], source->GetChannels(), static_cast<std::uint32_t>(source->GetSampleRate()));
    if (!format) {
        std::fprintf(stderr, "unknown format %s\n", argv[3]);
        return 2;
    }
    LSoundSinkRef sink = LWaveFile::OpenSink(argv[2], *format);
    if (sink->IsError()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return testing::CopyAll(*source, *sink) ? 0 : 1;
}
