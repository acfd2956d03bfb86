#include "lv2/plugin_settings.h"

#include <charconv>

#include "core/settings.h"

namespace sonvara {
namespace {

constexpr char kSection[] = "LV2";

std::string Number(float value) {
    char text[32];
    const auto written = std::to_chars(std::begin(text), std::end(text), value);
    return std::string(text, written.ptr);
}

}  // namespace

Result<PluginSettings> ParsePluginSettings(std::string_view text) {
    PluginSettings settings;
    const std::size_t colon = text.rfind(':');
    std::string_view values;
    if (colon != std::string_view::npos &&
        text.substr(colon + 1).find('=') != std::string_view::npos) {
        values = text.substr(colon + 1);
        text = text.substr(0, colon);
    }
    if (text.empty()) {
        return Failure("falta el URI del complemento LV2");
    }
    settings.uri = text;
    while (!values.empty()) {
        const std::size_t comma = values.find(',');
        const std::string_view pair = values.substr(0, comma);
        values = comma == std::string_view::npos ? std::string_view() : values.substr(comma + 1);
        const std::size_t equals = pair.find('=');
        const std::string_view symbol = pair.substr(0, equals);
        const std::string_view number =
            equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
        float value = 0;
        const auto [end, error] =
            std::from_chars(number.data(), number.data() + number.size(), value);
        if (symbol.empty() || number.empty() || error != std::errc() ||
            end != number.data() + number.size()) {
            return Failure("\"" + std::string(pair) + "\" no es puerto=valor");
        }
        settings.values.emplace_back(symbol, value);
    }
    return settings;
}

std::string PluginSettingsText(const PluginSettings& settings) {
    std::string text = settings.uri;
    for (std::size_t i = 0; i < settings.values.size(); ++i) {
        text += (i == 0 ? ":" : ",") + settings.values[i].first + "=" +
                Number(settings.values[i].second);
    }
    return text;
}

Result<std::vector<float>> ControlValues(const PluginDescription& description,
                                         const PluginSettings& settings) {
    std::vector<float> values;
    for (const PluginControl& control : description.controls) {
        values.push_back(control.default_value);
    }
    for (const auto& [symbol, value] : settings.values) {
        const PluginControl* control = description.FindControl(symbol);
        if (control == nullptr) {
            return Failure("el complemento LV2 \"" + description.name + "\" no tiene el puerto \"" +
                           symbol + "\"");
        }
        values[static_cast<std::size_t>(control - description.controls.data())] =
            control->Clamp(value);
    }
    return values;
}

std::string MissingPluginMessage(const std::string& uri) {
    return "El complemento LV2 \"" + uri + "\" no está instalado en este equipo.";
}

PluginSettings StoredPluginSettings(const PluginDescription& description) {
    const std::string stored = ReadString(kSection, description.uri, "");
    Result<PluginSettings> read =
        ParsePluginSettings(description.uri + (stored.empty() ? "" : ":" + stored));
    if (!read || !ControlValues(description, *read)) {
        return {description.uri, {}};  // a damaged entry: the defaults
    }
    return std::move(*read);
}

bool StorePluginSettings(const PluginSettings& settings) {
    const std::string text = PluginSettingsText(settings);
    const std::size_t values = text.find(':', settings.uri.size());
    return WriteString(kSection, settings.uri,
                       values == std::string::npos ? "" : text.substr(values + 1));
}

PluginSettings SettingsOf(const PluginDescription& description, const std::vector<float>& values) {
    PluginSettings settings{description.uri, {}};
    for (std::size_t c = 0; c < description.controls.size() && c < values.size(); ++c) {
        settings.values.emplace_back(description.controls[c].symbol, values[c]);
    }
    return settings;
}

}  // namespace sonvara
