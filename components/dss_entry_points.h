#pragma once
// The entry points of a DSS decoder library (component "dsskx"), all with C linkage. The library
// keeps one decoding session:
//   DSSInitDecoder(config)        starts afresh; config->version must be kDSSDecoderVersion
//   DSSActiveFolder(folder)       the folder relative file names are taken from
//   DSSActiveFile(path, props)    opens the file and fills in its properties
//   DSSStartDecoding()            starts decoding the active file
//   DSSDecodeToPCM(&frame_type)   the next block of 16-bit mono samples, null at the end: 528
//                                 bytes when frame_type is 0, 480 bytes otherwise; the block
//                                 stays valid until the next call
// The int results are 0 for success.

#include <cstdint>

namespace sonvara {

inline constexpr std::uint32_t kDSSDecoderVersion = 0x000A0065;
// Quality 2 files are 8000 Hz; every other quality is 11025 Hz.
inline constexpr std::uint8_t kDSSQuality8000Hz = 2;
inline constexpr int kDSSLongBlockBytes = 528;   // frame type 0: 264 samples, 11025 Hz
inline constexpr int kDSSShortBlockBytes = 480;  // other frame types: 240 samples, 8000 Hz

extern "C" {

struct DSSDecoderConfig {
    std::uint32_t version;
    std::uint32_t reserved[15];
};

struct DSSFileProperties {
    std::uint8_t quality;
    std::uint8_t reserved[3];
    std::uint32_t length_ms;  // 0 when unknown
    std::uint32_t reserved_words[62];
};

using DSSInitDecoderFunction = int (*)(const DSSDecoderConfig* config);
using DSSActiveFolderFunction = int (*)(const char* folder);
using DSSActiveFileFunction = int (*)(const char* path, DSSFileProperties* properties);
using DSSStartDecodingFunction = int (*)();
using DSSDecodeToPCMFunction = const std::uint8_t* (*)(int* frame_type);

}  // extern "C"

}  // namespace sonvara
