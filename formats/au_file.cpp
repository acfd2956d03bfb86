#include "formats/au_file.h"

#include <cstring>
#include <limits>

#include "core/byte_order.h"
#include "formats/raw_file_source.h"
#include "formats/size_field.h"

namespace sonvara {

LSoundSourceRef LAuFile::OpenSource(const std::string& path) {
    LFile file;
    if (!file.Open(path, FileAccess::kRead, FileSharing::kReadWrite,
                   FileDisposition::kOpenExisting)) {
        return LSoundSourceRef();
    }
    std::uint8_t header[kHeaderBytes];
    if (file.Read(header, sizeof header) != sizeof header || std::memcmp(header, ".snd", 4) != 0) {
        return LSoundSourceRef();
    }
    const std::uint32_t data_offset = LoadBE32(header + 4);
    const std::uint32_t data_bytes = LoadBE32(header + 8);
    const std::uint32_t encoding = LoadBE32(header + 12);
    const std::uint32_t rate = LoadBE32(header + 16);
    const std::uint32_t channels = LoadBE32(header + 20);
    if (data_offset < kHeaderBytes || rate < 1 ||
        rate > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) ||
        channels < 1 || channels > 255 || !file.Seek(data_offset)) {
        return LSoundSourceRef();
    }
    const auto sample_rate = static_cast<std::int32_t>(rate);
    const auto count = static_cast<int>(channels);
    switch (encoding) {
        case kUlaw:
            return new LRawFileDataSoundSource<RawUlaw>(std::move(file), sample_rate, data_bytes,
                                                        count);
        case kLinear8:
            return new LRawFileDataSoundSource<RawPcm8Signed>(std::move(file), sample_rate,
                                                              data_bytes, count);
        case kLinear16:
            return new LRawFileDataSoundSource<RawPcm16BE>(std::move(file), sample_rate, data_bytes,
                                                           count);
        case kAlaw:
            return new LRawFileDataSoundSource<RawAlaw>(std::move(file), sample_rate, data_bytes,
                                                        count);
        default:
            return LSoundSourceRef();
    }
}

LSoundSinkRef LAuFile::OpenSink(const std::string& path, std::int32_t sample_rate, int channels) {
    return LSoundSinkRef(
        new LRawFileDataSoundSink<RawPcm16BE>(path, sample_rate, channels, &WriteHeader));
}

std::int64_t LAuFile::WriteHeader(LFile& file, const SampleHeaderInfo& info, bool final) {
    std::uint8_t header[kHeaderBytes];
    std::memcpy(header, ".snd", 4);
    StoreBE32(header + 4, kHeaderBytes);
    StoreBE32(header + 8, final ? SizeField(info.DataBytes()) : 0xFFFFFFFF);
    StoreBE32(header + 12, kLinear16);
    StoreBE32(header + 16, static_cast<std::uint32_t>(info.sample_rate));
    StoreBE32(header + 20, static_cast<std::uint32_t>(info.channels));
    return file.Write(header, sizeof header) == sizeof header ? kHeaderBytes : -1;
}

}  // namespace sonvara
