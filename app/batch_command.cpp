#include "app/batch_command.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "effects/compressor.h"

namespace sonvara {
namespace {

using enum BatchFieldType;

// Values the batch converter keeps beside the effects' own.
constexpr StoredValue kBatchConstSpeedPitch{kStoredValues, "ConstSpeedPitch", 100};
constexpr StoredValue kConvertChannel{kStoredValues, "ConvertChannel", 1};
constexpr StoredValue kNoStoredValue{kStoredValues, "", 0};

constexpr std::array<BatchField, 1> kSilence{{{kInt32, "tiempo (ms)", kSilenceTimes}}};
constexpr std::array<BatchField, 1> kAmplify{{{kInt16, "ganancia (%)", kAmplifyGain}}};
constexpr std::array<BatchField, 1> kNormalize{{{kInt16, "nivel (%)", kNormalizePeakLevel}}};
constexpr std::array<BatchField, 1> kHighPass{{{kInt32, "frecuencia (Hz)", kLowCutFreq}}};
constexpr std::array<BatchField, 1> kPoints{{{kPointList, "puntos", kNoStoredValue}}};
constexpr std::array<BatchField, 2> kEcho{
    {{kInt32, "tiempo (ms)", kEchoTime}, {kInt16, "ganancia (%)", kEchoGain}}};
constexpr std::array<BatchField, 2> kReverb{
    {{kInt32, "tiempo (ms)", kReverbTime}, {kInt16, "nivel (%)", kReverbLevel}}};
constexpr std::array<BatchField, 1> kNoise{{{kInt8, "nivel (dB)", kNoiseGateLevel}}};
constexpr std::array<BatchField, 1> kSpeedSimple{{{kInt16, "porcentaje", kSpSpeedPitch}}};
constexpr std::array<BatchField, 1> kConstantPitch{{{kInt16, "porcentaje", kConstPitchSpeed}}};
constexpr std::array<BatchField, 1> kConstantSpeed{{{kInt16, "porcentaje", kBatchConstSpeedPitch}}};
constexpr std::array<BatchField, 3> kCompressor{{{kInt8, "umbral (dB)", kCompressorThreshold},
                                                 {kUInt8, "ratio (0 a 6)", kCompressorRatio},
                                                 {kInt8, "límite (dB)", kCompressorLimit}}};
constexpr std::array<BatchField, 1> kRate{{{kInt32, "tasa (Hz)", kConvertSampleRate}}};
constexpr std::array<BatchField, 1> kChannels{{{kUInt8, "canales", kConvertChannel}}};

const std::array<BatchCommandInfo, 18> kCommands{{
    {kBatchAutoTrim, "Auto Recortar", {}, {}},
    {kBatchSilenceAtStart, "Insertar Silencio al comienzo", kSilence, {}},
    {kBatchSilenceAtEnd, "Insertar Silencio al final", kSilence, {}},
    {kBatchAmplify, "Amplificador", kAmplify, {}},
    {kBatchNormalize, "Normalizador", kNormalize, {}},
    {kBatchHighPass, "Filtro High-Pass", kHighPass, {}},
    {kBatchEqualizer, "Ecualizador", kPoints, kEqualizerPointsFile},
    {kBatchEcho, "Eco", kEcho, {}},
    {kBatchReverb, "Reverberancia", kReverb, {}},
    {kBatchEnvelope, "Envolver", kPoints, kEnvelopePointsFile},
    {kBatchAutoGain, "Control Automático de Ganancia", {}, {}},
    {kBatchNoiseReduction, "Reducción de Ruido", kNoise, {}},
    {kBatchSpeedSimple, "Cambio Simple de Velocidad y Tono", kSpeedSimple, {}},
    {kBatchConstantPitch, "Cambio Constante de Tono y Velocidad", kConstantPitch, {}},
    {kBatchConstantSpeed, "Cambio Constante de Velocidad y Tono", kConstantSpeed, {}},
    {kBatchCompressor, "Compresor de Rango Dinámico", kCompressor, {}},
    {kBatchConvertRate, "Convertir la Tasa de Muestra", kRate, {}},
    {kBatchConvertChannels, "Convertir los Canales (Mono <-> Estéreo)", kChannels, {}},
}};

// The bytes of a point list in a data block: the count, then 64 (x, y) pairs.
constexpr std::size_t kPointListBytes = 1 + 2 * kPointListMax;

std::int64_t FieldMin(BatchFieldType type) {
    switch (type) {
        case kInt8:
            return std::numeric_limits<std::int8_t>::min();
        case kInt16:
            return std::numeric_limits<std::int16_t>::min();
        case kInt32:
            return std::numeric_limits<std::int32_t>::min();
        default:
            return 0;
    }
}

std::int64_t FieldMax(BatchFieldType type) {
    switch (type) {
        case kInt8:
            return std::numeric_limits<std::int8_t>::max();
        case kUInt8:
            return std::numeric_limits<std::uint8_t>::max();
        case kInt16:
            return std::numeric_limits<std::int16_t>::max();
        default:
            return std::numeric_limits<std::int32_t>::max();
    }
}

int DecodeNumber(BatchFieldType type, const std::uint8_t* bytes) {
    switch (type) {
        case kInt8:
            return static_cast<std::int8_t>(bytes[0]);
        case kUInt8:
            return bytes[0];
        case kInt16:
            return static_cast<std::int16_t>(bytes[0] | bytes[1] << 8);
        default:
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[0]) |
                                             static_cast<std::uint32_t>(bytes[1]) << 8 |
                                             static_cast<std::uint32_t>(bytes[2]) << 16 |
                                             static_cast<std::uint32_t>(bytes[3]) << 24);
    }
}

