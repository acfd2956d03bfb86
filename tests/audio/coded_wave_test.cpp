#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/wav/coded_file_sink.h"
#include "audio/wav/wave_file.h"
#include "core/byte_order.h"
#include "tests/audio/signals.h"
#include "tests/audio/wav_bytes.h"
#include "tests/audio/wav_test_formats.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

WaveFormat Coded(std::uint16_t tag, int channels, std::uint32_t rate) {
    std::optional<WaveFormat> format = testing::OfferedFormat(tag, channels, rate);
    EXPECT_TRUE(format) << "no format with tag " << tag;
    return format.value_or(WaveFormat{});
}

// Speech-like test material: two sines and a little deterministic noise, different per channel.
std::vector<Sample> Material(int frames, int channels) {
    std::vector<Sample> samples;
    std::uint32_t noise = 12345;
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1103515245u + 12345u;
            double value = 9000 * std::sin(f * 0.031 * (c + 1)) + 4000 * std::sin(f * 0.27) +
                           static_cast<double>((noise >> 16) % 801) - 400.0;
            samples.push_back(static_cast<Sample>(value) * 16);
        }
    }
    return samples;
}

class CodedWaveTest : public ::testing::Test {
  protected:
    // Writes `samples` in `format` in blocks of `block` frames and opens the result.
    LSoundSourceRef WriteAndOpen(const WaveFormat& format, const std::vector<Sample>& samples,
                                 int block = kBlockFrames) {
        const int channels = format.channels;
        const int frames = static_cast<int>(samples.size()) / channels;
        {
            LSoundSinkRef sink = LWaveFile::OpenSink(path_, format);
            EXPECT_FALSE(sink->IsError());
            for (int done = 0; done < frames; done += block) {
                sink->Write(samples.data() + done * channels, std::min(block, frames - done));
            }
            EXPECT_TRUE(sink->Finish());
        }
        return LWaveFile::OpenSource(path_);
    }

    testing::ScratchFolder scratch_;
    const std::string path_ = scratch_.File("coded.wav");
};

TEST_F(CodedWaveTest, LosslessFormatsGiveBackThe16BitSteps) {
    std::vector<Sample> samples = Material(10000, 2);
    struct Case {
        std::uint16_t tag;
        int bits;
    };
    for (Case c :
         {Case{WAVE_FORMAT_PCM, 24}, Case{WAVE_FORMAT_PCM, 32}, Case{WAVE_FORMAT_IEEE_FLOAT, 32}}) {
        SCOPED_TRACE(::testing::Message() << "tag " << c.tag << ", " << c.bits << " bits");
        WaveFormat format = WaveFormat::Pcm16(2, 44100);
        format.format_tag = c.tag;
        format.bits_per_sample = static_cast<std::uint16_t>(c.bits);
        format.block_align = static_cast<std::uint16_t>(2 * c.bits / 8);
        format.avg_bytes_per_sec = 44100u * format.block_align;
        LSoundSourceRef source = WriteAndOpen(format, samples, 1000);
        ASSERT_FALSE(source->IsError());
        EXPECT_EQ(testing::ReadAll(*source, 10000), samples);
        EXPECT_EQ(source->GetLength(), 10000);
    }
}

TEST_F(CodedWaveTest, CodedHeaderHoldsTheFormatAndFinalSizes) {
    WaveFormat format = Coded(WAVE_FORMAT_IMA_ADPCM, 1, 8000);
    ASSERT_EQ(format.block_align, 256);
    std::vector<Sample> samples = Material(1010, 1);  // exactly two blocks of 505 frames
    WriteAndOpen(format, samples);
    std::vector<std::uint8_t> file = testing::FileBytes(path_);
    ASSERT_EQ(file.size(), 20u + 20 + 8 + 512);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(LoadLE32(&file[4]), 2u + 512 + 38);
    EXPECT_EQ(LoadLE32(&file[16]), 20u);
    EXPECT_EQ(WaveFormat::Parse({&file[20], 20}), format);
    EXPECT_EQ(std::string(file.begin() + 40, file.begin() + 44), "data");
    EXPECT_EQ(LoadLE32(&file[44]), 512u);
}

