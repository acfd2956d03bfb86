#pragma once
// Key macros: a key combination bound to an ordered list of editor commands, and the file
// "keys.dat" in the data folder that keeps them.
//
// A key value is a virtual-key code in its low 16 bits with the modifier bits kAltBit, kCtrlBit
// and kShiftBit; the same value is matched, stored and named. "keys.dat" is little-endian without
// padding: a version byte 0, then per macro its key value (4 bytes), its command count (1 byte)
// and that many command ids (4 bytes each), in the frame's order.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sonvara {

constexpr std::uint32_t kAltBit = 0x10000;
constexpr std::uint32_t kCtrlBit = 0x20000;
constexpr std::uint32_t kShiftBit = 0x40000;
constexpr std::uint32_t kVirtualKeyMask = 0xFFFF;
// The count byte of a record limits a macro's commands.
constexpr std::size_t kMacroCommandsMax = 255;

struct LSVMacroKeys {
    std::uint32_t key = 0;
    std::vector<std::uint32_t> commands;  // command ids, run in this order

    bool operator==(const LSVMacroKeys&) const = default;
};

// A command a macro can hold and the name the macro lists show for it.
struct MacroCommand {
    int id;
    const char* name;  // UTF-8
};

// The 26 commands a macro can hold, in the order the command list offers them.
std::span<const MacroCommand> MacroCommands();

// The name of command `id` in the macro lists; "" when a macro cannot hold it.
std::string_view MacroCommandName(std::uint32_t id);

// The macros in `bytes`, a "keys.dat" image. A first byte other than 0 (or none at all) is a
// file of another version: `version_ok` is false and there are no macros. Records are read until
// a key value cannot be read whole; a record whose command list ends early keeps the commands
// read so far.
struct KeysFileContent {
    bool version_ok = false;
    std::vector<LSVMacroKeys> macros;
};
KeysFileContent ParseKeysFile(std::span<const std::uint8_t> bytes);

// The "keys.dat" image of `macros`; a macro of more than kMacroCommandsMax commands keeps its
// first ones.
std::vector<std::uint8_t> EncodeKeysFile(std::span<const LSVMacroKeys> macros);

// "keys.dat" in the data folder ("Current").
std::string KeysFilePath();

enum class KeysFileState { kMissing, kRead, kWrongVersion };

// Reads the macros of the file at `path`. A missing (or unreadable) file gives no macros.
struct KeysFileRead {
    KeysFileState state = KeysFileState::kMissing;
    std::vector<LSVMacroKeys> macros;
};
KeysFileRead ReadKeysFile(const std::string& path);

// Puts the image of `macros` in `path`'s place through a temporary file renamed over it; a
// failure leaves the old file as it was. Returns whether the new file is in place.
bool WriteKeysFile(const std::string& path, std::span<const LSVMacroKeys> macros);

// The message shown for a file of another version, and for one that cannot be written, both
// captioned kKeysFileErrorCaption.
inline constexpr const char* kKeysFileErrorCaption = "Error de Archivo";
inline constexpr const char* kKeysFileVersionMessage =
    "Este archivo no tiene la misma versión que la versión del Sonvara en uso o está corrupto.";
inline constexpr const char* kKeysFileWriteMessage =
    "Sonvara No puede abrir este archivo. El archivo no existe o puede estar corrupto.";

// The first macro bound to `key` in `macros`, or null.
const LSVMacroKeys* FindMacro(std::span<const LSVMacroKeys> macros, std::uint32_t key);

// The name text of a key value: "Ctrl+", "Alt+" and "Shift+" for the bits set, always in that
// order, then `key_name`, the keyboard's name for the key; at most 259 bytes, cut at a character.
std::string KeyNameText(std::uint32_t key, std::string_view key_name);

}  // namespace sonvara
