#pragma once
// The file kinds the load and save dispatch knows, from a path's extension (case does not
// matter; a name without a dot has none).

#include <string_view>

namespace sonvara {

enum class FileKind { kUnknown, kWave, kAiff, kAu, kRaw, kGsm, kMp3 };

FileKind FileKindOf(std::string_view path);

// The formats read through a separately installed decoder, which writes a WAV file first:
// ".wma"; ".dss"; ".ra", ".ram" and ".rm". Every other extension gives kNone.
enum class ExternalDecoder { kNone, kWma, kDss, kRealAudio };

ExternalDecoder ExternalDecoderOf(std::string_view path);

}  // namespace sonvara