TEST_F(CodedWaveTest, UnfinishedLastBlockIsPaddedNotLost) {
    for (std::uint16_t tag : {WAVE_FORMAT_IMA_ADPCM, WAVE_FORMAT_ADPCM}) {
        SCOPED_TRACE(tag);
        WaveFormat format = Coded(tag, 2, 22050);
        std::vector<Sample> samples = Material(3000, 2);
        LSoundSourceRef source = WriteAndOpen(format, samples, 777);
        // Whole blocks only: the last one is filled up with silence.
        const int block_frames = tag == WAVE_FORMAT_IMA_ADPCM ? 1017 : 1012;
        const int blocks = (3000 + block_frames - 1) / block_frames;
        EXPECT_EQ(testing::FileBytes(path_).size(),
                  46u + format.extra.size() + static_cast<std::size_t>(blocks) * 1024);
        std::vector<Sample> decoded = testing::ReadAll(*source, blocks * block_frames);
        EXPECT_EQ(source->GetLength(), blocks * block_frames);
        // The coded copy follows the input closely (4-bit ADPCM: better than 20 dB here).
        double error = 0;
        double signal = 0;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            double d = static_cast<double>(decoded[i] - samples[i]);
            error += d * d;
            signal += static_cast<double>(samples[i]) * samples[i];
        }
        EXPECT_GT(10 * std::log10(signal / error), 20.0);
    }
}

TEST_F(CodedWaveTest, SeekLandsOnTheSameSamplesAsReadingThrough) {
    for (std::uint16_t tag : {WAVE_FORMAT_IMA_ADPCM, WAVE_FORMAT_ADPCM, WAVE_FORMAT_MULAW}) {
        SCOPED_TRACE(tag);
        const int frames = 60000;
        LSoundSourceRef source = WriteAndOpen(Coded(tag, 2, 8000), Material(frames, 2));
        // The last block is padded, so the source may be a little longer than what was written.
        std::vector<Sample> whole = testing::ReadAll(*source, frames + 2000);
        const int length = source->GetLength();
        ASSERT_GE(length, frames);
        for (int target : {0, 1, 504, 505, 506, 12345, 59990, -7}) {
            SCOPED_TRACE(target);
            source->Seek(target);
            EXPECT_EQ(source->GetPosition(), target);
            std::vector<Sample> part = testing::ReadAll(*source, 20);
            for (int i = 0; i < 20; ++i) {
                const int frame = target + i;
                for (int c = 0; c < 2; ++c) {
                    Sample expected = frame >= 0 && frame < length
                                          ? whole[static_cast<std::size_t>(frame * 2 + c)]
                                          : 0;
                    ASSERT_EQ(part[static_cast<std::size_t>(i * 2 + c)], expected) << i;
                }
            }
        }
        // Reads that start before the data give silence up to frame 0.
        source->Seek(-50);
        EXPECT_EQ(testing::ReadAll(*source, 20), std::vector<Sample>(40, 0));
        EXPECT_EQ(source->GetPosition(), -30);
        std::vector<Sample> start = testing::ReadAll(*source, 40);
        EXPECT_EQ(std::vector<Sample>(start.begin(), start.begin() + 60),
                  std::vector<Sample>(60, 0));
        EXPECT_EQ(std::vector<Sample>(start.begin() + 60, start.end()),
                  std::vector<Sample>(whole.begin(), whole.begin() + 20));

        // Past the data the source reads silence and knows its exact end.
        source->Seek(frames + 100000);
        EXPECT_EQ(testing::ReadAll(*source, 4), std::vector<Sample>(8, 0));
        EXPECT_EQ(source->GetLength(), length);
    }
}

