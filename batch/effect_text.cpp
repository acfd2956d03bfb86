#include "batch/effect_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "audio/sound_time.h"
#include "effects/envelope.h"

namespace sonvara {
namespace {

constexpr double kTopHz = 20000;  // x 255 on the equalizer's graph
constexpr double kUnityLevel = 128;

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(Trim(text)) + "\"";
}

// Removes `suffix` (compared without regard to case) and the blanks before it.
bool StripSuffix(std::string_view& text, std::string_view suffix) {
    if (text.size() < suffix.size()) {
        return false;
    }
    const std::string_view end = text.substr(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(end[i])) != suffix[i]) {
            return false;
        }
    }
    text = Trim(text.substr(0, text.size() - suffix.size()));
    return true;
}

// A plain decimal: an optional sign, digits and at most one ".", nothing else. At most 15
// digits, so that every value is finite and exact enough.
std::optional<double> ParseDecimal(std::string_view text, bool sign_allowed = true) {
    std::size_t at = 0;
    if (sign_allowed && !text.empty() && (text[0] == '+' || text[0] == '-')) {
        at = 1;
    }
    int digits = 0;
    bool point = false;
    for (std::size_t i = at; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            ++digits;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || digits > 15) {
        return std::nullopt;
    }
    // from_chars reads no sign "+" and needs a digit before ".": give it the digits alone.
    std::string digits_only = "0" + std::string(text.substr(at));
    double value = 0;
    const auto [end, error] =
        std::from_chars(digits_only.data(), digits_only.data() + digits_only.size(), value);
    if (error != std::errc() || end != digits_only.data() + digits_only.size()) {
        return std::nullopt;
    }
    return text[0] == '-' ? -value : value;
}

// `value` with `decimals` decimals, without the zeros (and the point) it ends with.
std::string Decimal(double value, int decimals) {
    std::array<char, 64> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                      std::chars_format::fixed, decimals);
    std::string out(text.data(), result.ptr);
    if (out.find('.') != std::string::npos) {
        out.erase(out.find_last_not_of('0') + 1);
        if (out.back() == '.') {
            out.pop_back();
        }
    }
    return out;
}

// "M:SS", "M:SS.f", "H:MM:SS.f" in milliseconds; the fields after the first are below 60.
std::optional<double> ClockMilliseconds(std::string_view text) {
    std::vector<std::string_view> fields;
    for (std::size_t at = 0;;) {
        const std::size_t colon = text.find(':', at);
        fields.push_back(text.substr(at, colon - at));
        if (colon == std::string_view::npos) {
            break;
        }
        at = colon + 1;
    }
    if (fields.size() > 3) {
        return std::nullopt;
    }
    double seconds = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const bool last = i + 1 == fields.size();
        if (!last && fields[i].find('.') != std::string_view::npos) {
            return std::nullopt;
        }
        const std::optional<double> value = ParseDecimal(fields[i], false);
        if (!value || (i > 0 && *value >= 60)) {
            return std::nullopt;
        }
        seconds = seconds * 60 + *value;
    }
    return seconds * 1000;
}

double PercentPerStep(LevelScale scale) {
    return scale == LevelScale::kEqualizer ? 100.0 / 128 : 200.0 / 255;
}

// The x of 0 to 255 whose place along `length` frames lies nearest to `frame`.
std::uint8_t NearestPointX(std::int64_t frame, std::int64_t length) {
    if (length <= 0) {
        return 0;
    }
    int x = static_cast<int>(std::min<std::int64_t>(frame * 255 / length, 255));
    while (x < 255 && EnvelopePointFrame(length, static_cast<std::uint8_t>(x + 1)) <= frame) {
        ++x;
    }
    if (x < 255 && EnvelopePointFrame(length, static_cast<std::uint8_t>(x + 1)) - frame <
                       frame - EnvelopePointFrame(length, static_cast<std::uint8_t>(x))) {
        ++x;
    }
    return static_cast<std::uint8_t>(x);
}

