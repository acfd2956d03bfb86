#pragma once
// The commands of the batch converter: the effects and conversions that a batch script lists and
// that run, one after the other, on the whole of every file.
//
// An item is a command id and a data block with the command's parameters, little-endian, in the
// layout of its command (BatchCommandInfo::fields); the LV2 plug-in command's data is instead the
// text of the plug-in's URI and values (lv2/plugin_settings.h). An item whose data is shorter than
// the layout runs with the values the editor has stored for the command (the point-list files for
// the equalizer and the envelope); longer data is accepted and its first bytes are used.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_stream.h"
#include "core/progress_dialog.h"
#include "core/result.h"
#include "document/cut_list_audio.h"
#include "effects/effect_parameters.h"
#include "effects/point_list.h"
#include "effects/registry/effect_entry.h"

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
    kBatchLoudness = 18,
    kBatchPlugin = 19,
};

struct LBatchCommandItem {
    std::uint32_t id = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const LBatchCommandItem&) const = default;
};

// The parameters an item runs with: its numbers (one per field that is not a point list) and
// its point list, from its data or the stored values.
struct BatchValues : EffectValues {
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
// field (EffectField: its width, its setting, its labels), the check its dialog makes and what it
// does. The effects among the commands are rows made from their registry entries.
struct BatchCommandInfo {
    std::uint32_t id = 0;
    std::string name;
    std::function<ProcessResult(const BatchStep& step, const BatchValues& values)> apply;
    std::vector<EffectField> fields = {};
    // Whether numbers (one per numeric field, each fitting its field) are accepted, with the
    // dialog's message when not; empty when every value is accepted.
    std::function<Result<void>(const EffectValues& values)> check = {};
    // For a command that is a stream filter: adds its stage to a batch run's chain; false when
    // the stage cannot be made (the file then goes through the document, where the command
    // fails with its message). Empty for commands
    // that need the whole of the audio first (normalize, auto trim, ...).
    std::function<bool(BatchStream& stream, const BatchValues& values)> stream = {};
    // For a command whose data is a text instead of numbers in fields (an LV2 plug-in with its
    // values): whether a text is accepted, with the message when it is not.
    std::function<Result<void>(std::string_view text)> check_text = {};
    const EffectEntry* effect = nullptr;  // the registry's entry of an effect's command

    // The point-list file of the equalizer and the envelope; empty for the others.
    std::string_view PointFile() const;
};

// The commands in id order.
std::span<const BatchCommandInfo> BatchCommands();
// nullptr for an unknown id.
const BatchCommandInfo* FindBatchCommand(std::uint32_t id);
// By id ("7") or by name ("Eco"); nullptr when nothing matches.
const BatchCommandInfo* FindBatchCommand(std::string_view id_or_name);

// The data size of a command's layout.
std::size_t BatchDataBytes(const BatchCommandInfo& command);

// An item of `command` holding `numbers` (one per numeric field, in layout order) and, for the
// equalizer and the envelope, `points`. The numbers must fit their fields (see CheckBatchValues).
LBatchCommandItem MakeBatchItem(const BatchCommandInfo& command, const std::vector<int>& numbers,
                                const PointList& points = {});

// Whether `numbers` are values the command's dialog would accept: refused with the dialog's
// message (or, for a value that does not fit its field, a message saying so) when they are not.
Result<void> CheckBatchValues(const BatchCommandInfo& command, const std::vector<int>& numbers);
// The same check of the values an item holds in its data (a script's values); accepted for an
// item without the whole layout (it runs with the stored values) and for an unknown command.
Result<void> CheckBatchItem(const LBatchCommandItem& item);

// A command as typed: its id or name ("7", "Eco"), and after ":" its values in layout order,
// separated by commas ("7:800,50"); without values the item runs with the stored ones. A failure
// for an unknown command or values CheckBatchValues refuses.
Result<LBatchCommandItem> ParseBatchCommand(std::string_view text);
// The text ParseBatchCommand reads back as `item` (of a known command): "ID" or "ID:V1,V2,...".
std::string BatchCommandText(const LBatchCommandItem& item);

// The "Opciones" column of the command list for an item; empty for commands without options.
std::string BatchItemDescription(const LBatchCommandItem& item);

}  // namespace sonvara