TEST_F(CodedWaveTest, LengthIsEstimatedUntilTheEndIsFound) {
    const int frames = 50000;
    LSoundSourceRef source =
        WriteAndOpen(Coded(WAVE_FORMAT_IMA_ADPCM, 1, 8000), Material(frames, 1));
    const int blocks = (frames + 504) / 505;
    const int exact = blocks * 505;
    // 4055 bytes a second for 256-byte blocks of 505 frames: a little short of the truth.
    EXPECT_NEAR(source->GetLength(), exact, exact / 500);
    std::vector<Sample> samples(8192);
    while (source->GetPosition() < source->GetLength()) {
        source->Read(samples.data(), 8192);
    }
    EXPECT_EQ(source->GetLength(), exact);

    // A header that claims far more bytes a second than the data has must not make the
    // estimate end a reader early.
    std::vector<std::uint8_t> file = testing::FileBytes(path_);
    StoreLE32(&file[28], 0x7FFFFFFF);
    testing::WavBytes().Bytes(file).WriteTo(path_);
    source = LWaveFile::OpenSource(path_);
    std::int32_t read = 0;
    while (source->GetPosition() < source->GetLength()) {
        source->Read(samples.data(), 1000);
        read += 1000;
    }
    EXPECT_EQ(source->GetLength(), exact);
    EXPECT_GE(read, exact);
}

TEST_F(CodedWaveTest, DamagedOrTruncatedDataEndsTheSource) {
    WaveFormat format = Coded(WAVE_FORMAT_ADPCM, 1, 8000);
    std::vector<Sample> samples = Material(5000, 1);
    WriteAndOpen(format, samples);
    std::vector<std::uint8_t> file = testing::FileBytes(path_);
    const std::size_t data_start = 20 + 18 + format.extra.size() + 8;
    const int block_frames = 500;  // (256 - 7) * 2 + 2

    // A predictor index beyond the coefficient table in the third block: decoding stops there.
    std::vector<std::uint8_t> damaged = file;
    damaged[data_start + 2 * 256] = 40;
    testing::WavBytes().Bytes(damaged).WriteTo(path_);
    LSoundSourceRef source = LWaveFile::OpenSource(path_);
    std::vector<Sample> decoded = testing::ReadAll(*source, 5000);
    EXPECT_EQ(source->GetLength(), 2 * block_frames);
    EXPECT_EQ(decoded[2 * block_frames], 0);

    // A file cut in the middle of a block: the part of the block that is there still decodes.
    std::vector<std::uint8_t> cut(
        file.begin(), file.begin() + static_cast<std::ptrdiff_t>(data_start + 256 + 7 + 50));
    testing::WavBytes().Bytes(cut).WriteTo(path_);
    source = LWaveFile::OpenSource(path_);
    testing::ReadAll(*source, 5000);
    EXPECT_EQ(source->GetLength(), block_frames + 2 + 100);
}

TEST_F(CodedWaveTest, FormatsNoCodecWritesLeaveTheSinkInError) {
    constexpr std::uint16_t kTrueSpeech = 0x0022;  // a tag no codec here handles
    WaveFormat coded;
    coded.format_tag = kTrueSpeech;
    coded.channels = 1;
    coded.samples_per_sec = 8000;
    coded.block_align = 65;
    {
        LSoundSinkRef sink = LWaveFile::OpenSink(path_, coded);
        EXPECT_TRUE(sink->IsError());
        std::vector<Sample> samples(100, 0);
        sink->Write(samples.data(), 100);
        EXPECT_EQ(sink->GetFramesWritten(), 100);
        EXPECT_FALSE(sink->Finish());
    }
    testing::WavBytes bytes;
    bytes.WaveHeader()
        .Chunk("fmt ", testing::FormatBlock(kTrueSpeech, 1, 8000, 0))
        .Chunk("data", std::vector<std::uint8_t>(65, 0));
    bytes.WriteTo(path_);
    LSoundSourceRef source = LWaveFile::OpenSource(path_);
    EXPECT_TRUE(source->IsError());
    EXPECT_EQ(source->GetLength(), 0);
}

}  // namespace
}  // namespace sonvara
