// Interchange with peer tools, through files they made (tests/data/wav, see make.sh and
// make_ours.sh there): we decode what they wrote to the samples they decode it to, and they
// decode what we write to the samples we decode it to.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/wav/wave_file.h"
#include "core/byte_order.h"
#include "tests/audio/signals.h"
#include "tests/audio/wav_bytes.h"
#include "tests/audio/wav_test_formats.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

const std::string kData = SONVARA_WAV_DATA_DIR;

std::vector<Sample> PeerDecode(const std::string& name) {
    std::vector<std::uint8_t> bytes = testing::FileBytes(kData + "/" + name);
    std::vector<Sample> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = SampleFrom16(static_cast<std::int16_t>(LoadLE16(&bytes[2 * i])));
    }
    return samples;
}

// Every sample of our decode against a peer's: the same count, and each within `steps`
// 16-bit steps.
void ExpectSameDecode(const std::string& wav, const std::string& peer, int steps) {
    SCOPED_TRACE(wav + " against " + peer);
    LSoundSourceRef source = LWaveFile::OpenSource(kData + "/" + wav);
    ASSERT_FALSE(source->IsError());
    std::vector<Sample> theirs = PeerDecode(peer);
    const auto frames = static_cast<std::int32_t>(theirs.size() / source->GetChannels());
    std::vector<Sample> ours = testing::ReadAll(*source, frames + 600);
    EXPECT_EQ(source->GetLength(), frames);
    int worst = 0;
    for (std::size_t i = 0; i < theirs.size(); ++i) {
        worst = std::max(worst, std::abs(ours[i] - theirs[i]) / 16);
    }
    EXPECT_LE(worst, steps);
}

struct PeerCheck {
    std::string peer;  // "sox" or "ffmpeg"
    int steps;
};

// Which peers' decodes a file must match, and how closely. PCM, float and G.711 match both
// peers; wider PCM and float are narrowed to 16 bits, where sox rounds and ffmpeg truncates.
// For ADPCM the two peers disagree with each other: sox computes each IMA step as the classic
// sum of shifted steps and each MS prediction with a shift, as the formats were defined, while
// ffmpeg multiplies and divides. Our decoders follow the definitions, and so sox, exactly.
std::vector<PeerCheck> PeersFor(const std::string& name) {
    if (name.find("ima") != std::string::npos || name.find("ms_") != std::string::npos) {
        return {{"sox", 0}};
    }
    for (const char* wide : {"pcm24", "pcm32", "float32"}) {
        if (name.find(wide) != std::string::npos) {
            return {{"sox", 1}, {"ffmpeg", 1}};
        }
    }
    return {{"sox", 0}, {"ffmpeg", 0}};
}

void ExpectPeersDecode(const std::string& wav) {
    const std::string base = wav.substr(0, wav.size() - 4);
    for (const PeerCheck& check : PeersFor(wav)) {
        ExpectSameDecode(wav, base + "." + check.peer + ".s16", check.steps);
    }
}

std::vector<std::string> GoldenWavs(const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kData)) {
        std::string name = entry.path().filename().string();
        if (name.ends_with(".wav") && !name.starts_with("in_") &&
            name.starts_with("ours_") == (prefix == "ours_")) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(WaveInterchange, PeerMadeFilesDecodeAsThePeersDecodeThem) {
    std::vector<std::string> names = GoldenWavs("");
    ASSERT_GE(names.size(), 20u);
    for (const std::string& wav : names) {
        ExpectPeersDecode(wav);
    }
}

TEST(WaveInterchange, FilesWeWriteDecodeInThePeersAsInOurs) {
    testing::ScratchFolder scratch;
    std::vector<std::string> names = GoldenWavs("ours_");
    ASSERT_EQ(names.size(), 14u);
    for (const std::string& wav : names) {
        SCOPED_TRACE(wav);
        // The committed file is what our encoder writes today, so the peers' decodes of it
        // still speak about this code.
        const std::string base = wav.substr(0, wav.size() - 4);
        const std::string format = base.substr(5, base.rfind('_') - 5);
        const std::string input = kData + "/in_" + base.substr(base.rfind('_') + 1) + ".wav";
        LSoundSourceRef source = LWaveFile::OpenSource(input);
        const std::string path = scratch.File(wav);
        {
            LSoundSinkRef sink = LWaveFile::OpenSink(
                path, *testing::TestFormat(format, source->GetChannels(),
                                           static_cast<std::uint32_t>(source->GetSampleRate())));
            ASSERT_TRUE(testing::CopyAll(*source, *sink));
        }
        EXPECT_EQ(testing::FileBytes(path), testing::FileBytes(kData + "/" + wav))
            << "the encoder changed: run tests/data/wav/make_ours.sh";
        ExpectPeersDecode(wav);
    }
}

}  // namespace
}  // namespace sonvara
