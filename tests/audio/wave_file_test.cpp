#include "audio/wav/wave_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/wav/pcm_file_sink.h"
#include "core/byte_order.h"
#include "tests/audio/signals.h"
#include "tests/audio/wav_bytes.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using testing::FormatBlock;
using testing::Staircase16;
using testing::WavBytes;

class WaveFileTest : public ::testing::Test {
  protected:
    LSoundSourceRef Open(const WavBytes& bytes) {
        const std::string path = scratch_.File("test.wav");
        bytes.WriteTo(path);
        return LWaveFile::OpenSource(path);
    }

    // A plain 16-bit file of `frames` staircase frames.
    static WavBytes Plain16(int frames, int channels = 1, std::size_t format_size = 16) {
        WavBytes bytes;
        bytes.WaveHeader()
            .Chunk("fmt ", FormatBlock(1, channels, 8000, 16, format_size))
            .Chunk("data", Staircase16(frames, channels));
        return bytes;
    }

    testing::ScratchFolder scratch_;
};

TEST_F(WaveFileTest, ChunkWalkSkipsWhatIsNotFormatOrData) {
    struct Case {
        const char* name;
        WavBytes bytes;
    };
    std::vector<Case> cases;
    {
        WavBytes b;  // a foreign top-level chunk of size 10 before the RIFF form
        b.Chunk("JUNK", {'a', 'b', 'c', 'd', 7, 7, 7, 7, 7, 7});
        b.Bytes(Plain16(5).Get());
        cases.push_back({"leading chunk", b});
    }
    {
        WavBytes b;  // an odd LIST chunk (with its pad byte) between "fmt " and "data"
        b.WaveHeader()
            .Chunk("fmt ", FormatBlock(1, 1, 8000, 16))
            .Chunk("LIST", std::vector<std::uint8_t>(7, 'x'))
            .Chunk("data", Staircase16(5, 1));
        cases.push_back({"odd LIST", b});
    }
    {
        WavBytes b;  // a "data" chunk before "fmt " is not the data
        b.WaveHeader()
            .Chunk("data", std::vector<std::uint8_t>(6, 0xEE))
            .Chunk("fmt ", FormatBlock(1, 1, 8000, 16))
            .Chunk("data", Staircase16(5, 1));
        cases.push_back({"data before fmt", b});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LSoundSourceRef source = Open(c.bytes);
        ASSERT_FALSE(source->IsError());
        EXPECT_EQ(source->GetLength(), 5);
        std::vector<Sample> samples = testing::ReadAll(*source, 5);
        EXPECT_EQ(samples, (std::vector<Sample>{0, 16, 32, 48, 64}));
    }
}

TEST_F(WaveFileTest, FormatChunkSizesFrom14To8192Open) {
    for (std::size_t size : {14u, 16u, 18u, 20u, 8192u}) {
        SCOPED_TRACE(size);
        EXPECT_FALSE(Open(Plain16(3, 1, size))->IsError());
    }
    for (std::size_t size : {13u, 8193u}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(Open(Plain16(3, 1, size))->IsError());
    }
}

TEST_F(WaveFileTest, MalformedFilesGiveTheEmptySource) {
    std::vector<std::pair<const char*, WavBytes>> cases;
    cases.push_back({"empty", WavBytes()});
    cases.push_back({"header only", WavBytes().WaveHeader()});
    cases.push_back({"foreign chunk below 5 bytes", WavBytes().Id("JUNK").U32(3).Id("WAVE")});
    cases.push_back(
        {"no data chunk", WavBytes().WaveHeader().Chunk("fmt ", FormatBlock(1, 1, 8000, 16))});
    cases.push_back({"negative chunk size", WavBytes().WaveHeader().Id("LIST").U32(0x80000000)});
    cases.push_back({"format cut short", WavBytes().WaveHeader().Id("fmt ").U32(16).U32(0)});
    for (auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        LSoundSourceRef source = Open(bytes);
        EXPECT_TRUE(source->IsError());
        EXPECT_EQ(source->GetLength(), 0);
    }
    EXPECT_TRUE(LWaveFile::OpenSource(scratch_.File("missing.wav"))->IsError());
}

TEST_F(WaveFileTest, ChannelsAndRateMustBeInRange) {
    struct Case {
        int channels;
        std::uint32_t rate;
        bool opens;
    };
    for (Case c : {Case{1, 196000, true}, Case{1, 196001, false}, Case{0, 8000, false},
                   Case{255, 8000, true}, Case{256, 8000, false}, Case{1, 0, false}}) {
        SCOPED_TRACE(::testing::Message() << c.channels << " channels at " << c.rate);
        WavBytes bytes;
        bytes.WaveHeader()
            .Chunk("fmt ", FormatBlock(1, c.channels, c.rate, 16))
            .Chunk("data", std::vector<std::uint8_t>(1024, 0));
        EXPECT_EQ(!Open(bytes)->IsError(), c.opens);
    }
}

