#include "effects/effect_parameters.h"

#include <string>

#include "core/settings.h"
#include "effects/compressor.h"

namespace sonvara {

int ReadStoredValue(const StoredValue& value) {
    if (!value.old_section.empty() && ReadString(value.section, value.name, "").empty()) {
        const std::string old = ReadString(value.old_section, value.name, "");
        if (!old.empty()) {
            // A failed copy only means that the old place is read again next time.
            const bool copied = WriteString(value.section, value.name, old);
            return ReadInt(copied ? value.section : value.old_section, value.name,
                           value.default_value);
        }
    }
    return ReadInt(value.section, value.name, value.default_value);
}

bool WriteStoredValue(const StoredValue& value, int number) {
    return WriteInt(value.section, value.name, number);
}

Result<void> Check(const AmplifyParameters& parameters) {
    if (parameters.gain_percent > 400) {
        return Failure(
            "La Ganancia Amplificada debe ser menor que 400%. Por favor, intente de nuevo.");
    }
    return {};
}

Result<void> Check(const NormalizeParameters& parameters) {
    if (parameters.peak_percent > 100) {
        return Failure(
            "El nivel mas alto para Normalizar debe ser menor que 100%. Por favor, intente de "
            "nuevo .");
    }
    return {};
}

Result<void> Check(const LoudnessNormalizeParameters& parameters) {
    if (parameters.target_lufs < -40 || parameters.target_lufs > -5) {
        return Failure("La sonoridad deseada debe estar entre -40 y -5 LUFS.");
    }
    if (parameters.ceiling_dbtp < -20 || parameters.ceiling_dbtp > 0) {
        return Failure("El pico real máximo debe estar entre -20 y 0 dBTP.");
    }
    return {};
}

Result<void> Check(const EchoParameters& parameters) {
    if (parameters.time_ms < 10 || parameters.time_ms > 2999) {
        return Failure(
            "El tiempo de Eco debe ser entre 10 y 3000ms. Por favor, intente de nuevo .");
    }
    if (parameters.gain_percent > 99) {
        return Failure(
            "La Ganancia de Eco deber ser menor que Echo 100%. Por favor, intente de nuevo.");
    }
    return {};
}

Result<void> Check(const ReverbParameters& parameters) {
    if (parameters.level_percent > 100) {
        return Failure(
            "El nivel de la Reverberancia debe ser menor que 100. Por favor, intente de nuevo.");
    }
    if (parameters.time_ms < 50 || parameters.time_ms > 1000) {
        return Failure(
            "El tiempo de la Reverberancia debe ser entre 50 y 1000. Por favor, intente de "
            "nuevo.");
    }
    return {};
}

Result<void> Check(const SpeedPitchParameters& parameters) {
    if (parameters.percent > 300) {
        return Failure("El porcentaje del Cambio de Velocidad debe ser menor que 300.");
    }
    return {};
}

Result<void> Check(const MixPasteParameters& parameters) {
    if (parameters.volume_percent > 100) {
        return Failure(
            "La Mezcla de Volumen debe ser menor que 100%. Por favor, intente de nuevo.");
    }
    return {};
}

Result<void> Check(const SilenceParameters& parameters) {
    if (parameters.time_ms < 0 || parameters.time_ms > kLongestSilenceMs) {
        return Failure(
            "El tiempo de Silencio debe ser entre 0 y 10800000ms (3 horas). Por favor, intente "
            "de nuevo.");
    }
    return {};
}

Result<void> Check(const RepeatParameters& parameters) {
    if (parameters.times > kMostRepeats) {
        return Failure(
            "El número de repeticiones debe ser menor que 10000. Por favor, intente de nuevo.");
    }
    return {};
}

Result<void> Check(const CompressorParameters& parameters) {
    if (!CompressorRatioFactor(parameters.ratio_index)) {
        return Failure("El ratio debe ser de 0 a 6.");
    }
    return {};
}

}  // namespace sonvara
