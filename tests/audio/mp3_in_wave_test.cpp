// MPEG Layer III frames inside WAV files (format tag 0x55), read through the codec manager.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "audio/wav/wave_file.h"
#include "tests/audio/signals.h"
#include "tests/audio/wav_bytes.h"
#include "tests/codecs/mp3_test_util.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

// The format block a WAV writer gives MPEG Layer III: the common 16 bytes, then the 12 extra
// bytes (id 1, flags, block size, frames per block 1, codec delay).
std::vector<std::uint8_t> Mp3FormatBlock(int channels, std::uint32_t rate, int bitrate) {
    testing::WavBytes block;
    block.U16(WAVE_FORMAT_MPEGLAYER3)
        .U16(static_cast<std::uint32_t>(channels))
        .U32(rate)
        .U32(static_cast<std::uint32_t>(bitrate / 8))
        .U16(1)
        .U16(0)
        .U16(12)
        .U16(1)
        .U32(2)
        .U16(144 * static_cast<std::uint32_t>(bitrate) / rate)
        .U16(1)
        .U16(1393);
    return block.Get();
}

class Mp3InWaveTest : public ::testing::Test {
  protected:
    // A WAV file holding `data` as MPEG Layer III of the given layout.
    LSoundSourceRef Open(const std::vector<std::uint8_t>& data, int channels, std::uint32_t rate,
                         int bitrate = 128000) {
        testing::WavBytes()
            .WaveHeader()
            .Chunk("fmt ", Mp3FormatBlock(channels, rate, bitrate))
            .Chunk("data", data)
            .WriteTo(path_);
        return LWaveFile::OpenSource(path_);
    }

    // The largest difference from the peer's decode, in 16-bit steps. Our samples are rounded
    // to 16 bits; the decoders themselves differ by less than 2^-14 of full scale (two steps).
    static double WorstSteps(const std::vector<Sample>& ours, const std::vector<float>& peer) {
        EXPECT_EQ(ours.size(), peer.size());
        double worst = 0;
        for (std::size_t i = 0; i < std::min(ours.size(), peer.size()); ++i) {
            const double expected = std::clamp(peer[i] * 32768.0, -32768.0, 32767.0);
            worst = std::max(worst, std::abs(ours[i] / 16.0 - expected));
        }
        return worst;
    }

    testing::ScratchFolder scratch_;
    const std::string path_ = scratch_.File("mp3.wav");
};

TEST_F(Mp3InWaveTest, StreamsOfEveryVersionDecodeAsThePeerDoes) {
    for (const testing::Mp3Stream& stream : testing::Mp3Streams()) {
        SCOPED_TRACE(stream.name);
        LSoundSourceRef source = Open(testing::Mp3Bytes(stream.name), stream.channels,
                                      static_cast<std::uint32_t>(stream.sample_rate));
        ASSERT_FALSE(source->IsError());
        EXPECT_EQ(source->GetSampleRate(), stream.sample_rate);
        const std::vector<Sample> ours = testing::ReadToEnd(*source);
        EXPECT_LE(WorstSteps(ours, testing::Mp3Golden(stream.name)), 2.5);
        EXPECT_EQ(source->GetLength() * stream.channels, static_cast<std::int32_t>(ours.size()));
    }
}

TEST_F(Mp3InWaveTest, StreamsGiveTheSameSamplesAsTheReferenceDecode) {
    // The 16-bit samples must round and clamp exactly as the conversion checked against the peer.
    const auto decode = [this](const testing::Mp3Stream& stream,
                               const std::vector<std::uint8_t>& bytes) {
        LSoundSourceRef source =
            Open(bytes, stream.channels, static_cast<std::uint32_t>(stream.sample_rate));
        return testing::ReadToEnd(*source);
    };
    EXPECT_EQ(testing::HashOfStreamsAndDamagedCopies(decode), 0x6f19777037d3a8e5U);
}

TEST_F(Mp3InWaveTest, AFileWrittenByAnotherProgramOpens) {
    LSoundSourceRef source =
        LWaveFile::OpenSource(std::string(SONVARA_MP3_DATA_DIR) + "/cbr128_stereo_44k.wav");
    ASSERT_FALSE(source->IsError());
    EXPECT_EQ(source->GetChannels(), 2);
    EXPECT_EQ(source->GetSampleRate(), 44100);
    EXPECT_LE(WorstSteps(testing::ReadToEnd(*source), testing::Mp3Golden("cbr128_stereo_44k.mp3")),
              2.5);
}

