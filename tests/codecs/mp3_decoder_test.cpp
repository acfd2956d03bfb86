// The whole Layer III decoder against mpg123's floating-point decode of LAME-made streams, to
// the full-accuracy bound of ISO/IEC 11172-4; and its stages on their own.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

#include "codecs/mp3/mp3_frame_decoder.h"
#include "tests/codecs/mp3_test_util.h"

namespace sonvara {
namespace {

using testing::Mp3Bytes;
using testing::Mp3Streams;

void AppendInterleaved(const mp3::DecodedFrame& frame, std::vector<float>& pcm) {
    for (int i = 0; i < frame.samples; ++i) {
        for (int ch = 0; ch < frame.channels; ++ch) {
            pcm.push_back(frame.pcm[static_cast<std::size_t>(ch)][static_cast<std::size_t>(i)]);
        }
    }
}

// Every frame of a stream decoded in order from its first frame header, interleaved as
// mpg123 writes them.
std::vector<float> DecodeStream(std::span<const std::uint8_t> bytes, int* bad_frames) {
    mp3::LMP3FrameDecoder decoder;
    mp3::DecodedFrame frame;
    std::vector<float> pcm;
    *bad_frames = 0;
    const std::optional<std::size_t> first = mp3::FindHeader(bytes, 0, 16384);
    if (!first) {
        return pcm;
    }
    const std::span<const std::uint8_t> frames_bytes = bytes.subspan(*first);
    std::size_t end = 0;
    for (const testing::Mp3Frame& f : testing::Mp3Frames(frames_bytes, &end)) {
        const mp3::DecodeStatus status = decoder.Decode(frames_bytes.subspan(f.offset), frame);
        if (status != mp3::DecodeStatus::kOk) {
            ++*bad_frames;
        }
        AppendInterleaved(frame, pcm);
    }
    return pcm;
}

TEST(Mp3Decoder, MeetsTheFullAccuracyBoundAgainstMpg123OnEveryStream) {
    // ISO/IEC 11172-4: RMS of the difference below 2^-15 / √12 of full scale and no sample
    // more than 2^-14 off, full scale being 1.0 in both decodes.
    const double rms_bound = std::ldexp(1.0, -15) / std::sqrt(12.0);
    const double max_bound = std::ldexp(1.0, -14);
    std::vector<std::string> names;
    for (const testing::Mp3Stream& stream : Mp3Streams()) {
        names.push_back(stream.name);
    }
    names.push_back("id3v2_mono_32k.mp3");  // the first frame behind a tag
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::vector<float> golden = testing::Mp3Golden(name);
        int bad_frames = 0;
        const std::vector<float> ours = DecodeStream(Mp3Bytes(name), &bad_frames);
        EXPECT_EQ(bad_frames, 0);
        ASSERT_EQ(ours.size(), golden.size());
        double sum_squares = 0.0;
        double max_difference = 0.0;
        double golden_peak = 0.0;
        for (std::size_t i = 0; i < ours.size(); ++i) {
            const double difference = static_cast<double>(ours[i]) - golden[i];
            sum_squares += difference * difference;
            max_difference = std::max(max_difference, std::abs(difference));
            golden_peak = std::max(golden_peak, std::abs(static_cast<double>(golden[i])));
        }
        const double rms = std::sqrt(sum_squares / static_cast<double>(ours.size()));
        EXPECT_LT(rms, rms_bound);
        EXPECT_LT(max_difference, max_bound);
        // The streams are loud enough for the bound to mean something.
        EXPECT_GT(golden_peak, 0.25);
        std::printf("%s: rms %.3g (bound %.3g), max %.3g (bound %.3g)\n", name.c_str(), rms,
                    rms_bound, max_difference, max_bound);
    }
}

TEST(Mp3Decoder, EveryStreamDecodesToTheSameBitsAsTheReferenceDecode) {
    // The bits of every sample of every stream, hashed (FNV-1a) in stream order. The accuracy
    // bound above leaves room for a change of rounding; this does not: a faster table, transform
    // or summing order must give the very same floats. The value is that of the decoder as it was
    // checked against the peer; change it only for a deliberate change of results.
    std::uint64_t hash = 0xcbf29ce484222325U;
    for (const testing::Mp3Stream& stream : Mp3Streams()) {
        int bad_frames = 0;
        for (const float value : DecodeStream(Mp3Bytes(stream.name), &bad_frames)) {
            hash = (hash ^ std::bit_cast<std::uint32_t>(value)) * 0x100000001b3U;
        }
    }
    EXPECT_EQ(hash, 0x7e7a5cfcbe419b64U);
}

TEST(Mp3Decoder, AfterResetJoinsTheStraightDecodeOnceReservoirAndFilterBanksRefill) {
    // Frames decoded from the middle of a stream after Reset, as after a seek: the first ones
    // lack the reservoir and the overlap; once the synthesis FIFO (16 time slots) has been
    // refilled every sample equals the decode from the start.
    for (const char* name : {"vbr_joint_44k.mp3", "cbr48_joint_22k.mp3", "cbr16_mono_8k.mp3"}) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> bytes = Mp3Bytes(name);
        std::size_t end = 0;
        const std::vector<testing::Mp3Frame> frames = testing::Mp3Frames(bytes, &end);
        constexpr std::size_t kSeekFrame = 10;
        ASSERT_GT(frames.size(), kSeekFrame + 5);
        mp3::LMP3FrameDecoder straight;
        mp3::LMP3FrameDecoder seeking;
        mp3::DecodedFrame a;
        mp3::DecodedFrame b;
        int reservoir_short = 0;
        for (std::size_t f = 0; f < frames.size(); ++f) {
            const std::span<const std::uint8_t> frame = std::span(bytes).subspan(frames[f].offset);
            ASSERT_EQ(straight.Decode(frame, a), mp3::DecodeStatus::kOk);
            if (f == kSeekFrame) {
                seeking.Reset();
            }
            if (f < kSeekFrame) {
                continue;
            }
            const mp3::DecodeStatus status = seeking.Decode(frame, b);
            if (status == mp3::DecodeStatus::kReservoirShort) {
                ++reservoir_short;
                // Only until the reservoir holds one frame's worth again.
                EXPECT_LT(f, kSeekFrame + 2);
            } else {
                ASSERT_EQ(status, mp3::DecodeStatus::kOk);
            }
            ASSERT_EQ(a.samples, b.samples);
            // A frame's 18 or 36 time slots: two frames refill the 16-slot FIFO.
            if (f >= kSeekFrame + 2 + 1) {
                for (int ch = 0; ch < a.channels; ++ch) {
                    const auto c = static_cast<std::size_t>(ch);
                    ASSERT_TRUE(std::equal(a.pcm[c].begin(), a.pcm[c].begin() + a.samples,
                                           b.pcm[c].begin()))
                        << f;
                }
            }
        }
        if (frames[kSeekFrame].layout.side.main_data_begin > 0) {
            EXPECT_GT(reservoir_short, 0);
        }
    }
}

