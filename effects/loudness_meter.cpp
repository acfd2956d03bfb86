#include "effects/loudness_meter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace sonvara {
namespace {

constexpr double kSilent = -std::numeric_limits<double>::infinity();
constexpr char kCannotMeasure[] = "No se puede medir la sonoridad de este sonido.";
// BS.1770's loudness of a mean square: -0.691 + 10 log10(energy).
constexpr double kLoudnessOffset = 0.691;

// A level in decibels of an amplitude (1.0 full scale); minus infinity for none.
double Decibels(double amplitude) {
    return amplitude > 0 ? 20.0 * std::log10(amplitude) : kSilent;
}

std::string Number(double value) {
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    // -0.0 reads as 0.0.
    return std::string(text) == "-0.0" ? "0.0" : text;
}

struct ReportLine {
    const char* label;
    const char* key;
    const char* unit;
    double LoudnessReport::*value;
};
constexpr ReportLine kReportLines[] = {
    {"Sonoridad integrada", "integrated_lufs", "LUFS", &LoudnessReport::integrated},
    {"Rango de sonoridad", "loudness_range_lu", "LU", &LoudnessReport::range},
    {"Sonoridad momentánea máxima", "max_momentary_lufs", "LUFS", &LoudnessReport::max_momentary},
    {"Sonoridad a corto plazo máxima", "max_short_term_lufs", "LUFS",
     &LoudnessReport::max_short_term},
    {"Pico de muestra", "sample_peak_dbfs", "dBFS", &LoudnessReport::sample_peak},
    {"Pico real", "true_peak_dbtp", "dBTP", &LoudnessReport::true_peak},
};

}  // namespace

std::string LoudnessText(const LoudnessReport& report) {
    std::string text;
    for (const ReportLine& line : kReportLines) {
        text +=
            std::string(line.label) + ": " + Number(report.*line.value) + " " + line.unit + "\n";
    }
    return text;
}

std::string LoudnessKeyValues(const LoudnessReport& report) {
    std::string text;
    for (const ReportLine& line : kReportLines) {
        text += std::string(line.key) + "=" + Number(report.*line.value) + "\n";
    }
    return text;
}

LoudnessMeter::LoudnessMeter(std::int32_t sample_rate, int channels)
    : channels_(channels),
      step_frames_(std::max<std::int32_t>(1, sample_rate / 10)),
      true_peak_(std::max(channels, 1)),
      max_momentary_(kSilent),
      max_short_term_(kSilent) {
    library_ = MakeEbur128State(
        sample_rate, channels,
        EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_S | EBUR128_MODE_SAMPLE_PEAK);
}

LoudnessMeter::~LoudnessMeter() = default;

bool LoudnessMeter::IsValid() const {
    return library_ != nullptr;
}

void LoudnessMeter::Add(const Sample* frames, std::int32_t count) {
    while (IsValid() && count > 0) {
        const std::int32_t step = std::min(count, step_frames_ - into_step_);
        AddStep(frames, step);
        frames += static_cast<std::ptrdiff_t>(step) * channels_;
        count -= step;
    }
}

void LoudnessMeter::AddStep(const Sample* frames, std::int32_t count) {
    ebur128_state* state = library_.get();
    if (!AddEbur128Frames(*state, frames, count, channels_, converted_)) {
        library_.reset();
        return;
    }
    true_peak_.Add(converted_.data(), count);
    into_step_ += count;
    if (into_step_ < step_frames_) {
        return;
    }
    into_step_ = 0;
    // The momentary window (400 ms) and the short-term one (3 s) hold 4 and 30 whole steps: their
    // energy is the mean of their steps' energies, so each step's energy is read once (asking
    // the library for the 3 s window at every step would sum 3 s of samples each time).
    double loudness = kSilent;
    double energy = 0;
    if (ebur128_loudness_window(state, 100, &loudness) == EBUR128_SUCCESS &&
        std::isfinite(loudness)) {
        energy = std::pow(10.0, (loudness + kLoudnessOffset) / 10.0);
    }
    step_energies_[static_cast<std::size_t>(steps_ % kShortTermSteps)] = energy;
    ++steps_;
    const auto window = [this](int steps) {
        double sum = 0;
        for (int back = 1; back <= steps; ++back) {
            sum += step_energies_[static_cast<std::size_t>((steps_ - back) % kShortTermSteps)];
        }
        return sum > 0 ? 10.0 * std::log10(sum / steps) - kLoudnessOffset : kSilent;
    };
    if (steps_ >= kMomentarySteps) {
        max_momentary_ = std::max(max_momentary_, window(kMomentarySteps));
    }
    if (steps_ >= kShortTermSteps) {
        max_short_term_ = std::max(max_short_term_, window(kShortTermSteps));
    }
}