TEST_F(WaveFileTest, DataSizeIsLimitedToWhatTheFileHolds) {
    for (std::uint32_t claimed : {0xFFFFFFFFu, 0x7FFFFFF0u, 1000u}) {
        SCOPED_TRACE(claimed);
        WavBytes bytes;
        bytes.WaveHeader()
            .Chunk("fmt ", FormatBlock(1, 2, 8000, 16))
            .Id("data")
            .U32(claimed)
            .Bytes(Staircase16(10, 2))
            .Bytes({1, 2});  // 2 stray bytes
        LSoundSourceRef source = Open(bytes);
        ASSERT_FALSE(source->IsError());
        EXPECT_EQ(source->GetLength(), 10);  // 42 bytes after the data start, 4 a frame
    }
}

TEST_F(WaveFileTest, SampleWidthsChooseTheReader) {
    // 12-bit samples sit in 16-bit containers and read as 16-bit.
    WavBytes twelve;
    twelve.WaveHeader().Chunk("fmt ", FormatBlock(1, 1, 8000, 12)).Chunk("data", Staircase16(4, 1));
    std::vector<Sample> samples = testing::ReadAll(*Open(twelve), 4);
    EXPECT_EQ(samples, (std::vector<Sample>{0, 16, 32, 48}));

    // 8-bit samples are unsigned.
    WavBytes eight;
    eight.WaveHeader().Chunk("fmt ", FormatBlock(1, 1, 8000, 8)).Chunk("data", {0, 128, 255});
    EXPECT_EQ(testing::ReadAll(*Open(eight), 3), (std::vector<Sample>{-128 * 4096, 0, 127 * 4096}));

    // 24-bit samples go through the codec manager and are rounded to 16 bits.
    WavBytes wide;
    wide.WaveHeader()
        .Chunk("fmt ", FormatBlock(1, 1, 8000, 24))
        .Chunk("data", {0x80, 0x34, 0x12, 0x7F, 0x34, 0x12, 0x00, 0x00, 0x80});
    EXPECT_EQ(testing::ReadAll(*Open(wide), 3),
              (std::vector<Sample>{0x1235 * 16, 0x1234 * 16, -32768 * 16}));
}

