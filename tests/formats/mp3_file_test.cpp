// ".mp3" files through LMP3Source: what the stream reader adds around the frame decoder (finding
// the first frame, the trailing tag, the length estimate, seeking, the end of a stream).

#include "formats/mp3_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "tests/audio/signals.h"
#include "tests/codecs/mp3_test_util.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

class Mp3FileTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = scratch_.File(name);
        EXPECT_TRUE(testing::WriteFileBytes(path, bytes));
        return path;
    }

    testing::ScratchFolder scratch_;
};

TEST_F(Mp3FileTest, FilesDecodeAsThePeerDoesExceptTheLastTagSizedBytes) {
    for (const char* name : {"cbr128_stereo_44k.mp3", "vbr_joint_44k.mp3", "cbr16_mono_8k.mp3",
                             "cbr48_joint_22k.mp3"}) {
        SCOPED_TRACE(name);
        std::vector<std::uint8_t> bytes = testing::Mp3Bytes(name);
        // 128 bytes after the stream stand where a tag would: the whole stream is then audio.
        bytes.insert(bytes.end(), 128, 'T');
        LMP3Source source(Write("tagged.mp3", bytes));
        ASSERT_FALSE(source.IsError());
        const std::vector<Sample> ours = testing::ReadToEnd(source);
        const std::vector<float> peer = testing::Mp3Golden(name);
        ASSERT_EQ(ours.size(), peer.size());
        double worst = 0;
        for (std::size_t i = 0; i < ours.size(); ++i) {
            worst = std::max(worst, std::abs(ours[i] / 524288.0 - peer[i]));
        }
        EXPECT_LT(worst, std::ldexp(1.0, -14));  // the full-accuracy bound, plus rounding
    }
}

TEST_F(Mp3FileTest, FilesGiveTheSameSamplesAsTheReferenceDecode) {
    // The internal samples must round and reach the source's bound exactly as the conversion
    // checked against the peer.
    const auto decode = [this](const testing::Mp3Stream&, const std::vector<std::uint8_t>& bytes) {
        LMP3Source source(Write("hashed.mp3", bytes));
        return testing::ReadToEnd(source);
    };
    EXPECT_EQ(testing::HashOfStreamsAndDamagedCopies(decode), 0x1ad1a1079356d816U);
}

TEST_F(Mp3FileTest, JunkInFrontIsSkippedWithinTheSearchLimit) {
    const std::vector<std::uint8_t> stream = testing::Mp3Bytes("cbr64_mono_32k.mp3");
    LMP3Source plain(Write("plain.mp3", stream));
    const std::vector<Sample> expected = testing::ReadToEnd(plain);
    ASSERT_FALSE(expected.empty());
    for (std::size_t junk : {std::size_t{1}, std::size_t{10000}, std::size_t{16000}}) {
        std::vector<std::uint8_t> bytes(junk, 0);
        bytes.insert(bytes.end(), stream.begin(), stream.end());
        LMP3Source source(Write("junk.mp3", bytes));
        ASSERT_FALSE(source.IsError()) << junk;
        EXPECT_EQ(testing::ReadToEnd(source), expected) << junk;
    }
    std::vector<std::uint8_t> too_far(20000, 0);
    too_far.insert(too_far.end(), stream.begin(), stream.end());
    EXPECT_TRUE(LMP3Source(Write("far.mp3", too_far)).IsError());
    EXPECT_TRUE(LMP3Source(scratch_.File("missing.mp3")).IsError());
    // An ID3v1 tag alone holds no audio at all.
    std::vector<std::uint8_t> tag = {'T', 'A', 'G'};
    tag.resize(128, 0xFF);
    EXPECT_TRUE(LMP3Source(Write("tag.mp3", tag)).IsError());
}

TEST_F(Mp3FileTest, AnId3v1TagIsNotDecodedAndWithoutOneTheLastFrameIs) {
    // The stream's final frame ends inside the last 128 bytes: decoded when they are audio, and
    // the tag after it (its 0xFF bytes could pass for a header) is not.
    const std::string name = "cbr128_stereo_44k.mp3";
    const std::size_t peer = testing::Mp3Golden(name).size();
    std::vector<std::uint8_t> bytes = testing::Mp3Bytes(name);
    LMP3Source bare(Write("bare.mp3", bytes));
    EXPECT_EQ(testing::ReadToEnd(bare).size(), peer);
    bytes.insert(bytes.end(), {'T', 'A', 'G'});
    bytes.resize(bytes.size() + 125, 0xFF);
    LMP3Source tagged(Write("tagged.mp3", bytes));
    EXPECT_EQ(testing::ReadToEnd(tagged).size(), peer);
}

