#include "platform/codec/codec_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "core/byte_order.h"

namespace sonvara {
namespace {

WaveFormat Find(std::uint16_t tag, int channels, std::uint32_t rate) {
    for (const FormatChoice& choice : CodecManager::Instance().ListFormats(channels)) {
        if (choice.format.format_tag == tag && choice.format.samples_per_sec == rate) {
            return choice.format;
        }
    }
    ADD_FAILURE() << "no format with tag " << tag;
    return {};
}

std::vector<std::uint8_t> PcmBytes(const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

TEST(CodecManager, OpensOnlyBetween16BitPcmAndAMatchingCodedFormat) {
    CodecManager& codecs = CodecManager::Instance();
    const WaveFormat ulaw = Find(WAVE_FORMAT_MULAW, 1, 8000);
    std::unique_ptr<CodecStream> stream;
    EXPECT_EQ(codecs.OpenStream(WaveFormat::Pcm16(1, 8000), ulaw, 0, &stream), CodecResult::kOk);
    EXPECT_TRUE(stream);
    EXPECT_EQ(codecs.OpenStream(ulaw, WaveFormat::Pcm16(1, 8000), 0, &stream), CodecResult::kOk);

    std::unique_ptr<CodecStream> none;
    EXPECT_EQ(codecs.OpenStream(WaveFormat::Pcm16(2, 8000), ulaw, 0, &none),
              CodecResult::kNotPossible);  // channels differ
    EXPECT_EQ(codecs.OpenStream(WaveFormat::Pcm16(1, 11025), ulaw, 0, &none),
              CodecResult::kNotPossible);  // rates differ
    EXPECT_EQ(codecs.OpenStream(ulaw, Find(WAVE_FORMAT_ALAW, 1, 8000), 0, &none),
              CodecResult::kNotPossible);  // neither side is 16-bit PCM
    WaveFormat gsm = ulaw;
    gsm.format_tag = WAVE_FORMAT_GSM610;
    EXPECT_EQ(codecs.OpenStream(gsm, WaveFormat::Pcm16(1, 8000), kStreamOpenNonRealtime, &none),
              CodecResult::kNotPossible);
    EXPECT_FALSE(none);
    // A query answers without opening.
    EXPECT_EQ(codecs.OpenStream(WaveFormat::Pcm16(1, 8000), ulaw, kStreamOpenQuery, &none),
              CodecResult::kOk);
    EXPECT_FALSE(none);
}

TEST(CodecManager, RegisteredCodecsJoinTheManager) {
    // A codec that stores each 16-bit sample as its high byte, under an unused tag.
    class HighByteCodec : public Codec {
        class Encoder : public BlockConverter {
          public:
            Encoder() : BlockConverter(2, 1) {}
            Converted Convert(const std::uint8_t* in, std::size_t blocks,
                              std::uint8_t* out) override {
                for (std::size_t i = 0; i < blocks; ++i) {
                    out[i] = in[2 * i + 1];
                }
                return {blocks, blocks};
            }
        };

      public:
        std::string Name() const override { return "High byte"; }
        std::unique_ptr<BlockConverter> MakeDecoder(const WaveFormat&) const override {
            return nullptr;
        }
        std::unique_ptr<BlockConverter> MakeEncoder(const WaveFormat& coded) const override {
            return coded.format_tag == 0x7777 ? std::make_unique<Encoder>() : nullptr;
        }
        std::vector<WaveFormat> OfferedFormats() const override {
            WaveFormat format = WaveFormat::Pcm16(1, 8000);
            format.format_tag = 0x7777;
            return {format};
        }
    };
    CodecManager codecs;
    RegisterBuiltInCodecs(codecs);
    const std::size_t built_in = codecs.ListFormats(0).size();
    codecs.Register(std::make_unique<HighByteCodec>());
    std::vector<FormatChoice> choices = codecs.ListFormats(1);
    ASSERT_EQ(codecs.ListFormats(0).size(), built_in + 1);
    EXPECT_EQ(choices.back().name, "High byte");

    std::unique_ptr<CodecStream> stream;
    ASSERT_EQ(codecs.OpenStream(WaveFormat::Pcm16(1, 8000), choices.back().format, 0, &stream),
              CodecResult::kOk);
    std::vector<std::uint8_t> pcm = PcmBytes({0x1234, -2, 0x7F00});
    std::vector<std::uint8_t> coded(8);
    StreamHeader header{pcm.data(), pcm.size(), 0, coded.data(), coded.size(), 0};
    ASSERT_TRUE(stream->Convert(header, kConvertBlockAlign));
    EXPECT_EQ(header.destination_used, 3u);
    EXPECT_EQ(coded[0], 0x12);
    EXPECT_EQ(coded[1], 0xFF);
    EXPECT_EQ(coded[2], 0x7F);
}

// G.711 from its tables: the 16-bit sample rounded to the law's uniform code (14 bits for µ-law,
// 13 for A-law, halves up, held at the top), then the segment whose decision levels hold the
// code's magnitude and the step within it. Bit 7 is the polarity (1 positive); µ-law inverts the
// other seven bits, A-law the even ones.
std::uint8_t ReferenceUlaw(int x) {
    const int v = std::min(static_cast<int>(std::floor((x + 2) / 4.0)), 8191);
    const int n = std::abs(v);
    // Segment s starts at the decision level 32·2^s − 33 (−1, 31, 95, ..., 4063) and steps by
    // 2^(s+1); segment 7 ends at 8159, past which the top code holds.
    int s = 7;
    while (s > 0 && n < 32 * (1 << s) - 33) {
        --s;
    }
    const int m = std::min((n - (32 * (1 << s) - 33)) / (2 << s), 15);
    return static_cast<std::uint8_t>((v >= 0 ? 0x80 : 0x00) | (~((s << 4) | m) & 0x7F));
}

std::uint8_t ReferenceAlaw(int x) {
    const int v = std::min(static_cast<int>(std::floor((x + 4) / 8.0)), 4095);
    // No zero level: code v stands for [v, v + 1), so a negative one's magnitude is −v − 1.
    const int n = v >= 0 ? v : -v - 1;
    // Segment 0 holds 0..31 in steps of 2; segment s ≥ 1 holds 16·2^s..32·2^s − 1 in steps of
    // 2^s (so 2 again in segment 1).
    int s = 7;
    while (s > 0 && n < (16 << s)) {
        --s;
    }
    const int m = s == 0 ? n / 2 : (n - (16 << s)) >> s;
    return static_cast<std::uint8_t>(((v >= 0 ? 0x80 : 0x00) | (s << 4) | m) ^ 0x55);
}

// The manager stands in for the system's codecs in WAV files, so it writes what G.711 gives for
// every 16-bit sample (it used to truncate, one code off at 383 µ-law and 1020 A-law samples).
TEST(CodecManager, G711EncodersMatchTheStandardForEverySample) {
    std::vector<std::int16_t> samples;
    for (int x = -32768; x <= 32767; ++x) {
        samples.push_back(static_cast<std::int16_t>(x));
    }
    const std::vector<std::uint8_t> pcm = PcmBytes(samples);
    for (const auto& [tag, reference] : {std::pair{WAVE_FORMAT_MULAW, &ReferenceUlaw},
                                         std::pair{WAVE_FORMAT_ALAW, &ReferenceAlaw}}) {
        SCOPED_TRACE(tag);
        std::unique_ptr<CodecStream> encoder;
        ASSERT_EQ(CodecManager::Instance().OpenStream(WaveFormat::Pcm16(1, 8000),
                                                      Find(tag, 1, 8000), 0, &encoder),
                  CodecResult::kOk);
        std::vector<std::uint8_t> coded(samples.size());
        StreamHeader header{pcm.data(), pcm.size(), 0, coded.data(), coded.size(), 0};
        ASSERT_TRUE(encoder->Convert(header, kConvertBlockAlign | kConvertEnd));
        ASSERT_EQ(header.destination_used, coded.size());
        int differences = 0;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (coded[i] != reference(samples[i])) {
                EXPECT_LT(differences++, 3) << "sample " << samples[i] << ": code " << int{coded[i]}
                                            << ", G.711 " << int{reference(samples[i])};
            }
        }
        EXPECT_EQ(differences, 0);
    }
}

TEST(CodecManager, StreamsConvertWholeBlocksAndTheLastOneAtTheEnd) {
    const WaveFormat ima = Find(WAVE_FORMAT_IMA_ADPCM, 1, 8000);  // 256-byte blocks of 505
    std::unique_ptr<CodecStream> encoder;
    ASSERT_EQ(CodecManager::Instance().OpenStream(WaveFormat::Pcm16(1, 8000), ima, 0, &encoder),
              CodecResult::kOk);
    EXPECT_EQ(encoder->DestinationSizeFor(1010), 256u);
    EXPECT_EQ(encoder->DestinationSizeFor(1011), 512u);
    EXPECT_EQ(encoder->SourceSizeFor(511), 1010u);
    EXPECT_EQ(encoder->SourceSizeFor(255), 0u);

    std::vector<std::int16_t> samples(1200);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>((i * 97) % 4000);
    }
    std::vector<std::uint8_t> pcm = PcmBytes(samples);
    std::vector<std::uint8_t> coded(1024);
    StreamHeader header{pcm.data(), pcm.size(), 0, coded.data(), coded.size(), 0};
    ASSERT_TRUE(encoder->Convert(header, kConvertBlockAlign));
    EXPECT_EQ(header.source_used, 2020u);  // two whole blocks; 190 frames wait
    EXPECT_EQ(header.destination_used, 512u);
    const std::vector<std::uint8_t> first(coded.begin(), coded.begin() + 512);