TEST_F(WaveFileTest, ReadsBeforeAndPastTheDataAreSilence) {
    LSoundSourceRef source = Open(Plain16(10, 2));
    source->Seek(-2);
    std::vector<Sample> start = testing::ReadAll(*source, 4);
    EXPECT_EQ(start, (std::vector<Sample>{0, 0, 0, 0, 0, 16000, 16, 16016}));
    EXPECT_EQ(source->GetPosition(), 2);

    source->Seek(8);
    std::vector<Sample> end = testing::ReadAll(*source, 5);
    EXPECT_EQ(end, (std::vector<Sample>{128, 16128, 144, 16144, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(source->GetPosition(), 13);
    EXPECT_EQ(testing::ReadAll(*source, 3), std::vector<Sample>(6, 0));
    EXPECT_EQ(source->GetPosition(), 16);
}

TEST_F(WaveFileTest, LongReadsCrossTheBufferInPieces) {
    const int frames = 20000;
    LSoundSourceRef source = Open(Plain16(frames, 1));
    std::vector<Sample> samples = testing::ReadAll(*source, frames + 5);
    for (int f = 0; f < frames; ++f) {
        ASSERT_EQ(samples[static_cast<std::size_t>(f)], static_cast<std::int16_t>(f) * 16) << f;
    }
    EXPECT_EQ(samples.back(), 0);
}

TEST_F(WaveFileTest, WrittenFilesReadBackTheSameSteps) {
    for (int bits : {8, 16}) {
        for (int channels : {1, 2}) {
            SCOPED_TRACE(::testing::Message() << bits << " bits, " << channels << " channels");
            const std::string path = scratch_.File("out.wav");
            const int frames = 9000;  // more than one writer buffer
            const Sample step = bits == 8 ? 4096 : 16;
            std::vector<Sample> written;
            for (int i = 0; i < frames * channels; ++i) {
                written.push_back(((i * 37) % 200 - 100) * step);
            }
            {
                LSoundSinkRef sink = LWaveFile::OpenSinkPCM(path, 22050, 0, bits, channels);
                ASSERT_TRUE(sink);
                sink->Write(written.data(), 8192);
                sink->Write(written.data() + 8192 * channels, frames - 8192);
                ASSERT_TRUE(sink->Finish());
            }
            std::vector<std::uint8_t> file = testing::FileBytes(path);
            const std::uint32_t data_bytes =
                static_cast<std::uint32_t>(frames * channels * bits / 8);
            ASSERT_EQ(file.size(), 46 + data_bytes);
            EXPECT_EQ(LoadLE32(&file[4]), data_bytes + 38);
            EXPECT_EQ(LoadLE32(&file[42]), data_bytes);
            EXPECT_EQ(LoadLE16(&file[34]), bits);

            LSoundSourceRef source = LWaveFile::OpenSource(path);
            EXPECT_EQ(source->GetSampleRate(), 22050);
            EXPECT_EQ(source->GetLength(), frames);
            EXPECT_EQ(testing::ReadAll(*source, frames), written);
        }
    }
}

TEST_F(WaveFileTest, SizesAreProvisionalWhileWriting) {
    const std::string path = scratch_.File("recording.wav");
    LSoundSinkRef sink = LWaveFile::OpenSinkPCM(path, 8000, 0, 16, 1);
    std::vector<Sample> samples(100, 160);
    sink->Write(samples.data(), 100);
    std::vector<std::uint8_t> file = testing::FileBytes(path);
    EXPECT_EQ(LoadLE32(&file[4]), 0xFFFFFFFFu);
    EXPECT_EQ(LoadLE32(&file[42]), 0xFFFFFFFFu);
    // An interrupted recording still opens, with the data up to the end of the file.
    EXPECT_EQ(LWaveFile::OpenSource(path)->GetLength(), 100);
}

TEST_F(WaveFileTest, TruncateCutsTheFileAndLaterWritesFollow) {
    const std::string path = scratch_.File("cut.wav");
    std::vector<Sample> ones(2000, 16);
    std::vector<Sample> twos(2000, 32);
    {
        // The rules of Truncate itself are the raw writer's (RawFileTest): here, that the cut
        // falls after the WAV header and the final header counts what is left.
        LSoundSinkRef sink = LWaveFile::OpenSinkPCM(path, 8000, 0, 16, 2);
        sink->Write(ones.data(), 1000);
        sink->Truncate(100);
        EXPECT_EQ(testing::FileBytes(path).size(), 46u + 100 * 4);
        sink->Truncate(0);
        sink->Write(ones.data(), 3);
        sink->Write(twos.data(), 2);
        ASSERT_TRUE(sink->Finish());
    }
    LSoundSourceRef source = LWaveFile::OpenSource(path);
    EXPECT_EQ(source->GetLength(), 5);
    EXPECT_EQ(testing::ReadAll(*source, 5),
              (std::vector<Sample>{16, 16, 16, 16, 16, 16, 32, 32, 32, 32}));
}

TEST_F(WaveFileTest, KeepFramesContinuesAnExistingFile) {
    const std::string path = scratch_.File("take.wav");
    std::vector<Sample> first(300);
    for (int i = 0; i < 300; ++i) {
        first[static_cast<std::size_t>(i)] = i * 16;
    }
    {
        LSoundSinkRef sink = LWaveFile::OpenSinkPCM(path, 8000, 0, 16, 1);
        sink->Write(first.data(), 300);
        ASSERT_TRUE(sink->Finish());
    }

    std::vector<Sample> more(50, -160);
    {
        LSoundSinkRef sink = LWaveFile::OpenSinkPCM(path, 8000, 200, 16, 1);
        EXPECT_EQ(sink->GetFramesWritten(), 200);
        sink->Write(more.data(), 50);
        ASSERT_TRUE(sink->Finish());
    }
    std::vector<Sample> expected(first.begin(), first.begin() + 200);
    expected.insert(expected.end(), more.begin(), more.end());
    LSoundSourceRef source = LWaveFile::OpenSource(path);
    ASSERT_EQ(source->GetLength(), 250);
    EXPECT_EQ(testing::ReadAll(*source, 250), expected);

    // Keeping more frames than the file holds pads it with silence, so that the count of
    // frames written and the file agree.
    {
        LSoundSinkRef sink = LWaveFile::OpenSinkPCM(path, 8000, 400, 16, 1);
        sink->Write(more.data(), 10);
        ASSERT_TRUE(sink->Finish());
    }
    source = LWaveFile::OpenSource(path);
    ASSERT_EQ(source->GetLength(), 410);
    std::vector<Sample> all = testing::ReadAll(*source, 410);
    EXPECT_EQ(all[249], -160);
    EXPECT_EQ(all[250], 0);
    EXPECT_EQ(all[399], 0);
    EXPECT_EQ(all[400], -160);
}

TEST_F(WaveFileTest, SinkWidthsAndLoudPeaks) {
    const std::string path = scratch_.File("w.wav");
    EXPECT_FALSE(LWaveFile::OpenSinkPCM(path, 8000, 0, 24, 1));
    EXPECT_FALSE(LWaveFile::OpenSinkPCM(path, 8000, 0, 0, 1));
    EXPECT_TRUE(LWaveFile::OpenSinkPCM(path, 8000, 0, 1, 1));

    // A peak at full scale rounds up past the top 8-bit step; it must stay at the top instead
    // of wrapping round to the most negative value.
    std::vector<Sample> peaks = {FULL_SCALE, -FULL_SCALE, 0};
    {
        LSoundSinkRef sink = LWaveFile::OpenSinkPCM(path, 8000, 0, 8, 1);
        sink->Write(peaks.data(), 3);
        ASSERT_TRUE(sink->Finish());
    }
    std::vector<std::uint8_t> file = testing::FileBytes(path);
    ASSERT_EQ(file.size(), 49u);
    EXPECT_EQ(file[46], 255);
    EXPECT_EQ(file[47], 0);
    EXPECT_EQ(file[48], 128);

    EXPECT_TRUE(
        LWaveFile::OpenSinkPCM(scratch_.File("no/such/folder.wav"), 8000, 0, 16, 1)->IsError());
}

}  // namespace
}  // namespace sonvara