// The "A:B,..." points of `text` split at their last ":"; nothing when there are not 2 to 64 of
// them or one has no ":".
Result<std::vector<std::pair<std::string_view, std::string_view>>> SplitPoints(
    std::string_view text, std::string_view form) {
    std::vector<std::pair<std::string_view, std::string_view>> points;
    text = Trim(text);
    for (std::size_t at = 0; !text.empty() && points.size() <= kPointListMax;) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string_view point = Trim(text.substr(at, comma - at));
        const std::size_t colon = point.rfind(':');
        if (colon == std::string_view::npos) {
            return Failure("punto no válido: " + Quoted(point) + " (" + std::string(form) + ")");
        }
        points.emplace_back(point.substr(0, colon), point.substr(colon + 1));
        if (comma == text.size()) {
            break;
        }
        at = comma + 1;
    }
    if (points.size() < 2 || points.size() > kPointListMax) {
        return Failure("se necesitan de 2 a 64 puntos " + std::string(form) +
                       ", separados por comas");
    }
    return points;
}

}  // namespace

Result<EffectTime> ParseEffectTime(std::string_view text) {
    std::string_view stem = Trim(text);
    if (StripSuffix(stem, "%")) {
        const std::optional<double> share = ParseDecimal(stem);
        if (!share || *share < 0 || *share > 100) {
            return Failure("porcentaje no válido: " + Quoted(text) + " (de 0% a 100% del archivo)");
        }
        return EffectTime{true, std::llround(*share * 100)};
    }
    std::optional<double> milliseconds;
    if (StripSuffix(stem, "ms")) {
        milliseconds = ParseDecimal(stem);
    } else if (stem.find(':') != std::string_view::npos) {
        milliseconds = ClockMilliseconds(stem);
    } else {
        StripSuffix(stem, "s");
        const std::optional<double> seconds = ParseDecimal(stem);
        if (seconds) {
            milliseconds = *seconds * 1000;
        }
    }
    if (!milliseconds || *milliseconds < 0) {
        return Failure("tiempo no válido: " + Quoted(text) +
                       " (segundos: 1.5 o 1.5s; 250ms; 1:30.5; o un porcentaje del archivo: 25%)");
    }
    const long long rounded = std::llround(*milliseconds);
    if (rounded > std::numeric_limits<std::int32_t>::max()) {
        return Failure("tiempo demasiado largo: " + Quoted(text));
    }
    return EffectTime{false, rounded};
}

std::string EffectTimeText(const EffectTime& time) {
    return time.percent ? Decimal(static_cast<double>(time.amount) / 100, 2) + "%"
                        : Decimal(static_cast<double>(time.amount) / 1000, 3) + "s";
}

Result<std::int32_t> EffectTimeFrame(const EffectTime& time, std::int32_t length,
                                     std::int32_t rate) {
    if (time.percent) {
        return static_cast<std::int32_t>((std::int64_t{length} * time.amount + 5000) / 10000);
    }
    rate = std::max(rate, 1);
    const std::int64_t length_ms = (std::int64_t{length} * 1000 + rate - 1) / rate;
    if (time.amount > length_ms) {
        return Failure("el tiempo " + EffectTimeText(time) + " pasa del final del archivo (" +
                       LSoundTime(MillisecondsFromFrames(length, rate)).MillisecondsText() + ")");
    }
    return std::min(length, FramesFromMilliseconds(static_cast<std::int32_t>(time.amount), rate));
}

Result<std::uint8_t> ParseLevel(std::string_view text, LevelScale scale) {
    std::string_view stem = Trim(text);
    std::optional<double> y;
    if (StripSuffix(stem, "db")) {
        if (const std::optional<double> decibels = ParseDecimal(stem)) {
            y = kUnityLevel * std::pow(10.0, *decibels / 20);
        }
    } else {
        StripSuffix(stem, "%");
        if (const std::optional<double> percent = ParseDecimal(stem); percent && *percent >= 0) {
            y = *percent / PercentPerStep(scale);
        }
    }
    if (!y) {
        return Failure("nivel no válido: " + Quoted(text) +
                       " (un porcentaje como 50% o decibelios como -6dB)");
    }
    if (!(*y < 255.5)) {
        return Failure("nivel demasiado alto: " + Quoted(text) + " (el máximo es " +
                       LevelText(255, scale) + " o +6dB)");
    }
    return static_cast<std::uint8_t>(std::lround(*y));
}

std::string LevelText(std::uint8_t y, LevelScale scale) {
    return Decimal(y * PercentPerStep(scale), 2) + "%";
}

