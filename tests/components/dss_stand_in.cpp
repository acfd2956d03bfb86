// A DSS decoder library standing in for the real one in tests: it decodes "files" that are a line
// of text, "STAND-IN <quality> <blocks> [no-start]", into <blocks> blocks whose samples tell
// where they are (block * 1000 + index in the block). Built a second time without
// DSSStartDecoding (WITHOUT_START) to stand for an incomplete library.

#include <array>
#include <cstring>
#include <fstream>
#include <string>

#include "components/dss_entry_points.h"

namespace {

struct StandIn {
    bool initialised = false;
    std::string folder;
    int quality = 0;
    int blocks = 0;
    bool refuse_start = false;
    bool decoding = false;
    int next_block = 0;
    std::array<std::int16_t, sonvara::kDSSLongBlockBytes / 2> block{};
} stand_in;

}  // namespace

extern "C" {

int DSSInitDecoder(const sonvara::DSSDecoderConfig* config) {
    stand_in = StandIn();
    stand_in.initialised = config != nullptr && config->version == sonvara::kDSSDecoderVersion;
    return stand_in.initialised ? 0 : 1;
}

int DSSActiveFolder(const char* folder) {
    stand_in.folder = folder;
    return stand_in.initialised ? 0 : 1;
}

int DSSActiveFile(const char* path, sonvara::DSSFileProperties* properties) {
    // The folder given first must be the file's.
    const std::string file = path;
    if (!stand_in.initialised || file.rfind(stand_in.folder + "/", 0) != 0) {
        return 1;
    }
    std::ifstream in(file);
    std::string word;
    in >> word >> stand_in.quality >> stand_in.blocks;
    if (word != "STAND-IN" || !in) {
        return 1;
    }
    in >> word;
    stand_in.refuse_start = word == "no-start";
    *properties = sonvara::DSSFileProperties{};
    properties->quality = static_cast<std::uint8_t>(stand_in.quality);
    return 0;
}

#ifndef WITHOUT_START
int DSSStartDecoding() {
    stand_in.decoding = !stand_in.refuse_start;
    return stand_in.decoding ? 0 : 1;
}
#endif

const std::uint8_t* DSSDecodeToPCM(int* frame_type) {
    if (!stand_in.decoding || stand_in.next_block == stand_in.blocks) {
        return nullptr;
    }
    *frame_type = stand_in.quality == sonvara::kDSSQuality8000Hz ? 1 : 0;
    const int samples =
        (*frame_type == 0 ? sonvara::kDSSLongBlockBytes : sonvara::kDSSShortBlockBytes) / 2;
    stand_in.block.fill(-1);
    for (int i = 0; i < samples; ++i) {
        stand_in.block[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(stand_in.next_block * 1000 + i);
    }
    ++stand_in.next_block;
    return reinterpret_cast<const std::uint8_t*>(stand_in.block.data());
}
}