TEST_F(Mp3FileTest, ASeekGivesWhatReadingThroughGives) {
    for (const char* name : {"cbr128_stereo_44k.mp3", "cbr64_mono_32k.mp3"}) {
        SCOPED_TRACE(name);
        std::vector<std::uint8_t> bytes = testing::Mp3Bytes(name);
        bytes.insert(bytes.end(), 128, 0);
        const std::string path = Write("seek.mp3", bytes);
        LMP3Source through(path);
        const std::vector<Sample> all = testing::ReadToEnd(through);
        const int channels = through.GetChannels();
        // Frame 5 is found from frame 1, whose estimated start (417.96 bytes in) lies past its real
        // start (417): the search has to begin before the estimate.
        for (std::int32_t target : {0, 1152 * 3 + 17, 1152 * 5 + 10, 1152 * 20 + 500}) {
            LMP3Source seeking(path);
            seeking.Seek(target);
            std::vector<Sample> part(static_cast<std::size_t>(3000 * channels));
            seeking.Read(part.data(), 3000);
            EXPECT_EQ(seeking.GetPosition(), target + 3000);
            const auto from = all.begin() + static_cast<std::ptrdiff_t>(target) * channels;
            EXPECT_TRUE(std::equal(part.begin(), part.end(), from)) << target;
        }
    }
}

TEST_F(Mp3FileTest, TheStreamEndsWhereItsFormatChanges) {
    // 44.1 kHz stereo, then 32 kHz mono: the second stream's headers are skipped, ten of them,
    // and the eleventh ends the sound after the first stream.
    std::vector<std::uint8_t> first = testing::Mp3Bytes("cbr128_stereo_44k.mp3");
    const std::vector<std::uint8_t> second = testing::Mp3Bytes("cbr64_mono_32k.mp3");
    LMP3Source alone(Write("first.mp3", [&] {
        std::vector<std::uint8_t> padded = first;
        padded.insert(padded.end(), 128, 0);
        return padded;
    }()));
    const std::vector<Sample> expected = testing::ReadToEnd(alone);
    first.insert(first.end(), second.begin(), second.end());
    LMP3Source joined(Write("joined.mp3", first));
    ASSERT_FALSE(joined.IsError());
    EXPECT_EQ(testing::ReadToEnd(joined), expected);
    EXPECT_EQ(joined.GetLength(), static_cast<std::int32_t>(expected.size() / 2));
}

// A file LAME wrote reads as mpg123 plays it: without the tag's frame, the encoder's and the
// decoder's delay and the padding, so that it lines up with the encoder's input frame for frame
// (and an ID3v2 tag larger than the header search is stepped over).
TEST_F(Mp3FileTest, AnEncodersDelayAndPaddingAreLeftOutAsPlayersLeaveThemOut) {
    const std::string folder = scratch_.Path();
    const std::string make =
        "cd '" + folder +
        "' && sox -n -r 44100 -c 2 -b 16 in.wav synth 1.3 sine 200-7000 "
        "sine 300-5000 vol 0.5 && { printf '\\211PNG\\r\\n\\032\\n'; head -c 40000 /dev/zero; } "
        "> art.png && lame --quiet -b 128 --ti art.png in.wav in.mp3 && "
        "mpg123 -q -s in.mp3 > in.s16";
    ASSERT_EQ(std::system(make.c_str()), 0);
    const std::vector<std::uint8_t> bytes = testing::FileBytes(folder + "/in.s16");
    std::vector<double> peer;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        peer.push_back(static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8)) * 16.0);
    }
    ASSERT_EQ(peer.size(), 2u * 57330);  // 1.3 s at 44100 Hz: the encoder's input
    LSoundSourceRef source = OpenMp3Source(folder + "/in.mp3");
    ASSERT_FALSE(source->IsError());
    EXPECT_EQ(source->GetLength(), 57330);
    const std::vector<Sample> ours = testing::ReadToEnd(*source);
    ASSERT_EQ(ours.size(), peer.size());
    double signal = 0;
    double noise = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        signal += peer[i] * peer[i];
        noise += (peer[i] - ours[i]) * (peer[i] - ours[i]);
    }
    EXPECT_GT(10 * std::log10(signal / noise), 60);  // one sample off gives about 20
}

TEST_F(Mp3FileTest, AVariableBitrateLengthSettlesAsTheFileIsRead) {
    std::vector<std::uint8_t> bytes = testing::Mp3Bytes("vbr_joint_44k.mp3");
    bytes.insert(bytes.end(), 128, 0);
    LMP3Source source(Write("vbr.mp3", bytes));
    const std::int32_t estimate = source.GetLength();
    const std::size_t frames = testing::Mp3Golden("vbr_joint_44k.mp3").size() / 2;
    EXPECT_NEAR(estimate, static_cast<double>(frames), 0.3 * static_cast<double>(frames));
    testing::ReadToEnd(source);
    EXPECT_EQ(source.GetLength(), static_cast<std::int32_t>(frames));
}

}  // namespace
}  // namespace sonvara
