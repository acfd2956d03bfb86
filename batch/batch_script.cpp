#include "batch/batch_script.h"

#include <algorithm>

#include "core/byte_order.h"
#include "core/file.h"
#include "core/temporary_file.h"

namespace sonvara {
namespace {

// Scripts hold a few items of a few hundred bytes; anything beyond this is not a script.
constexpr std::int64_t kMaxScriptBytes = 16 << 20;

}  // namespace

BatchScriptRead ParseBatchScript(const std::vector<std::uint8_t>& bytes) {
    BatchScriptRead read;
    if (bytes.empty() || bytes[0] != 0) {
        read.error = kBatchScriptVersionMessage;
        return read;
    }
    std::size_t at = 1;
    while (bytes.size() - at >= 8) {
        LBatchCommandItem item;
        item.id = LoadLE32(&bytes[at]);
        const std::uint32_t size = LoadLE32(&bytes[at + 4]);
        at += 8;
        const std::size_t held = std::min<std::size_t>(size, bytes.size() - at);
        item.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                         bytes.begin() + static_cast<std::ptrdiff_t>(at + held));
        at += held;
        read.items.push_back(std::move(item));
    }
    return read;
}

BatchScriptRead ReadBatchScript(const std::string& path) {
    LFile file;
    BatchScriptRead read;
    if (!file.Open(path, FileAccess::kRead, FileSharing::kRead, FileDisposition::kOpenExisting)) {
        read.error = kBatchScriptOpenMessage;
        return read;
    }
    const std::int64_t size = file.GetFileSizeBytes();
    if (size > kMaxScriptBytes) {
        read.error = kBatchScriptVersionMessage;
        return read;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    return ParseBatchScript(bytes);
}

Result<void> CheckBatchScript(const std::string& path,
                              const std::vector<LBatchCommandItem>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Result<void> check = CheckBatchItem(items[i]);
        if (check) {
            continue;
        }
        const BatchCommandInfo& command = *FindBatchCommand(items[i].id);
        const std::vector<int> numbers = BatchItemValues(items[i]).numbers;
        std::string values;
        std::size_t next = 0;
        for (const EffectField& field : command.fields) {
            if (!field.IsPoints() && next < numbers.size()) {
                values += (values.empty() ? "" : ", ") + field.batch_label + " = " +
                          std::to_string(numbers[next++]);
            }
        }
        return Failure(
            path + ": orden " + std::to_string(i + 1) + ", \"" + std::string(command.name) + "\"" +
            (values.empty() ? std::string() : " (" + values + ")") + ": " + check.Message());
    }
    return {};
}

std::vector<std::uint8_t> SerializeBatchScript(const std::vector<LBatchCommandItem>& items) {
    std::vector<std::uint8_t> bytes{0};
    for (const LBatchCommandItem& item : items) {
        AppendLE32(bytes, item.id);
        AppendLE32(bytes, static_cast<std::uint32_t>(item.data.size()));
        bytes.insert(bytes.end(), item.data.begin(), item.data.end());
    }
    return bytes;
}

bool WriteBatchScript(const std::string& path, const std::vector<LBatchCommandItem>& items) {
    const std::vector<std::uint8_t> bytes = SerializeBatchScript(items);
    return ReplaceFileContents(path, bytes.data(), bytes.size());
}

}  // namespace sonvara
