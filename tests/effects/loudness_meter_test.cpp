#include "effects/loudness_meter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/memory_stream.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_writer.h"

namespace sonvara {
namespace {

constexpr std::int32_t kMeterRate = 48000;

// `seconds` of a `hertz` sine at `dbfs` on both channels.
std::vector<Sample> Sine(double seconds, double hertz, double dbfs) {
    const double amplitude = std::pow(10.0, dbfs / 20.0) * kSampleFloatScale;
    std::vector<Sample> samples;
    for (int i = 0; i < static_cast<int>(seconds * kMeterRate); ++i) {
        const auto value = static_cast<Sample>(
            std::lround(amplitude * std::sin(2 * M_PI * hertz * i / kMeterRate)));
        samples.push_back(value);
        samples.push_back(value);
    }
    return samples;
}

// Music-like: chords of a few harmonics whose level changes every half second, with decays.
std::vector<Sample> Program() {
    std::vector<Sample> samples;
    for (int part = 0; part < 24; ++part) {
        const double level = std::pow(10.0, -(6 + (part * 7) % 30) / 20.0) * kSampleFloatScale;
        const double root = 110.0 * (1 + part % 5);
        for (int i = 0; i < kMeterRate / 2; ++i) {
            const double t = static_cast<double>(i) / kMeterRate;
            double left = 0;
            double right = 0;
            for (int harmonic = 1; harmonic <= 6; ++harmonic) {
                const double phase = 2 * M_PI * root * harmonic * t;
                left += std::sin(phase) / harmonic;
                right += std::sin(phase * 1.003 + harmonic) / harmonic;
            }
            const double decay = std::exp(-3 * t) * 0.4;
            samples.push_back(static_cast<Sample>(level * decay * left));
            samples.push_back(static_cast<Sample>(level * decay * right));
        }
    }
    return samples;
}

LoudnessReport Measure(const std::vector<Sample>& samples) {
    LPRMeasureLoudness measure(LSoundSourceRef(new LMemorySoundSource(samples, kMeterRate, 2)), 0,
                               -1);
    EXPECT_EQ(testing::RunProcess(measure), PROCESS_DONE);
    return measure.Report();
}

// FFmpeg's ebur128 filter on `path`: its summary's integrated loudness, range and true peak.
struct PeerReport {
    double integrated = 0;
    double range = 0;
    double true_peak = 0;
};
std::optional<PeerReport> FfmpegReport(const std::string& path) {
    const std::string command =
        "ffmpeg -nostats -hide_banner -i '" + path + "' -af ebur128=peak=true -f null - 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    if (::pclose(pipe) != 0) {
        return std::nullopt;
    }
    // The summary comes last: "I:  -16.0 LUFS", "LRA:  5.2 LU", "Peak:  -1.3 dBFS".
    const std::string summary = output.substr(output.rfind("Summary:"));
    auto value = [&](const std::string& label) {
        const std::size_t at = summary.find(label);
        return at == std::string::npos ? std::nan("")
                                       : std::strtod(summary.c_str() + at + label.size(), nullptr);
    };
    return PeerReport{value("I:"), value("LRA:"), value("Peak:")};
}

TEST(LoudnessMeter, AGatedSineReadsItsStandardLoudness) {
    // The EBU's first test signal: a 1 kHz sine at -23 dBFS on both channels is -23.0 LUFS.
    const LoudnessReport sine = Measure(Sine(20, 1000, -23));
    EXPECT_NEAR(sine.integrated, -23.0, 0.1);
    EXPECT_NEAR(sine.max_momentary, -23.0, 0.1);
    EXPECT_NEAR(sine.max_short_term, -23.0, 0.1);
    EXPECT_NEAR(sine.range, 0.0, 0.1);
    EXPECT_NEAR(sine.sample_peak, -23.0, 0.05);
    EXPECT_NEAR(sine.true_peak, -23.0, 0.1);

    // A quarter of the rate, sampled 45 degrees off its crests: the samples reach 3 dB below the
    // peak between them.
    std::vector<Sample> between;
    for (int i = 0; i < 5 * kMeterRate; ++i) {
        const auto value = static_cast<Sample>(
            std::lround(0.5 * kSampleFloatScale * std::sin(M_PI / 2 * i + M_PI / 4)));
        between.insert(between.end(), {value, value});
    }
    const LoudnessReport off_crest = Measure(between);
    EXPECT_NEAR(off_crest.sample_peak, -9.03, 0.05);
    EXPECT_NEAR(off_crest.true_peak, -6.02, 0.1);

    const LoudnessReport silence = Measure(std::vector<Sample>(2 * 5 * kMeterRate, 0));
    EXPECT_TRUE(std::isinf(silence.integrated) && silence.integrated < 0);
    EXPECT_TRUE(std::isinf(silence.true_peak) && silence.true_peak < 0);
    EXPECT_NE(LoudnessKeyValues(silence).find("integrated_lufs=-inf\n"), std::string::npos);
    EXPECT_NE(LoudnessText(sine).find("Sonoridad integrada: -23.0 LUFS\n"), std::string::npos)
        << LoudnessText(sine);
}

TEST(LoudnessMeter, AMeasurementStopsWhenCancelledAndSaysWhenItCannotRead) {
    testing::CancelAfter cancel(3);
    LPRMeasureLoudness measure(
        LSoundSourceRef(new LMemorySoundSource(Sine(60, 1000, -20), kMeterRate, 2)), 0, -1);
    EXPECT_EQ(testing::RunProcess(measure, &cancel), PROCESS_STOPPED);

    testing::ScriptedPrompts prompts;
    LPRMeasureLoudness unreadable(LSoundSourceRef(new LNullSoundSource()), 0, -1);
    EXPECT_EQ(testing::RunProcess(unreadable, nullptr, &prompts), PROCESS_FAILED);
    ASSERT_EQ(prompts.Asked().size(), 1u);
    EXPECT_EQ(prompts.Asked()[0].text.rfind("No se pudo leer el sonido", 0), 0u);
}

TEST(LoudnessMeter, AgreesWithFfmpegsMeter) {
    testing::ScratchFolder scratch;
    const std::vector<std::pair<const char*, std::vector<Sample>>> signals = {
        {"program", Program()}, {"sine", Sine(8, 997, -9)}};
    for (const auto& [name, samples] : signals) {
        SCOPED_TRACE(name);
        const std::string path = scratch.File(std::string(name) + ".wav");
        ASSERT_TRUE(testing::WriteWave16(path, samples, kMeterRate, 2));
        const std::optional<PeerReport> peer = FfmpegReport(path);
        ASSERT_TRUE(peer.has_value()) << "ffmpeg did not measure " << path;
        // What the file holds: the samples at 16 bits.
        std::vector<Sample> stored = samples;
        for (Sample& sample : stored) {
            sample = SampleFrom16(SampleTo16(sample));
        }
        const LoudnessReport ours = Measure(stored);
        EXPECT_NEAR(ours.integrated, peer->integrated, 0.1);
        EXPECT_NEAR(ours.true_peak, peer->true_peak, 0.1);
        // The two take the range's short-term blocks at different steps.
        EXPECT_NEAR(ours.range, peer->range, 0.5);
    }

    // Speech, mono at 22050 Hz, read from its file.
    const std::string speech = scratch.File("speech.wav");
    ASSERT_EQ(std::system(("espeak-ng -v es -w '" + speech +
                           "' 'La sonoridad se mide como la oye el oyente, no por sus picos. "
                           "Un programa de radio pide menos veintitrés.'")
                              .c_str()),
              0);
    const std::optional<PeerReport> peer = FfmpegReport(speech);
    ASSERT_TRUE(peer.has_value());
    LPRMeasureLoudness measure(LWaveFile::OpenSource(speech), 0, -1);
    ASSERT_EQ(testing::RunProcess(measure), PROCESS_DONE);
    EXPECT_NEAR(measure.Report().integrated, peer->integrated, 0.1);
    EXPECT_NEAR(measure.Report().true_peak, peer->true_peak, 0.1);
}

}  // namespace
}  // namespace sonvara
