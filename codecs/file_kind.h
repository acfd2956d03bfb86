#pragma once
// The file kinds the load and save dispatch knows, from a path's extension (case does not
// matter; a name without a dot has none).

#include <string_view>

namespace sonvara {

enum class FileKind { kUnknown, kWave, kAiff, kAu, kRaw, kGsm, kMp3 };

FileKind FileKindOf(std::string_view path);

}  // namespace sonvara
