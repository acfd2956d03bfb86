#include "editor_model/macro_keys.h"

#include <algorithm>
#include <cstring>

#include "core/byte_order.h"
#include "core/file.h"
#include "core/folders.h"
#include "core/paths.h"
#include "core/temporary_file.h"

namespace sonvara {
namespace {

constexpr MacroCommand kMacroCommands[] = {
    {2007, "Seleccione Todo"},
    {2009, "Repetir"},
    {2013, "Auto recortar"},
    {2015, "Insertar Silencio al comienzo"},
    {2016, "Insertar Silencio en la posición actual"},
    {2017, "Insertar Silencio al final"},
    {2018, "Insertar Archivo al comienzo"},
    {2019, "Insertar Archivo en la posición actual"},
    {2020, "Insertar Archivo al final"},
    {4001, "Amplificador"},
    {4002, "Normalizador"},
    {4011, "Filtro High-Pass"},
    {4003, "Ecualizador"},
    {4004, "Eco"},
    {4005, "Reverberancia"},
    {4008, "Envolver"},
    {4009, "Control Automático de Ganancia"},
    {4010, "Reducción de Ruido"},
    {4014, "Cambio Simple de Velocidad y Tono"},
    {4015, "Cambio Constante de Tono y Velocidad"},
    {4016, "Cambio Constante de Velocidad y Tono"},
    {4012, "Compresor de Rango Dinámico"},
    {4017, "Corrección DC Offset"},
    {1006, "Convertir la Tasa de Muestra"},
    {1007, "Convertir a Mono"},
    {1008, "Convertir a Estéreo"},
};

// A real file holds a few hundred bytes; reading stops here so that a huge file cannot make a
// huge list (the records after it are dropped as a truncated file's are).
constexpr std::size_t kKeysFileReadMax = 1 << 20;
// The longest key name text, as the 260-byte field that held it with its terminating zero.
constexpr std::size_t kKeyNameMax = 259;

}  // namespace

std::span<const MacroCommand> MacroCommands() {
    return kMacroCommands;
}

std::string_view MacroCommandName(std::uint32_t id) {
    for (const MacroCommand& command : kMacroCommands) {
        if (static_cast<std::uint32_t>(command.id) == id) {
            return command.name;
        }
    }
    return {};
}

KeysFileContent ParseKeysFile(std::span<const std::uint8_t> bytes) {
    KeysFileContent content;
    if (bytes.empty() || bytes[0] != 0) {
        return content;
    }
    content.version_ok = true;
    std::size_t at = 1;
    while (bytes.size() - at >= 4) {
        LSVMacroKeys macro;
        macro.key = LoadLE32(&bytes[at]);
        at += 4;
        if (at < bytes.size()) {
            const std::size_t count = bytes[at++];
            const std::size_t whole = std::min(count, (bytes.size() - at) / 4);
            for (std::size_t i = 0; i < whole; ++i, at += 4) {
                macro.commands.push_back(LoadLE32(&bytes[at]));
            }
            if (whole < count) {
                at = bytes.size();  // the file ends inside this record
            }
        }
        content.macros.push_back(std::move(macro));
    }
    return content;
}

std::vector<std::uint8_t> EncodeKeysFile(std::span<const LSVMacroKeys> macros) {
    std::vector<std::uint8_t> bytes{0};
    for (const LSVMacroKeys& macro : macros) {
        const std::size_t count = std::min(macro.commands.size(), kMacroCommandsMax);
        AppendLE32(bytes, macro.key);
        bytes.push_back(static_cast<std::uint8_t>(count));
        for (std::size_t i = 0; i < count; ++i) {
            AppendLE32(bytes, macro.commands[i]);
        }
    }
    return bytes;
}

std::string KeysFilePath() {
    return FilePathCat(GetFolder("Current"), "keys.dat");
}

KeysFileRead ReadKeysFile(const std::string& path) {
    LFile file;
    if (!file.Open(path, FileAccess::kRead, FileSharing::kRead, FileDisposition::kOpenExisting)) {
        return {};
    }
    const std::int64_t size = file.GetFileSizeBytes();
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(std::clamp<std::int64_t>(size, 0, kKeysFileReadMax)));
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    KeysFileContent content = ParseKeysFile(bytes);
    if (!content.version_ok) {
        return {KeysFileState::kWrongVersion, {}};
    }
    return {KeysFileState::kRead, std::move(content.macros)};
}

bool WriteKeysFile(const std::string& path, std::span<const LSVMacroKeys> macros) {
    const std::vector<std::uint8_t> bytes = EncodeKeysFile(macros);
    return ReplaceFileContents(path, bytes.data(), bytes.size());
}

const LSVMacroKeys* FindMacro(std::span<const LSVMacroKeys> macros, std::uint32_t key) {
    auto found = std::find_if(macros.begin(), macros.end(),
                              [key](const LSVMacroKeys& macro) { return macro.key == key; });
    return found != macros.end() ? &*found : nullptr;
}

std::string KeyNameText(std::uint32_t key, std::string_view key_name) {
    std::string text;
    if (key & kCtrlBit) {
        text += "Ctrl+";
    }
    if (key & kAltBit) {
        text += "Alt+";
    }
    if (key & kShiftBit) {
        text += "Shift+";
    }
    text += key_name;
    if (text.size() > kKeyNameMax) {
        std::size_t end = kKeyNameMax;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            --end;  // not inside a UTF-8 sequence
        }
        text.resize(end);
    }
    return text;
}

}  // namespace sonvara
