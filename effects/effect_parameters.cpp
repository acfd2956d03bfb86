#include "effects/effect_parameters.h"

#include <string>

#include "core/settings.h"

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

void WriteStoredValue(const StoredValue& value, int number) {
    WriteInt(value.section, value.name, number);
}

std::string_view CheckAmplifyGain(std::int32_t percent) {
    if (percent > 400) {
        return "La Ganancia Amplificada debe ser menor que 400%. Por favor, intente de nuevo.";
    }
    return {};
}

std::string_view CheckNormalizePeakLevel(std::int32_t percent) {
    if (percent > 100) {
        return "El nivel mas alto para Normalizar debe ser menor que 100%. Por favor, intente de "
               "nuevo .";
    }
    return {};
}

std::string_view CheckEcho(std::int32_t time_ms, std::int32_t gain_percent) {
    if (time_ms < 10 || time_ms > 2999) {
        return "El tiempo de Eco debe ser entre 10 y 3000ms. Por favor, intente de nuevo .";
    }
    if (gain_percent > 99) {
        return "La Ganancia de Eco deber ser menor que Echo 100%. Por favor, intente de nuevo.";
    }
    return {};
}

std::string_view CheckReverb(std::int32_t level_percent, std::int32_t time_ms) {
    if (level_percent > 100) {
        return "El nivel de la Reverberancia debe ser menor que 100. Por favor, intente de nuevo.";
    }
    if (time_ms < 50 || time_ms > 1000) {
        return "El tiempo de la Reverberancia debe ser entre 50 y 1000. Por favor, intente de "
               "nuevo.";
    }
    return {};
}

std::string_view CheckSpeedPercent(std::int32_t percent) {
    if (percent > 300) {
        return "El porcentaje del Cambio de Velocidad debe ser menor que 300.";
    }
    return {};
}

std::string_view CheckMixVolume(std::int32_t percent) {
    if (percent > 100) {
        return "La Mezcla de Volumen debe ser menor que 100%. Por favor, intente de nuevo.";
    }
    return {};
}

std::string_view CheckSilenceTime(std::int32_t time_ms) {
    if (time_ms < 0 || time_ms > kLongestSilenceMs) {
        return "El tiempo de Silencio debe ser entre 0 y 10800000ms (3 horas). Por favor, intente "
               "de nuevo.";
    }
    return {};
}

}  // namespace sonvara
