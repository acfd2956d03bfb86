#pragma once
// The values of an effect as data: a field description for each value (where the value is kept
// between runs, what a dialog's field may hold, how a batch script stores it, how it is typed and
// listed) and the values themselves in field order. Built-in effects describe their fields once
// in their registry entry; effects found at run time describe theirs the same way.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/result.h"
#include "effects/effect_parameters.h"
#include "effects/point_list.h"

namespace sonvara {

// How a value is stored in a batch script's data block (little-endian); a point list is its count
// and 64 (x, y) byte pairs.
enum class ValueWidth : std::uint8_t { kInt8, kUInt8, kInt16, kInt32, kPointList };

// The unit a value is typed and written in on a command line ("800ms", "50%", "250Hz", "-30dB");
// a value of a choice is written as its choice's text.
enum class ValueUnit : std::uint8_t { kNone, kPercent, kMilliseconds, kHertz, kDecibels };

// Where a value is kept between runs: `key` in `section` (the default when not set).
// `old_section`, when set, is where earlier versions kept it (see StoredValue).
struct FieldSetting {
    std::string section;
    std::string key;
    std::int32_t default_value = 0;
    std::string old_section = {};

    static FieldSetting Of(const StoredValue& value) {
        return {std::string(value.section), std::string(value.name), value.default_value,
                std::string(value.old_section)};
    }
    StoredValue View() const { return {section, key, default_value, old_section}; }
};

struct EffectField {
    FieldSetting setting = {};  // its key is also the name of the dialog's field
    ValueWidth width = ValueWidth::kInt32;
    ValueUnit unit = ValueUnit::kNone;
    // What the dialog's field can hold; the effect's check decides what is accepted.
    std::int32_t lowest = 0;
    std::int32_t highest = 0;
    std::string label = {};        // the dialog's label: "Tiempo de Eco (ms)"
    std::string batch_label = {};  // in the batch converter's messages: "tiempo (ms)"
    std::string listed = {};       // in the command list's "Opciones" column: "Ganancia de Eco (%)"
    std::vector<std::string> choices = {};  // a choice's texts (the value is the index)
    // Common values of a number, offered beside it: the value and what it is for.
    std::vector<std::pair<std::int32_t, std::string>> suggestions = {};
    // A batch item without data falls back on the stored value, with this default when it
    // differs from the dialog's.
    std::optional<std::int32_t> batch_default = {};
    // What the command list shows for an item without data, where it is not the stored value.
    std::optional<std::int32_t> listed_without_data = {};
    std::string point_file = {};  // a point list's file in the data folder

    bool IsPoints() const { return width == ValueWidth::kPointList; }
};

// An effect's values: one number per numeric field, in field order, the point list of an effect
// with a point-list field, and the text of an effect whose values are a text.
struct EffectValues {
    std::vector<int> numbers;
    PointList points;
    std::string text;  // the values of an effect that takes a text (an LV2 plug-in's)
    bool operator==(const EffectValues& other) const;
};

// The numbers of `fields` as stored, their defaults where nothing is; `for_batch` takes the batch
// converter's defaults. Point lists are not read here.
EffectValues ReadStoredValues(const std::vector<EffectField>& fields, bool for_batch = false);
// False when a number could not be written; the others are written all the same.
bool WriteStoredValues(const std::vector<EffectField>& fields, const EffectValues& values);

// The smallest and largest number a batch script's data can hold for `width`.
std::int64_t WidthLowest(ValueWidth width);
std::int64_t WidthHighest(ValueWidth width);
std::size_t WidthBytes(ValueWidth width);

// A value as typed on a command line: a whole number, with the field's unit after it or not
// ("800ms" or "800"), or for a choice its text or its index.
Result<int> ParseFieldValue(const EffectField& field, std::string_view text);
// The text ParseFieldValue reads back as `value`.
std::string FieldValueText(const EffectField& field, int value);
// `values` as the command list's "Opciones" column shows them: "LISTED = VALUE, ..."; a choice
// outside its list shows "?", a point list the hint to open the options.
std::string ListedValues(const std::vector<EffectField>& fields, const EffectValues& values,
                         bool from_data);

// Converts a parameter struct to the values of its stored fields (in their order) and back: the
// one conversion between an effect's typed parameters and its generic values. The fields not
// listed keep the values of `parameters`.
template <typename Parameters, std::size_t N>
EffectValues ToValues(const StoredFields<Parameters, N>& fields, const Parameters& parameters) {
    EffectValues values;
    for (const StoredField<Parameters>& field : fields) {
        values.numbers.push_back(parameters.*field.member);
    }
    return values;
}

template <typename Parameters, std::size_t N>
Parameters FromValues(const StoredFields<Parameters, N>& fields, const EffectValues& values,
                      Parameters parameters = {}) {
    std::size_t next = 0;
    for (const StoredField<Parameters>& field : fields) {
        parameters.*field.member = next < values.numbers.size() ? values.numbers[next] : 0;
        ++next;
    }
    return parameters;
}

}  // namespace sonvara