LoudnessReport LoudnessMeter::Report() const {
    LoudnessReport report{kSilent, 0, max_momentary_, max_short_term_, kSilent, kSilent};
    if (!IsValid()) {
        return report;
    }
    ebur128_state* state = library_.get();
    double value = 0;
    if (ebur128_loudness_global(state, &value) == EBUR128_SUCCESS) {
        report.integrated = value;
    }
    if (ebur128_loudness_range(state, &value) == EBUR128_SUCCESS) {
        report.range = value;
    }
    double sample_peak = 0;
    for (int c = 0; c < channels_; ++c) {
        if (ebur128_sample_peak(state, static_cast<unsigned>(c), &value) == EBUR128_SUCCESS) {
            sample_peak = std::max(sample_peak, value);
        }
    }
    report.sample_peak = Decibels(sample_peak);
    report.true_peak = Decibels(true_peak_.Peak());
    return report;
}

FeedOutcome FeedLoudness(LSoundSourceBase& source, std::int32_t start, std::int32_t end,
                         LoudnessMeter& meter, const std::function<bool(double)>& next) {
    if (start > 0) {
        source.Seek(start);
    }
    std::vector<Sample> block(static_cast<std::size_t>(source.GetChannels()) * kBlockFrames);
    const auto last = [&] { return end < 0 ? source.GetLength() : end; };
    while (source.GetPosition() < last()) {
        const std::int32_t frames = std::min(kBlockFrames, last() - source.GetPosition());
        source.Read(block.data(), frames);
        if (source.IsError()) {
            return FeedOutcome::kSourceFailed;
        }
        meter.Add(block.data(), frames);
        const std::int32_t span = std::max(1, last() - start);
        if (next && !next(static_cast<double>(source.GetPosition() - start) / span)) {
            return FeedOutcome::kStopped;
        }
    }
    return FeedOutcome::kDone;
}

LPRMeasureLoudness::LPRMeasureLoudness(LSoundSourceRef source, std::int32_t start, std::int32_t end)
    : LProgressDialog("Sonvara"), source_(std::move(source)), start_(start), end_(end) {}

ProcessResult LPRMeasureLoudness::Body() {
    SetText("Análisis de Sonoridad", 0);
    SetText("Midiendo la sonoridad...", 1);
    const auto failed = [this] {
        const std::string why = source_->ErrorText();
        ShowError("No se pudo leer el sonido" + (why.empty() ? std::string(".") : ": " + why));
        return PROCESS_FAILED;
    };
    if (source_->IsError()) {
        return failed();
    }
    LoudnessMeter meter(source_->GetSampleRate(), source_->GetChannels());
    if (!meter.IsValid()) {
        ShowError(kCannotMeasure);
        return PROCESS_FAILED;
    }
    const FeedOutcome fed = FeedLoudness(*source_, start_, end_, meter, [this](double done) {
        if (CheckCancel()) {
            return false;
        }
        SetProgress(done);
        return true;
    });
    if (fed == FeedOutcome::kStopped) {
        return PROCESS_STOPPED;
    }
    if (fed == FeedOutcome::kSourceFailed) {
        return failed();
    }
    if (!meter.IsValid()) {
        ShowError(kCannotMeasure);
        return PROCESS_FAILED;
    }
    report_ = meter.Report();
    return PROCESS_DONE;
}

}  // namespace sonvara
