#include "codecs/mp3/mp3_header.h"

#include "codecs/mp3/mp3_tables.h"

namespace sonvara::mp3 {

int FrameHeader::Bitrate() const {
    return 1000 * kBitrateKbps[IsMpeg1() ? 0 : 1][static_cast<std::size_t>(bitrate_index)];
}

int FrameHeader::SampleRate() const {
    return kMpeg1SampleRates[static_cast<std::size_t>(sampling_index)] >> static_cast<int>(version);
}

int FrameHeader::FrameBytes() const {
    // A Layer III frame is SamplesPerFrame / 8 bytes per bit/s of rate: 144 for MPEG-1,
    // 72 for the one-granule frames; the padding byte keeps the average exact.
    const int bytes_per_rate = IsMpeg1() ? 144 : 72;
    return bytes_per_rate * Bitrate() / SampleRate() + (padding ? 1 : 0);
}

int FrameHeader::SideInfoBytes() const {
    if (IsMpeg1()) {
        return Channels() == 1 ? 17 : 32;
    }
    return Channels() == 1 ? 9 : 17;
}

std::optional<FrameHeader> ParseHeader(const std::uint8_t bytes[kHeaderBytes], HeaderError* error) {
    auto fail = [error](HeaderError why) -> std::optional<FrameHeader> {
        if (error != nullptr) {
            *error = why;
        }
        return std::nullopt;
    };
    if (bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0) {
        return fail(HeaderError::kNoSync);
    }
    FrameHeader header;
    switch ((bytes[1] >> 3) & 3) {
        case 0:
            header.version = Version::kMpeg25;
            break;
        case 1:
            return fail(HeaderError::kReservedVersion);
        case 2:
            header.version = Version::kMpeg2;
            break;
        default:
            header.version = Version::kMpeg1;
            break;
    }
    if (((bytes[1] >> 1) & 3) != 1) {
        return fail(HeaderError::kNotLayer3);
    }
    header.has_crc = (bytes[1] & 1) == 0;
    header.bitrate_index = bytes[2] >> 4;
    if (header.bitrate_index == 0 || header.bitrate_index == 15) {
        return fail(HeaderError::kFreeOrBadBitrate);
    }
    header.sampling_index = (bytes[2] >> 2) & 3;
    if (header.sampling_index == 3) {
        return fail(HeaderError::kBadSampling);
    }
    header.padding = (bytes[2] & 2) != 0;
    header.mode = static_cast<Mode>(bytes[3] >> 6);
    header.mode_extension = (bytes[3] >> 4) & 3;
    header.copyright = (bytes[3] & 8) != 0;
    header.original = (bytes[3] & 4) != 0;
    header.emphasis = bytes[3] & 3;
    if (error != nullptr) {
        *error = HeaderError::kNone;
    }
    return header;
}

bool SameStream(const FrameHeader& a, const FrameHeader& b) {
    return a.version == b.version && a.sampling_index == b.sampling_index &&
           a.Channels() == b.Channels();
}

}  // namespace sonvara::mp3
