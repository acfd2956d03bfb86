#pragma once
// Batch script files (".svb"): a version byte (0), then the command items until the end of the
// file, each as its id (uint32, little-endian), its data size (uint32) and its data. There is no
// count and no trailer: reading stops at the first item whose size field is not there in full. A
// data block cut short by the end of the file keeps the bytes that are there (the item then runs
// with the stored values); sizes are never trusted beyond what the file holds.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_command.h"

namespace sonvara {

inline constexpr std::string_view kUntitledBatchScript = "Untitled.svb";
inline constexpr std::string_view kBatchScriptErrorCaption = "Error de Archivo";
inline constexpr std::string_view kBatchScriptVersionMessage =
    "Este archivo no tiene la misma versión que la versión del Sonvara en uso o está corrupto.";
inline constexpr std::string_view kBatchScriptOpenMessage =
    "Sonvara No puede abrir este archivo. El archivo no existe o puede estar corrupto.";

struct BatchScriptRead {
    std::vector<LBatchCommandItem> items;
    // Empty when the file was read; else the message to show (captioned
    // kBatchScriptErrorCaption), and the list is empty.
    std::string_view error;
};

BatchScriptRead ReadBatchScript(const std::string& path);
// The same, from the file's bytes.
BatchScriptRead ParseBatchScript(const std::vector<std::uint8_t>& bytes);
// The first item of the script `path` whose values CheckBatchItem refuses, as a message naming
// the script, the item (its place from 1 and its command) and its values.
Result<void> CheckBatchScript(const std::string& path, const std::vector<LBatchCommandItem>& items);
std::vector<std::uint8_t> SerializeBatchScript(const std::vector<LBatchCommandItem>& items);
// Writes the version byte and every item in place of the file's content; false when the file
// cannot be written (the old one, if any, stays).
bool WriteBatchScript(const std::string& path, const std::vector<LBatchCommandItem>& items);

}  // namespace sonvara