    header = {pcm.data() + 2020, pcm.size() - 2020, 0, coded.data(), coded.size(), 0};
    ASSERT_TRUE(encoder->Convert(header, kConvertBlockAlign | kConvertEnd));
    EXPECT_EQ(header.source_used, 380u);
    EXPECT_EQ(header.destination_used, 256u);

    // The start flag forgets the state carried over from earlier blocks, so the same input
    // codes the same again.
    header = {pcm.data(), pcm.size(), 0, coded.data(), coded.size(), 0};
    ASSERT_TRUE(encoder->Convert(header, kConvertBlockAlign | kConvertStart));
    EXPECT_EQ(std::vector<std::uint8_t>(coded.begin(), coded.begin() + 512), first);
}

TEST(CodecManager, ExtensibleFilesDecodeByTheirSubFormat) {
    WaveFormat format;
    format.format_tag = WAVE_FORMAT_EXTENSIBLE;
    format.channels = 1;
    format.samples_per_sec = 48000;
    format.block_align = 3;
    format.bits_per_sample = 24;
    format.extra = {20,   0,    4,    0,    0,    0,    0x01, 0x00, 0x00, 0x00, 0x00,
                    0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    const WaveFormat pcm = WaveFormat::Pcm16(1, 48000);
    std::unique_ptr<CodecStream> stream;
    ASSERT_EQ(CodecManager::Instance().OpenStream(format, pcm, 0, &stream), CodecResult::kOk);
    std::vector<std::uint8_t> coded = {0x80, 0x80, 0x12, 0xF0, 0xFF, 0xFF};
    std::vector<std::uint8_t> out(4);
    StreamHeader header{coded.data(), coded.size(), 0, out.data(), out.size(), 0};
    ASSERT_TRUE(stream->Convert(header, kConvertBlockAlign));
    EXPECT_EQ(LoadLE16(out.data()), 0x1281);      // 0x128080 is half way: up to 0x1281
    EXPECT_EQ(LoadLE16(out.data() + 2), 0x0000);  // -16 in 24 bits is 0 in 16

    format.extra[8] = 0x02;  // a sub-format GUID that is neither PCM nor float
    EXPECT_EQ(CodecManager::Instance().OpenStream(format, pcm, 0, &stream),
              CodecResult::kNotPossible);
    format.extra.resize(10);
    EXPECT_EQ(CodecManager::Instance().OpenStream(format, pcm, 0, &stream),
              CodecResult::kNotPossible);
}

TEST(CodecManager, FloatSamplesAreScaledRoundedAndClipped) {
    WaveFormat format = WaveFormat::Pcm16(1, 8000);
    format.format_tag = WAVE_FORMAT_IEEE_FLOAT;
    format.bits_per_sample = 32;
    format.block_align = 4;
    std::unique_ptr<CodecStream> stream;
    ASSERT_EQ(CodecManager::Instance().OpenStream(format, WaveFormat::Pcm16(1, 8000), 0, &stream),
              CodecResult::kOk);
    const std::vector<float> values = {0.5f,
                                       -1.0f,
                                       1.0f,
                                       2.5f,
                                       1.0f / 65536,
                                       3.0f / 65536,
                                       std::numeric_limits<float>::quiet_NaN()};
    std::vector<std::uint8_t> coded(values.size() * 4);
    std::memcpy(coded.data(), values.data(), coded.size());
    std::vector<std::int16_t> out(values.size());
    StreamHeader header{coded.data(),
                        coded.size(),
                        0,
                        reinterpret_cast<std::uint8_t*>(out.data()),
                        out.size() * 2,
                        0};
    ASSERT_TRUE(stream->Convert(header, kConvertBlockAlign));
    EXPECT_EQ(out, (std::vector<std::int16_t>{16384, -32768, 32767, 32767, 0, 2, 0}));
}

TEST(CodecManager, ChooserListsWhatCanBeWritten) {
    std::vector<FormatChoice> mono = CodecManager::Instance().ListFormats(1);
    ASSERT_FALSE(mono.empty());
    bool found_ima = false;
    for (const FormatChoice& choice : mono) {
        EXPECT_EQ(choice.format.channels, 1);
        std::unique_ptr<CodecStream> stream;
        EXPECT_EQ(
            CodecManager::Instance().OpenStream(WaveFormat::Pcm16(1, choice.format.samples_per_sec),
                                                choice.format, kStreamOpenQuery, &stream),
            CodecResult::kOk)
            << choice.name << " " << choice.details;
        if (choice.name == "IMA ADPCM" && choice.format.samples_per_sec == 8000) {
            found_ima = true;
            EXPECT_EQ(choice.format.block_align, 256);
            EXPECT_EQ(choice.format.avg_bytes_per_sec, 4055u);
            EXPECT_EQ(choice.details, "8.000 Hz; 4 bits; Mono; 4 KB/s");
        }
    }
    EXPECT_TRUE(found_ima);
    EXPECT_EQ(DescribeFormat(WaveFormat::Pcm16(2, 44100)), "44.100 Hz; 16 bits; Estéreo; 172 KB/s");
}

}  // namespace
}  // namespace sonvara