// The description texts are printf formats; they are checked against their arguments here.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...) {
    char text[160];
    std::va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

}  // namespace

std::span<const BatchCommandInfo> BatchCommands() {
    return kCommands;
}

const BatchCommandInfo* FindBatchCommand(std::uint32_t id) {
    return id < kCommands.size() ? &kCommands[id] : nullptr;
}

const BatchCommandInfo* FindBatchCommand(std::string_view id_or_name) {
    for (const BatchCommandInfo& command : kCommands) {
        if (command.name == id_or_name || std::to_string(command.id) == id_or_name) {
            return &command;
        }
    }
    return nullptr;
}

std::size_t BatchFieldBytes(BatchFieldType type) {
    switch (type) {
        case kInt8:
        case kUInt8:
            return 1;
        case kInt16:
            return 2;
        case kInt32:
            return 4;
        case kPointList:
            return kPointListBytes;
    }
    return 0;
}

std::size_t BatchDataBytes(const BatchCommandInfo& command) {
    std::size_t bytes = 0;
    for (const BatchField& field : command.fields) {
        bytes += BatchFieldBytes(field.type);
    }
    return bytes;
}

BatchValues BatchItemValues(const LBatchCommandItem& item) {
    BatchValues values;
    const BatchCommandInfo* command = FindBatchCommand(item.id);
    if (command == nullptr) {
        return values;
    }
    const bool from_data = item.data.size() >= BatchDataBytes(*command);
    const std::uint8_t* at = item.data.data();
    for (const BatchField& field : command->fields) {
        if (field.type == kPointList) {
            if (from_data) {
                values.points.n_points = at[0];
                for (int p = 0; p < kPointListMax; ++p) {
                    values.points.points[static_cast<std::size_t>(p)] = {at[1 + 2 * p],
                                                                         at[2 + 2 * p]};
                }
                values.points.Validate();
            } else {
                values.points = LoadStoredPointList(command->point_file);
            }
        } else {
            values.numbers.push_back(from_data ? DecodeNumber(field.type, at)
                                               : ReadStoredValue(field.stored));
        }
        if (from_data) {
            at += BatchFieldBytes(field.type);
        }
    }
    return values;
}

LBatchCommandItem MakeBatchItem(const BatchCommandInfo& command, const std::vector<int>& numbers,
                                const PointList& points) {
    LBatchCommandItem item{command.id, {}};
    std::size_t next = 0;
    for (const BatchField& field : command.fields) {
        if (field.type == kPointList) {
            item.data.push_back(points.n_points);
            for (const PointList::Point& point : points.points) {
                item.data.push_back(point.x);
                item.data.push_back(point.y);
            }
            continue;
        }
        const auto value = static_cast<std::uint32_t>(next < numbers.size() ? numbers[next] : 0);
        ++next;
        for (std::size_t b = 0; b < BatchFieldBytes(field.type); ++b) {
            item.data.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
        }
    }
    return item;
}

