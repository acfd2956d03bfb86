#include "effects/registry/effect_values.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace sonvara {
namespace {

std::string_view UnitText(ValueUnit unit) {
    switch (unit) {
        case ValueUnit::kPercent:
            return "%";
        case ValueUnit::kMilliseconds:
            return "ms";
        case ValueUnit::kHertz:
            return "Hz";
        case ValueUnit::kDecibels:
            return "dB";
        case ValueUnit::kNone:
            break;
    }
    return "";
}

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (suffix.empty() || text.size() < suffix.size()) {
        return false;
    }
    return std::equal(suffix.begin(), suffix.end(),
                      text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char a, char b) { return (a | 0x20) == (b | 0x20); });
}

}  // namespace

bool EffectValues::operator==(const EffectValues& other) const {
    return numbers == other.numbers && text == other.text &&
           points.Count() == other.points.Count() &&
           std::equal(points.points.begin(), points.points.begin() + points.Count(),
                      other.points.points.begin());
}

EffectValues ReadStoredValues(const std::vector<EffectField>& fields, bool for_batch) {
    EffectValues values;
    for (const EffectField& field : fields) {
        if (field.IsPoints()) {
            continue;
        }
        StoredValue stored = field.setting.View();
        if (for_batch && field.batch_default) {
            stored.default_value = *field.batch_default;
        }
        values.numbers.push_back(ReadStoredValue(stored));
    }
    return values;
}

bool WriteStoredValues(const std::vector<EffectField>& fields, const EffectValues& values) {
    bool written = true;
    std::size_t next = 0;
    for (const EffectField& field : fields) {
        if (!field.IsPoints() && next < values.numbers.size()) {
            written = WriteStoredValue(field.setting.View(), values.numbers[next++]) && written;
        }
    }
    return written;
}

std::int64_t WidthLowest(ValueWidth width) {
    switch (width) {
        case ValueWidth::kInt8:
            return std::numeric_limits<std::int8_t>::min();
        case ValueWidth::kInt16:
            return std::numeric_limits<std::int16_t>::min();
        case ValueWidth::kInt32:
            return std::numeric_limits<std::int32_t>::min();
        default:
            return 0;
    }
}

std::int64_t WidthHighest(ValueWidth width) {
    switch (width) {
        case ValueWidth::kInt8:
            return std::numeric_limits<std::int8_t>::max();
        case ValueWidth::kUInt8:
            return std::numeric_limits<std::uint8_t>::max();
        case ValueWidth::kInt16:
            return std::numeric_limits<std::int16_t>::max();
        default:
            return std::numeric_limits<std::int32_t>::max();
    }
}

std::size_t WidthBytes(ValueWidth width) {
    switch (width) {
        case ValueWidth::kInt8:
        case ValueWidth::kUInt8:
            return 1;
        case ValueWidth::kInt16:
            return 2;
        case ValueWidth::kInt32:
            return 4;
        case ValueWidth::kPointList:
            return 1 + 2 * kPointListMax;
    }
    return 0;
}

Result<int> ParseFieldValue(const EffectField& field, std::string_view text) {
    const std::string_view typed = Trim(text);
    for (std::size_t i = 0; i < field.choices.size(); ++i) {
        if (field.choices[i] == typed) {
            return static_cast<int>(i);
        }
    }
    std::string_view number = typed;
    if (EndsWithNoCase(number, UnitText(field.unit))) {
        number = Trim(number.substr(0, number.size() - UnitText(field.unit).size()));
    }
    if (!number.empty() && number[0] == '+') {
        number.remove_prefix(1);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (number.empty() || error != std::errc() || end != number.data() + number.size()) {
        std::string expected = "un número entero";
        if (!UnitText(field.unit).empty()) {
            expected += " (" + FieldValueText(field, field.setting.default_value) + ")";
        }
        if (!field.choices.empty()) {
            expected += " o uno de";
            for (const std::string& choice : field.choices) {
                expected += " " + choice;
            }
        }
        return Failure("valor no válido para " + field.batch_label + ": \"" + std::string(typed) +
                       "\" (" + expected + ")");
    }
    return value;
}

std::string FieldValueText(const EffectField& field, int value) {
    if (value >= 0 && static_cast<std::size_t>(value) < field.choices.size()) {
        return field.choices[static_cast<std::size_t>(value)];
    }
    return std::to_string(value) + std::string(UnitText(field.unit));
}

std::string ListedValues(const std::vector<EffectField>& fields, const EffectValues& values,
                         bool from_data) {
    std::string text;
    std::size_t next = 0;
    for (const EffectField& field : fields) {
        if (field.IsPoints()) {
            return "Haga click en Opciones para ver o cambiar.";
        }
        int value = next < values.numbers.size() ? values.numbers[next] : 0;
        ++next;
        if (!from_data && field.listed_without_data) {
            value = *field.listed_without_data;
        }
        std::string shown = std::to_string(value);
        if (!field.choices.empty()) {
            shown = value >= 0 && static_cast<std::size_t>(value) < field.choices.size()
                        ? field.choices[static_cast<std::size_t>(value)]
                        : "?";
        }
        text += (text.empty() ? "" : ", ") + field.listed + " = " + shown;
    }
    return text;
}

}  // namespace sonvara