TEST_F(Mp3InWaveTest, JunkForeignFramesAndACutLastFrameAreSkipped) {
    const std::vector<std::uint8_t> stream = testing::Mp3Bytes("cbr64_mono_32k.mp3");
    const std::vector<float> peer = testing::Mp3Golden("cbr64_mono_32k.mp3");
    std::size_t end = 0;
    const std::vector<testing::Mp3Frame> frames = testing::Mp3Frames(stream, &end);
    ASSERT_EQ(end, stream.size());

    // Junk in front (with a sync pattern of another rate in it), then every frame but the last,
    // then half of the last.
    std::vector<std::uint8_t> data = {0x00, 0x11, 0xFF, 0xFB, 0x94, 0x64, 0x42, 0x00};
    data.insert(data.end(), 3000, 0x55);
    const std::size_t last = frames.back().offset;
    data.insert(data.end(), stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(last));
    data.insert(data.end(), stream.begin() + static_cast<std::ptrdiff_t>(last),
                stream.begin() + static_cast<std::ptrdiff_t>(last + (end - last) / 2));
    LSoundSourceRef source = Open(data, 1, 32000, 64000);
    const std::vector<Sample> ours = testing::ReadToEnd(*source, 777);
    const std::vector<float> all_but_last(peer.begin(), peer.end() - 1152);
    EXPECT_LE(WorstSteps(ours, all_but_last), 2.5);
    EXPECT_EQ(source->GetLength(), static_cast<std::int32_t>(all_but_last.size()));

    // A stereo stream in a file that says mono has nothing of the file's layout.
    LSoundSourceRef mismatched = Open(testing::Mp3Bytes("cbr128_stereo_44k.mp3"), 1, 44100);
    ASSERT_FALSE(mismatched->IsError());
    EXPECT_TRUE(testing::ReadToEnd(*mismatched).empty());
    EXPECT_EQ(mismatched->GetLength(), 0);
}

TEST_F(Mp3InWaveTest, ASeekGivesTheSamplesOfAnUninterruptedDecode) {
    // Several copies of a stream one after another make a file long enough for decoding to
    // restart well after its start; the lowest bitrate reaches furthest back into the reservoir.
    for (const char* name : {"cbr16_mono_8k.mp3", "vbr_joint_44k.mp3"}) {
        SCOPED_TRACE(name);
        const testing::Mp3Stream& stream =
            *std::find_if(testing::Mp3Streams().begin(), testing::Mp3Streams().end(),
                          [&](const testing::Mp3Stream& s) { return std::string(s.name) == name; });
        const std::vector<std::uint8_t> once = testing::Mp3Bytes(name);
        std::vector<std::uint8_t> data;
        for (int copy = 0; copy < 6; ++copy) {
            data.insert(data.end(), once.begin(), once.end());
        }
        const auto rate = static_cast<std::uint32_t>(stream.sample_rate);
        LSoundSourceRef source = Open(data, stream.channels, rate);
        const std::vector<Sample> whole = testing::ReadToEnd(*source);
        const std::int32_t length = source->GetLength();
        ASSERT_EQ(static_cast<std::int32_t>(whole.size()), length * stream.channels);

        // Forwards into parts already decoded, backwards, near the end, and in a fresh source
        // straight to a part never decoded.
        constexpr std::int32_t kCount = 3000;
        std::vector<Sample> part(static_cast<std::size_t>(kCount * stream.channels));
        for (std::int32_t target : {length / 2, 1, length - kCount, 4 * length / 5, length / 3}) {
            source->Seek(target);
            source->Read(part.data(), kCount);
            const auto differ =
                std::mismatch(part.begin(), part.end(), whole.begin() + target * stream.channels);
            EXPECT_TRUE(differ.first == part.end())
                << "seek to " << target << " of " << length << ": differs from sample "
                << (differ.first - part.begin()) << " on";
        }
        LSoundSourceRef fresh = Open(data, stream.channels, rate);
        fresh->Seek(length * 2 / 3);
        fresh->Read(part.data(), kCount);
        EXPECT_TRUE(
            std::equal(part.begin(), part.end(), whole.begin() + length * 2 / 3 * stream.channels));
    }
}

}  // namespace
}  // namespace sonvara