std::string CheckBatchValues(const BatchCommandInfo& command, const std::vector<int>& numbers) {
    std::size_t next = 0;
    for (const BatchField& field : command.fields) {
        if (field.type == kPointList) {
            continue;
        }
        if (next >= numbers.size()) {
            return "Faltan valores para \"" + std::string(command.name) + "\".";
        }
        const int value = numbers[next++];
        if (value < FieldMin(field.type) || value > FieldMax(field.type)) {
            return "El valor " + std::to_string(value) + " no cabe en " + std::string(field.label) +
                   " (" + std::to_string(FieldMin(field.type)) + " a " +
                   std::to_string(FieldMax(field.type)) + ").";
        }
    }
    if (next != numbers.size()) {
        return "Demasiados valores para \"" + std::string(command.name) + "\".";
    }
    switch (command.id) {
        case kBatchSilenceAtStart:
        case kBatchSilenceAtEnd:
            return std::string(Check(SilenceParameters{.time_ms = numbers[0]}));
        case kBatchAmplify:
            return std::string(Check(AmplifyParameters{.gain_percent = numbers[0]}));
        case kBatchNormalize:
            return std::string(Check(NormalizeParameters{.peak_percent = numbers[0]}));
        case kBatchEcho:
            return std::string(
                Check(EchoParameters{.time_ms = numbers[0], .gain_percent = numbers[1]}));
        case kBatchReverb:
            return std::string(
                Check(ReverbParameters{.time_ms = numbers[0], .level_percent = numbers[1]}));
        case kBatchSpeedSimple:
        case kBatchConstantPitch:
        case kBatchConstantSpeed:
            return std::string(Check(SpeedPitchParameters{
                .percent = numbers[0],
                .mode = static_cast<std::int32_t>(command.id - kBatchSpeedSimple)}));
        case kBatchCompressor:
            return std::string(Check(CompressorParameters{
                .threshold_db = numbers[0], .ratio_index = numbers[1], .limit_db = numbers[2]}));
        case kBatchConvertRate:
            return numbers[0] >= 1 ? "" : "La tasa de muestra debe ser mayor que 0.";
        case kBatchConvertChannels:
            return numbers[0] == 1 || numbers[0] == 2 ? "" : "Los canales deben ser 1 o 2.";
        default:
            return "";
    }
}

std::string CheckBatchItem(const LBatchCommandItem& item) {
    const BatchCommandInfo* command = FindBatchCommand(item.id);
    if (command == nullptr || item.data.size() < BatchDataBytes(*command)) {
        return "";
    }
    return CheckBatchValues(*command, BatchItemValues(item).numbers);
}

std::string BatchItemDescription(const LBatchCommandItem& item) {
    if (item.id == kBatchEqualizer || item.id == kBatchEnvelope) {
        return "Haga click en Opciones para ver o cambiar.";  // the points are not listed
    }
    const BatchValues values = BatchItemValues(item);
    const std::vector<int>& n = values.numbers;
    switch (item.id) {
        case kBatchSilenceAtStart:
        case kBatchSilenceAtEnd:
            return Format("Tiempo de Silencio  (mins.) = %d", n[0]);
        case kBatchAmplify:
            return Format("Amplificar la Ganancia (%%) = %d", n[0]);
        case kBatchNormalize:
            return Format("Normalizar al más alto nivel (%%) = %d", n[0]);
        case kBatchHighPass:
            return Format("Frecuencia (Hz) = %d", n[0]);
        case kBatchEcho:
            return Format(" Tiempo de Eco (mins.) = %d, Ganancia de Eco (%%) = %d", n[0], n[1]);
        case kBatchReverb: {
            // The list has always shown 50 as the level of an item without data.
            const bool from_data = item.data.size() >= BatchDataBytes(*FindBatchCommand(item.id));
            return Format(
                "Tiempo de la Reverberancia (mins.) = %d, Nivel de Reverberancia (%%) = %d", n[0],
                from_data ? n[1] : 50);
        }
        case kBatchNoiseReduction:
            return Format("Nivel de Ruido (dB) = %d", n[0]);
        case kBatchSpeedSimple:
            return Format("Ajuste de Velocidad/Tono (%%) = %d", n[0]);
        case kBatchConstantPitch:
            return Format("Ajuste de Velocidad (%%) = %d", n[0]);
        case kBatchConstantSpeed:
            return Format("Ajuste de Tono (%%) = %d", n[0]);
        case kBatchCompressor: {
            const auto ratio = static_cast<std::size_t>(n[1]);
            const std::string_view text =
                ratio < CompressorRatioList.size() ? CompressorRatioList[ratio].text : "?";
            return Format("Umbral (db) = %d, Ratio = %.*s, Límite (db) = %d", n[0],
                          static_cast<int>(text.size()), text.data(), n[2]);
        }
        case kBatchConvertRate:
            return Format("Convierta la Tasa de Muestra = %d", n[0]);
        case kBatchConvertChannels:
            return Format("Convertir el Canal = %d", n[0]);
        default:
            return "";
    }
}

}  // namespace sonvara
