// GSM 6.10 inside WAV (format tag 49, two frames in 65 bytes): files from sox and FFmpeg read as
// they decode them, ours are the files they decoded, and the codec manager offers the format the
// chooser starts from.

#include <gtest/gtest.h>

#include <algorithm>

#include "audio/wav/wave_file.h"
#include "audio/wav/wave_file_format.h"
#include "platform/codec/codec_manager.h"
#include "platform/codec/gsm_codec.h"
#include "tests/codecs/gsm_test_util.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

std::vector<Sample> ReadWav(const std::string& path) {
    LSoundSourceRef source = LWaveFile::OpenSource(path);
    EXPECT_FALSE(source->IsError()) << path;
    EXPECT_EQ(source->GetSampleRate(), 8000);
    EXPECT_EQ(source->GetChannels(), 1);
    return testing::ReadFrames(*source, source->GetLength());
}

TEST(GsmWav, PeerFilesReadExactlyAsThePeerDecodesThem) {
    for (const auto& [file, decode] : std::vector<std::pair<std::string, std::string>>{
             {"speech_sox_gsm.wav", "speech_sox_gsm.sox.s16"},
             {"speech_ffmpeg_gsm.wav", "speech_ffmpeg_gsm.ffmpeg.s16"}}) {
        SCOPED_TRACE(file);
        std::vector<Sample> ours = ReadWav(testing::GsmData(file));
        // sox counts a pad byte into its data chunk (75 blocks and 1 byte); the WAV reader
        // takes that byte's share of a block as a few samples of silence.
        ASSERT_GE(ours.size(), 24000u);
        EXPECT_TRUE(std::all_of(ours.begin() + 24000, ours.end(), [](Sample s) { return s == 0; }));
        ours.resize(24000);
        EXPECT_EQ(ours, testing::ToInternal(testing::GsmS16(decode)));
    }
}

TEST(GsmWav, OurFilesAreTheOnesSoxAndFfmpegDecoded) {
    testing::ScratchFolder scratch;
    const std::string path = scratch.File("ours.wav");
    const std::vector<std::int16_t> speech = testing::GsmS16("speech.s16");
    {
        LSoundSinkRef sink =
            LWaveFile::OpenSink(path, LWaveFileFormat::FromArea(LWaveFileFormat::DefaultFormat()));
        ASSERT_FALSE(sink->IsError());
        const std::vector<Sample> samples = testing::ToInternal(speech);
        for (std::size_t at = 0; at < samples.size(); at += 1000) {
            sink->Write(samples.data() + at, 1000);
        }
        ASSERT_TRUE(sink->Finish());
    }
    // make.sh had sox and FFmpeg decode this very file.
    EXPECT_EQ(testing::FileBytes(path), testing::GsmBytes("speech_ours_gsm.wav"));
    const std::vector<std::int16_t> sox = testing::GsmS16("speech_ours_gsm.sox.s16");
    EXPECT_EQ(sox, testing::GsmS16("speech_ours_gsm.ffmpeg.s16"));
    EXPECT_EQ(ReadWav(path), testing::ToInternal(sox));
    // Its frames are the standard encoder's, as toast codes them.
    EXPECT_NEAR(testing::SnrDb(speech, sox),
                testing::SnrDb(speech, testing::GsmS16("speech_toast.untoast.s16")), 0.01);
}

TEST(GsmWav, TheChoosersDefaultFormatIsOfferedAndWritable) {
    const WaveFormat standard = LWaveFileFormat::FromArea(LWaveFileFormat::DefaultFormat());
    EXPECT_TRUE(LWaveFileFormat::TestSupportedRecord(standard));
    EXPECT_EQ(GsmWaveFormat(8000), standard);

    int offered = 0;
    for (const FormatChoice& choice : CodecManager::Instance().ListFormats(1)) {
        if (choice.format.format_tag == WAVE_FORMAT_GSM610) {
            ++offered;
            EXPECT_EQ(choice.name, "GSM 6.10");
            EXPECT_EQ(choice.format.block_align, 65);
            EXPECT_TRUE(LWaveFileFormat::TestSupportedRecord(choice.format));
        }
    }
    EXPECT_EQ(offered, 4);
    for (const FormatChoice& choice : CodecManager::Instance().ListFormats(2)) {
        EXPECT_NE(choice.format.format_tag, WAVE_FORMAT_GSM610);
    }
    // Forms no GSM 6.10 WAV has: stereo, another block size, another count in the extra bytes.
    WaveFormat stereo = standard;
    stereo.channels = 2;
    WaveFormat block = standard;
    block.block_align = 66;
    WaveFormat count = standard;
    count.extra = {0x41, 0x01};
    for (const WaveFormat& format : {stereo, block, count}) {
        EXPECT_FALSE(LWaveFileFormat::TestSupportedRecord(format));
    }
}

TEST(GsmWav, ACutLastBlockStillGivesItsWholeFirstFrame) {
    std::unique_ptr<CodecStream> stream;
    ASSERT_EQ(CodecManager::Instance().OpenStream(GsmWaveFormat(8000), WaveFormat::Pcm16(1, 8000),
                                                  0, &stream),
              CodecResult::kOk);
    const std::vector<std::uint8_t> file = testing::GsmBytes("speech_ffmpeg_gsm.wav");
    const std::vector<std::int16_t> whole = testing::GsmS16("speech_ffmpeg_gsm.ffmpeg.s16");
    const std::string id = "data";
    const std::size_t data =
        static_cast<std::size_t>(std::search(file.begin(), file.end(), id.begin(), id.end()) -
                                 file.begin()) +
        8;
    ASSERT_LT(data + 2 * 65, file.size());
    for (std::size_t bytes : {65 + 32, 65 + 33, 65 + 64}) {
        stream->Reset();
        std::vector<std::uint8_t> out(4 * 320);
        StreamHeader header{file.data() + data, bytes, 0, out.data(), out.size(), 0};
        ASSERT_TRUE(stream->Convert(header, kConvertBlockAlign | kConvertStart | kConvertEnd));
        const std::size_t samples = bytes >= 65 + 33 ? 480 : 320;
        ASSERT_EQ(header.destination_used, 2 * samples) << bytes;
        const std::vector<std::int16_t> decoded = testing::ToSamples(std::vector<std::uint8_t>(
            out.begin(), out.begin() + static_cast<std::ptrdiff_t>(2 * samples)));
        EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), whole.begin())) << bytes;
    }
}

}  // namespace
}  // namespace sonvara
