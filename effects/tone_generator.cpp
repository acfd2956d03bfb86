#include "effects/tone_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string_view>

namespace sonvara {

namespace {

constexpr std::int32_t kLongestMilliseconds = 3600 * 1000;
constexpr int kPinkRows = 16;

// A well-mixed 64-bit value from `x` (splitmix64's finalizer): noise that depends on the frame
// number alone.
std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15u;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}

// A uniform value in [-1, 1) from `x`.
double Uniform(std::uint64_t x) {
    return static_cast<double>(Mix(x) >> 11) * 0x1.0p-52 - 1.0;
}

// The phase in [0, 1) of a tone of `hertz` at `frame`, exact however long the file.
double Phase(std::int64_t hertz, std::int64_t frame, std::int32_t rate) {
    return static_cast<double>(hertz * frame % rate) / rate;
}

double Sine(std::int64_t hertz, std::int64_t frame, std::int32_t rate) {
    return std::sin(2 * std::numbers::pi * Phase(hertz, frame, rate));
}

class LSRCToneGenerator : public LSoundSourceBase {
  public:
    explicit LSRCToneGenerator(const ToneParameters& parameters)
        : LSoundSourceBase(parameters.sample_rate, parameters.channels,
                           static_cast<Sample>(std::ceil(Amplitude(parameters.level_db)))),
          parameters_(parameters),
          amplitude_(Amplitude(parameters.level_db)),
          length_(ToneFrames(parameters)) {}

    void Read(Sample* buffer, std::int32_t frames) override {
        const int channels = GetChannels();
        for (std::int32_t i = 0; i < frames; ++i, ++position_) {
            const double value = position_ < length_ ? Value(position_) : 0.0;
            const auto sample = static_cast<Sample>(std::lround(value * amplitude_));
            for (int c = 0; c < channels; ++c) {
                *buffer++ = sample;
            }
        }
    }
    std::int32_t GetPosition() const override { return position_; }
    std::int32_t GetLength() const override { return length_; }
    void Seek(std::int32_t frame) override { position_ = std::clamp(frame, 0, length_); }

  private:
    static double Amplitude(std::int32_t level_db) {
        return FULL_SCALE * std::pow(10.0, level_db / 20.0);
    }

    // The sample at `frame`, within [-1, 1].
    double Value(std::int64_t frame) const {
        const std::int32_t rate = GetSampleRate();
        switch (parameters_.shape) {
            case ToneShape::kSine:
                return Sine(parameters_.frequency, frame, rate);
            case ToneShape::kSquare:
                return Phase(parameters_.frequency, frame, rate) < 0.5 ? 1.0 : -1.0;
            case ToneShape::kSawtooth:
                return 2 * Phase(parameters_.frequency, frame, rate) - 1;
            case ToneShape::kDtmf:
                return Dtmf(frame, rate);
            case ToneShape::kWhiteNoise:
                return Uniform(static_cast<std::uint64_t>(frame));
            case ToneShape::kPinkNoise:
                return Pink(static_cast<std::uint64_t>(frame));
        }
        return 0;
    }

    double Dtmf(std::int64_t frame, std::int32_t rate) const {
        const std::int64_t tone = std::int64_t{rate} * kDtmfToneMilliseconds / 1000;
        const std::int64_t digit =
            std::int64_t{rate} * (kDtmfToneMilliseconds + kDtmfGapMilliseconds) / 1000;
        const std::int64_t within = frame % digit;
        if (within >= tone) {
            return 0;
        }
        const auto index = static_cast<std::size_t>(frame / digit);
        if (index >= parameters_.digits.size()) {
            return 0;  // the length's rounding may leave a frame or two past the last digit
        }
        const std::optional<DtmfPair> pair = DtmfFrequencies(parameters_.digits[index]);
        if (!pair) {
            return 0;
        }
        return 0.5 * (Sine(pair->low, within, rate) + Sine(pair->high, within, rate));
    }

    // Voss and McCartney's pink noise: the sum of rows of white noise, row k drawing a new value
    // every 2^k frames, so that each octave down has as much power as the one above. The sum of
    // 17 uniform values rarely strays past a third of its range: scaled up three times, clipped.
    static double Pink(std::uint64_t frame) {
        double sum = Uniform(frame);
        for (int row = 0; row < kPinkRows; ++row) {
            sum += Uniform((frame >> row) * 0x100 + static_cast<std::uint64_t>(row) + 1);
        }
        return std::clamp(3.0 * sum / (kPinkRows + 1), -1.0, 1.0);
    }

    ToneParameters parameters_;
    double amplitude_;
    std::int32_t length_;
    std::int32_t position_ = 0;
};

}  // namespace

Result<void> Check(const ToneParameters& parameters) {
    if (parameters.sample_rate < 6000 || parameters.sample_rate > 96000) {
        return Failure("Las tasas de muestra deben estar entre 6000 y 96000 muestras por segundo.");
    }
    if (parameters.channels != 1 && parameters.channels != 2) {
        return Failure("El archivo debe tener 1 o 2 canales.");
    }
    if (parameters.level_db < -96 || parameters.level_db > 0) {
        return Failure("El nivel debe estar entre -96 y 0 dB.");
    }
    switch (parameters.shape) {
        case ToneShape::kDtmf:
            if (parameters.digits.empty() || parameters.digits.size() > 1000 ||
                !std::all_of(parameters.digits.begin(), parameters.digits.end(),
                             [](char c) { return DtmfFrequencies(c).has_value(); })) {
                return Failure("Escriba de 1 a 1000 dígitos entre 0-9, *, # y A-D.");
            }
            return {};
        case ToneShape::kSine:
        case ToneShape::kSquare:
        case ToneShape::kSawtooth:
            if (parameters.frequency < 1 || parameters.frequency >= parameters.sample_rate / 2) {
                return Failure(
                    "La frecuencia debe estar entre 1 Hz y la mitad de la tasa de muestra.");
            }
            break;
        case ToneShape::kWhiteNoise:
        case ToneShape::kPinkNoise:
            break;
    }
    if (parameters.milliseconds < 1 || parameters.milliseconds > kLongestMilliseconds) {
        return Failure("La duración debe estar entre 1 ms y una hora.");
    }
    return {};
}

std::optional<DtmfPair> DtmfFrequencies(char digit) {
    static constexpr std::array<int, 4> kLow = {697, 770, 852, 941};
    static constexpr std::array<int, 4> kHigh = {1209, 1336, 1477, 1633};
    static constexpr std::string_view kKeys = "123A456B789C*0#D";
    const std::size_t at = kKeys.find(digit);
    if (digit == '\0' || at == std::string_view::npos) {
        return std::nullopt;
    }
    return DtmfPair{kLow[at / 4], kHigh[at % 4]};
}

std::int32_t ToneFrames(const ToneParameters& parameters) {
    const std::int64_t milliseconds = parameters.shape == ToneShape::kDtmf
                                          ? static_cast<std::int64_t>(parameters.digits.size()) *
                                                (kDtmfToneMilliseconds + kDtmfGapMilliseconds)
                                          : parameters.milliseconds;
    return static_cast<std::int32_t>(milliseconds * parameters.sample_rate / 1000);
}

LSoundSourceRef MakeToneSource(const ToneParameters& parameters) {
    return LSoundSourceRef(new LSRCToneGenerator(parameters));
}

}  // namespace sonvara
