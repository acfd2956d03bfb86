#include "batch/batch_command.h"
#include "batch/plugin_command.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "core/byte_order.h"

namespace sonvara {
namespace {

int DecodeNumber(ValueWidth width, const std::uint8_t* bytes) {
    switch (width) {
        case ValueWidth::kInt8:
            return static_cast<std::int8_t>(bytes[0]);
        case ValueWidth::kUInt8:
            return bytes[0];
        case ValueWidth::kInt16:
            return static_cast<std::int16_t>(LoadLE16(bytes));
        default:
            return static_cast<std::int32_t>(LoadLE32(bytes));
    }
}

// The values of `item`, with its point list only when `with_points` (a stored list is read, and
// written when missing).
BatchValues ItemValues(const BatchCommandInfo& command, const LBatchCommandItem& item,
                       bool with_points) {
    BatchValues values;
    if (command.check_text) {
        values.text.assign(item.data.begin(), item.data.end());
        values.from_data = !item.data.empty();
        return values;
    }
    values.from_data = item.data.size() >= BatchDataBytes(command);
    const std::uint8_t* at = item.data.data();
    for (const EffectField& field : command.fields) {
        if (!field.IsPoints()) {
            StoredValue stored = field.setting.View();
            if (field.batch_default) {
                stored.default_value = *field.batch_default;
            }
            values.numbers.push_back(values.from_data ? DecodeNumber(field.width, at)
                                                      : ReadStoredValue(stored));
        } else if (with_points && values.from_data) {
            values.points.n_points = at[0];
            for (int p = 0; p < kPointListMax; ++p) {
                values.points.points[static_cast<std::size_t>(p)] = {at[1 + 2 * p], at[2 + 2 * p]};
            }
            values.points.Validate();
        } else if (with_points) {
            values.points = LoadStoredPointList(field.point_file);
        }
        if (values.from_data) {
            at += WidthBytes(field.width);
        }
    }
    return values;
}

}  // namespace

const BatchCommandInfo* FindBatchCommand(std::uint32_t id) {
    const std::span<const BatchCommandInfo> commands = BatchCommands();
    return id < commands.size() ? &commands[id] : nullptr;
}

const BatchCommandInfo* FindBatchCommand(std::string_view id_or_name) {
    for (const BatchCommandInfo& command : BatchCommands()) {
        if (command.name == id_or_name || std::to_string(command.id) == id_or_name) {
            return &command;
        }
    }
    return nullptr;
}

std::string_view BatchCommandInfo::PointFile() const {
    for (const EffectField& field : fields) {
        if (field.IsPoints()) {
            return field.point_file;
        }
    }
    return {};
}

std::size_t BatchDataBytes(const BatchCommandInfo& command) {
    std::size_t bytes = 0;
    for (const EffectField& field : command.fields) {
        bytes += WidthBytes(field.width);
    }
    return bytes;
}

BatchValues BatchItemValues(const LBatchCommandItem& item) {
    const BatchCommandInfo* command = FindBatchCommand(item.id);
    return command != nullptr ? ItemValues(*command, item, true) : BatchValues{};
}

LBatchCommandItem MakeBatchItem(const BatchCommandInfo& command, const std::vector<int>& numbers,
                                const PointList& points) {
    LBatchCommandItem item{command.id, {}};
    std::size_t next = 0;
    for (const EffectField& field : command.fields) {
        if (field.IsPoints()) {
            item.data.push_back(points.n_points);
            for (const PointList::Point& point : points.points) {
                item.data.push_back(point.x);
                item.data.push_back(point.y);
            }
            continue;
        }
        const auto value = static_cast<std::uint32_t>(next < numbers.size() ? numbers[next] : 0);
        ++next;
        for (std::size_t b = 0; b < WidthBytes(field.width); ++b) {
            item.data.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
        }
    }
    return item;
}

Result<void> CheckBatchValues(const BatchCommandInfo& command, const std::vector<int>& numbers) {
    std::size_t next = 0;
    for (const EffectField& field : command.fields) {
        if (field.IsPoints()) {
            continue;
        }
        if (next >= numbers.size()) {
            return Failure("Faltan valores para \"" + std::string(command.name) + "\".");
        }
        const int value = numbers[next++];
        if (value < WidthLowest(field.width) || value > WidthHighest(field.width)) {
            return Failure("El valor " + std::to_string(value) + " no cabe en " +
                           field.batch_label + " (" + std::to_string(WidthLowest(field.width)) +
                           " a " + std::to_string(WidthHighest(field.width)) + ").");
        }
    }
    if (next != numbers.size()) {
        return Failure("Demasiados valores para \"" + std::string(command.name) + "\".");
    }
    if (!command.check) {
        return {};
    }
    EffectValues values;
    values.numbers = numbers;
    return command.check(values);
}

Result<void> CheckBatchItem(const LBatchCommandItem& item) {
    const BatchCommandInfo* command = FindBatchCommand(item.id);
    if (command != nullptr && command->check_text) {
        return command->check_text(ItemValues(*command, item, false).text);
    }
    if (command == nullptr || item.data.size() < BatchDataBytes(*command)) {
        return {};
    }
    return CheckBatchValues(*command, BatchItemValues(item).numbers);
}

Result<LBatchCommandItem> ParseBatchCommand(std::string_view text) {
    const std::size_t colon = text.find(':');
    const std::string_view key = text.substr(0, colon);
    const BatchCommandInfo* command =
        key == "lv2" ? FindBatchCommand(kBatchPlugin) : FindBatchCommand(key);
    if (command == nullptr) {
        return Failure("comando desconocido: \"" + std::string(key) +
                       "\" (sonvara-batch commands)");
    }
    if (command->check_text) {
        // The rest is the text: "19:URI:port=value,...".
        const std::string_view data =
            colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
        if (Result<void> check = command->check_text(data); !check) {
            return Failure(check.Message());
        }
        return LBatchCommandItem{command->id, {data.begin(), data.end()}};
    }
    if (colon == std::string_view::npos) {
        return LBatchCommandItem{command->id, {}};  // the stored values, at run time
    }
    std::vector<int> numbers;
    const std::string list(text.substr(colon + 1));
    for (std::size_t at = 0; at <= list.size();) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        const std::string number = list.substr(at, comma - at);
        char* end = nullptr;
        const long value = std::strtol(number.c_str(), &end, 10);
        if (number.empty() || *end != '\0' || value < INT32_MIN || value > INT32_MAX) {
            return Failure("valor no válido \"" + number + "\" en \"" + std::string(text) + "\"");
        }
        numbers.push_back(static_cast<int>(value));
        at = comma + 1;
    }
    if (Result<void> check = CheckBatchValues(*command, numbers); !check) {
        return Failure(check.Message());
    }
    return MakeBatchItem(*command, numbers);
}

std::string BatchCommandText(const LBatchCommandItem& item) {
    std::string text = std::to_string(item.id);
    const BatchCommandInfo* command = FindBatchCommand(item.id);
    if (command != nullptr && command->check_text) {
        return item.data.empty() ? text
                                 : text + ":" + std::string(item.data.begin(), item.data.end());
    }
    if (command == nullptr || item.data.size() < BatchDataBytes(*command)) {
        return text;
    }
    const std::vector<int> numbers = ItemValues(*command, item, false).numbers;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        text += (i == 0 ? ":" : ",") + std::to_string(numbers[i]);
    }
    return text;
}

std::string BatchItemDescription(const LBatchCommandItem& item) {
    const BatchCommandInfo* command = FindBatchCommand(item.id);
    if (command == nullptr) {
        return "";
    }
    const BatchValues values = ItemValues(*command, item, false);
    if (command->check_text) {
        return PluginItemDescription(values.text);
    }
    return ListedValues(command->fields, values, values.from_data);
}

}  // namespace sonvara