TEST(Mp3Decoder, DamagedFramesGiveBoundedSamplesOrAnErrorNeverACrash) {
    // Every 97th bit of every frame flipped in turn (header, side information and main data),
    // and frames cut short: the decoder must say so or give finite samples.
    const std::vector<std::uint8_t> clean = Mp3Bytes("cbr96_joint_44k.mp3");
    std::size_t end = 0;
    const std::vector<testing::Mp3Frame> frames = testing::Mp3Frames(clean, &end);
    int errors = 0;
    int decoded = 0;
    for (std::size_t bit = 3; bit < clean.size() * 8; bit += 97 * 11) {
        std::vector<std::uint8_t> bytes = clean;
        for (std::size_t b = bit; b < bytes.size() * 8; b += 97 * 8 * 37) {
            bytes[b / 8] ^= static_cast<std::uint8_t>(0x80 >> (b % 8));
        }
        mp3::LMP3FrameDecoder decoder;
        mp3::DecodedFrame out;
        for (const testing::Mp3Frame& f : frames) {
            const mp3::DecodeStatus status =
                decoder.Decode(std::span(bytes).subspan(f.offset), out);
            if (status == mp3::DecodeStatus::kOk) {
                ++decoded;
            } else {
                ++errors;
            }
            // Only a frame without a whole header and side information loses its samples.
            if (status != mp3::DecodeStatus::kBadFrame) {
                ASSERT_EQ(out.samples, 1152);
            }
            for (int ch = 0; ch < out.channels; ++ch) {
                for (int i = 0; i < out.samples; ++i) {
                    const float v =
                        out.pcm[static_cast<std::size_t>(ch)][static_cast<std::size_t>(i)];
                    ASSERT_TRUE(std::isfinite(v));
                    // The largest quantized value at the largest gain stays far below this.
                    ASSERT_LT(std::abs(v), 1e30F);
                }
            }
        }
    }
    EXPECT_GT(errors, 0);
    EXPECT_GT(decoded, 0);

    mp3::LMP3FrameDecoder decoder;
    mp3::DecodedFrame out;
    const std::span<const std::uint8_t> first = std::span(clean).first(frames[1].offset - 1);
    EXPECT_EQ(decoder.Decode(first, out), mp3::DecodeStatus::kBadFrame);
    EXPECT_EQ(out.samples, 1152);  // silence of the header's length
    EXPECT_EQ(decoder.Decode(first.first(3), out), mp3::DecodeStatus::kBadFrame);
    EXPECT_EQ(out.samples, 0);
}

}  // namespace
}  // namespace sonvara
