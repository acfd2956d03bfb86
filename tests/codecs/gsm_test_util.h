#pragma once
// What the GSM tests share: the golden files of tests/data/gsm, and the standard's whole encoder
// and decoder (preprocessing, codec, postprocessing) built from the core, as toast and untoast
// run them.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "codecs/gsm/gsm_frame.h"
#include "tests/codecs/codec_test_util.h"
#include "tests/formats/format_test_util.h"

namespace sonvara::testing {

inline std::string GsmData(const std::string& name) {
    return std::string(SONVARA_GSM_DATA_DIR) + "/" + name;
}

inline std::vector<std::uint8_t> GsmBytes(const std::string& name) {
    std::vector<std::uint8_t> bytes = FileBytes(GsmData(name));
    EXPECT_FALSE(bytes.empty()) << name;
    return bytes;
}

inline std::vector<std::int16_t> GsmS16(const std::string& name) {
    return ToSamples(GsmBytes(name));
}

// toast -l: whole frames of 160 samples (a tail is dropped).
inline std::vector<std::uint8_t> StandardEncode(const std::vector<std::int16_t>& pcm) {
    LGSMFrame codec;
    GsmStandardPreprocessor pre;
    std::vector<std::uint8_t> out;
    for (std::size_t at = 0; at + gsm::kFrameSamples <= pcm.size(); at += gsm::kFrameSamples) {
        std::int16_t s[gsm::kFrameSamples];
        pre.Process(pcm.data() + at, s);
        out.resize(out.size() + gsm::kFrameBytes);
        codec.EncodeNormal(s, out.data() + out.size() - gsm::kFrameBytes);
    }
    return out;
}

// untoast -l.
inline std::vector<std::int16_t> StandardDecode(const std::vector<std::uint8_t>& frames) {
    LGSMFrame codec;
    GsmStandardPostprocessor post;
    std::vector<std::int16_t> out;
    for (std::size_t at = 0; at + gsm::kFrameBytes <= frames.size(); at += gsm::kFrameBytes) {
        std::int16_t sr[gsm::kFrameSamples];
        out.resize(out.size() + gsm::kFrameSamples);
        codec.DecodeNormal(frames.data() + at, sr);
        post.Process(sr, out.data() + out.size() - gsm::kFrameSamples);
    }
    return out;
}

inline std::vector<Sample> ToInternal(const std::vector<std::int16_t>& pcm) {
    std::vector<Sample> samples;
    for (std::int16_t s : pcm) {
        samples.push_back(SampleFrom16(s));
    }
    return samples;
}

}  // namespace sonvara::testing
