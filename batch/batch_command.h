#pragma once
// The commands of the batch converter: 18 effects and conversions that a batch script lists and
// that run, one after the other, on the whole of every file.
//
// An item is a command id and a data block with the command's parameters, little-endian, in the
// layout of its command (BatchCommandInfo::fields). An item whose data is shorter than the layout
// runs with the values the editor has stored for the command (the point-list files for the
// equalizer and the envelope); longer data is accepted and its first bytes are used.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_stream.h"
#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "effects/effect_parameters.h"
#include "effects/point_list.h"

namespace sonvara {

enum BatchCommandId : std::uint32_t {
    kBatchAutoTrim = 0,
    kBatchSilenceAtStart = 1,
    kBatchSilenceAtEnd = 2,
    kBatchAmplify = 3,
    kBatchNormalize = 4,
    kBatchHighPass = 5,
    kBatchEqualizer = 6,
    kBatchEcho = 7,
    kBatchReverb = 8,
    kBatchEnvelope = 9,
    kBatchAutoGain = 10,
    kBatchNoiseReduction = 11,
    kBatchSpeedSimple = 12,
    kBatchConstantPitch = 13,
    kBatchConstantSpeed = 14,
    kBatchCompressor = 15,
    kBatchConvertRate = 16,
    kBatchConvertChannels = 17,
};

struct LBatchCommandItem {
    std::uint32_t id = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const LBatchCommandItem&) const = default;
};

enum class BatchFieldType { kInt8, kUInt8, kInt16, kInt32, kPointList };

struct BatchField {
    BatchFieldType type;
    std::string_view label;  // what the value is, for listings
    StoredValue stored;      // where the value comes from without data (unused for point lists)
};

// The parameters an item runs with: its numbers (one per field that is not a point list) and
// its point list, from its data or the stored values.
struct BatchValues {
    std::vector<int> numbers;
    PointList points;
    bool from_data = false;  // whether the item held the whole layout
};
BatchValues BatchItemValues(const LBatchCommandItem& item);

// Where a command runs: the whole of `document`, as a step of `process` filling [from, to] of
// its bar.
struct BatchStep {
    LProgressDialog& process;
    LCutListAudio& document;
    double from;
    double to;
};

// A command is one row: what it is called, its data layout with the stored values behind each
// field, the check its dialog makes, the text the command list shows and what it does.
struct BatchCommandInfo {
    std::uint32_t id;
    std::string_view name;
    ProcessResult (*apply)(const BatchStep& step, const BatchValues& values);
    std::span<const BatchField> fields = {};
    std::string_view point_file = {};  // the point-list file of the equalizer and the envelope
    // "" for numbers (one per numeric field, each fitting its field) that the dialog accepts,
    // else its message; nullptr when every value is accepted.
    std::string_view (*check)(const std::vector<int>& numbers) = nullptr;
    // The "Opciones" column of the command list; nullptr for commands without options. Listing
    // never reads the point files: `values` holds no points.
    std::string (*describe)(const BatchValues& values) = nullptr;
    // For a command that is a stream filter: adds its stage to a batch run's chain; false when
    // the values give no effect (the command then fails, as on a document). nullptr for commands
    // that need the whole of the audio first (normalize, auto trim, ...).
    bool (*stream)(BatchStream& stream, const BatchValues& values) = nullptr;
};

// The 18 commands in id order.
std::span<const BatchCommandInfo> BatchCommands();
// nullptr for an unknown id.
const BatchCommandInfo* FindBatchCommand(std::uint32_t id);
// By id ("7") or by name ("Eco"); nullptr when nothing matches.
const BatchCommandInfo* FindBatchCommand(std::string_view id_or_name);

std::size_t BatchFieldBytes(BatchFieldType type);
// The data size of a command's layout.
std::size_t BatchDataBytes(const BatchCommandInfo& command);

// An item of `command` holding `numbers` (one per numeric field, in layout order) and, for the
// equalizer and the envelope, `points`. The numbers must fit their fields (see CheckBatchValues).
LBatchCommandItem MakeBatchItem(const BatchCommandInfo& command, const std::vector<int>& numbers,
                                const PointList& points = {});

// Whether `numbers` are values the command's dialog would accept: "" when they are, else the
// dialog's message (or, for a value that does not fit its field, a message saying so).
std::string CheckBatchValues(const BatchCommandInfo& command, const std::vector<int>& numbers);
// The same check of the values an item holds in its data (a script's values); "" for an item
// without the whole layout (it runs with the stored values) and for an unknown command.
std::string CheckBatchItem(const LBatchCommandItem& item);

// A command as typed: its id or name ("7", "Eco"), and after ":" its values in layout order,
// separated by commas ("7:800,50"); without values the item runs with the stored ones. Nothing,
// with the message in `problem`, for an unknown command or values CheckBatchValues refuses.
std::optional<LBatchCommandItem> ParseBatchCommand(std::string_view text, std::string& problem);
// The text ParseBatchCommand reads back as `item` (of a known command): "ID" or "ID:V1,V2,...".
std::string BatchCommandText(const LBatchCommandItem& item);

// The "Opciones" column of the command list for an item; empty for commands without options.
std::string BatchItemDescription(const LBatchCommandItem& item);

}  // namespace sonvara
