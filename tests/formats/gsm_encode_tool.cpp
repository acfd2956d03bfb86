// gsm_encode IN.s16 OUT.gsm|OUT.wav: writes 8000 Hz mono 16-bit little-endian samples through
// our ".gsm" writer, or through the WAV writer in GSM 6.10 (the chooser's default format), the
// way the editor saves. Used by tests/data/gsm/make.sh to make the files the peers then decode.

#include <cstdio>
#include <string>
#include <vector>

#include "audio/wav/wave_file.h"
#include "audio/wav/wave_file_format.h"
#include "core/byte_order.h"
#include "formats/gsm_file.h"
#include "tests/formats/format_test_util.h"

int main(int argc, char** argv) {
    using namespace sonvara;
    if (argc != 3) {
        std::fprintf(stderr, "usage: gsm_encode IN.s16 OUT.gsm|OUT.wav\n");
        return 2;
    }
    const std::vector<std::uint8_t> bytes = testing::FileBytes(argv[1]);
    std::vector<Sample> samples;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        samples.push_back(SampleFrom16(static_cast<std::int16_t>(LoadLE16(&bytes[i]))));
    }
    const std::string out = argv[2];
    LSoundSinkRef sink =
        out.ends_with(".wav")
            ? LWaveFile::OpenSink(out, LWaveFileFormat::FromArea(LWaveFileFormat::DefaultFormat()))
            : LSoundSinkRef(new LGSMFileSink(out));
    if (sink->IsError()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    sink->Write(samples.data(), static_cast<std::int32_t>(samples.size()));
    return sink->Finish() ? 0 : 1;
}