Result<std::uint8_t> ParseFrequency(std::string_view text) {
    std::string_view stem = Trim(text);
    double unit = 1;
    if (StripSuffix(stem, "khz") || StripSuffix(stem, "k")) {
        unit = 1000;
    } else {
        StripSuffix(stem, "hz");
    }
    const std::optional<double> value = ParseDecimal(stem);
    if (!value || *value < 0 || *value * unit > kTopHz) {
        return Failure("frecuencia no válida: " + Quoted(text) +
                       " (de 0 a 20000 Hz, como 1000, 1000Hz o 2.5kHz)");
    }
    return static_cast<std::uint8_t>(std::lround(*value * unit * 255 / kTopHz));
}

std::string FrequencyText(std::uint8_t x) {
    return std::to_string(std::lround(x * kTopHz / 255));
}

Result<std::vector<PointList::Point>> ParseEqualizerPoints(std::string_view text) {
    const auto split = SplitPoints(text, "FRECUENCIA:NIVEL");
    if (!split) {
        return Failure(split.Message());
    }
    std::vector<PointList::Point> points;
    for (const auto& [frequency, level] : *split) {
        const Result<std::uint8_t> x = ParseFrequency(frequency);
        if (!x) {
            return Failure(x.Message());
        }
        const Result<std::uint8_t> y = ParseLevel(level, LevelScale::kEqualizer);
        if (!y) {
            return Failure(y.Message());
        }
        if (!points.empty() && *x < points.back().x) {
            return Failure("los puntos van en orden de frecuencia: " + Quoted(frequency) +
                           " viene después de \"" + FrequencyText(points.back().x) + "\"");
        }
        points.push_back({*x, *y});
    }
    return points;
}

std::string EqualizerPointsText(const std::vector<PointList::Point>& points) {
    std::string text;
    for (const PointList::Point& point : points) {
        text += (text.empty() ? "" : ",") + FrequencyText(point.x) + ":" +
                LevelText(point.y, LevelScale::kEqualizer);
    }
    return text;
}

Result<std::vector<EnvelopeTextPoint>> ParseEnvelopePoints(std::string_view text) {
    const auto split = SplitPoints(text, "TIEMPO:NIVEL");
    if (!split) {
        return Failure(split.Message());
    }
    std::vector<EnvelopeTextPoint> points;
    std::array<std::optional<EffectTime>, 2> last;  // by kind: milliseconds, percent
    for (const auto& [time, level] : *split) {
        const Result<EffectTime> at = ParseEffectTime(time);
        if (!at) {
            return Failure(at.Message());
        }
        const Result<std::uint8_t> y = ParseLevel(level, LevelScale::kEnvelope);
        if (!y) {
            return Failure(y.Message());
        }
        std::optional<EffectTime>& before = last[at->percent ? 1 : 0];
        if (before && at->amount < before->amount) {
            return Failure("los puntos van en orden de tiempo: " + Quoted(time) +
                           " viene después de \"" + EffectTimeText(*before) + "\"");
        }
        before = *at;
        points.push_back({*at, *y});
    }
    return points;
}

std::string EnvelopePointsText(const std::vector<EnvelopeTextPoint>& points) {
    std::string text;
    for (const EnvelopeTextPoint& point : points) {
        text += (text.empty() ? "" : ",") + EffectTimeText(point.at) + ":" +
                LevelText(point.level, LevelScale::kEnvelope);
    }
    return text;
}

Result<PointList> EnvelopePointList(const std::vector<EnvelopeTextPoint>& points,
                                    std::int32_t length, std::int32_t rate) {
    PointList list;
    list.n_points = 0;
    for (std::size_t i = 0; i < points.size() && i < kPointListMax; ++i) {
        const EnvelopeTextPoint& point = points[i];
        std::uint8_t x = 0;
        if (point.at.percent) {
            x = static_cast<std::uint8_t>(
                std::lround(static_cast<double>(point.at.amount) * 255 / 10000));
        } else {
            const Result<std::int32_t> frame = EffectTimeFrame(point.at, length, rate);
            if (!frame) {
                return Failure(frame.Message());
            }
            x = NearestPointX(*frame, length);
        }
        if (i > 0 && x < list.points[i - 1].x) {
            return Failure("los puntos van en orden de tiempo: \"" + EffectTimeText(point.at) +
                           "\" viene después de \"" + EffectTimeText(points[i - 1].at) + "\"");
        }
        list.points[i] = {x, point.level};
        ++list.n_points;
    }
    return list;
}

}  // namespace sonvara
