#include "platform/codec/codec_manager.h"

#include <algorithm>

namespace sonvara {

std::optional<std::size_t> BlockConverter::ConvertLast(const std::uint8_t*, std::size_t,
                                                       std::uint8_t*) {
    return 0;
}

CodecStream::CodecStream(std::unique_ptr<BlockConverter> converter)
    : converter_(std::move(converter)) {}

std::size_t CodecStream::DestinationSizeFor(std::size_t source_bytes) const {
    std::size_t in = converter_->InputBlockBytes();
    return (source_bytes + in - 1) / in * converter_->OutputBlockBytes();
}

std::size_t CodecStream::SourceSizeFor(std::size_t destination_bytes) const {
    return destination_bytes / converter_->OutputBlockBytes() * converter_->InputBlockBytes();
}

BlockConverter::Buffered BlockConverter::ConvertBuffer(const std::uint8_t* input,
                                                       std::size_t input_bytes,
                                                       std::uint8_t* output,
                                                       std::size_t output_bytes, bool end) {
    const std::size_t in = input_block_bytes_;
    const std::size_t out = output_block_bytes_;
    std::size_t blocks = std::min(input_bytes / in, output_bytes / out);
    Buffered result;
    bool damaged = false;
    if (blocks > 0) {
        Converted converted = Convert(input, blocks, output);
        if (converted.blocks == 0) {
            result.ok = false;
            return result;
        }
        damaged = converted.blocks < blocks;
        result.used = converted.blocks * in;
        result.written = converted.bytes;
    }
    std::size_t rest = input_bytes - result.used;
    if (end && !damaged && rest > 0 && rest < in && output_bytes - result.written >= out) {
        // A damaged last block is dropped rather than failing the blocks before it.
        std::optional<std::size_t> written =
            ConvertLast(input + result.used, rest, output + result.written);
        result.used += rest;
        result.written += written.value_or(0);
    }
    return result;
}

bool CodecStream::Convert(StreamHeader& header, unsigned flags) {
    header.source_used = 0;
    header.destination_used = 0;
    if ((flags & kConvertStart) != 0) {
        converter_->Reset();
    }
    const BlockConverter::Buffered converted =
        converter_->ConvertBuffer(header.source, header.source_length, header.destination,
                                  header.destination_length, (flags & kConvertEnd) != 0);
    if (!converted.ok) {
        return false;
    }
    header.source_used = converted.used;
    header.destination_used = converted.written;
    return true;
}

void CodecStream::Reset() {
    converter_->Reset();
}

CodecManager& CodecManager::Instance() {
    static CodecManager* manager = [] {
        auto* built = new CodecManager;
        RegisterBuiltInCodecs(*built);
        return built;
    }();
    return *manager;
}

void CodecManager::Register(std::unique_ptr<Codec> codec) {
    std::lock_guard lock(mutex_);
    codecs_.push_back(std::move(codec));
}

namespace {

bool IsPcm16(const WaveFormat& format) {
    return format.format_tag == WAVE_FORMAT_PCM && format.bits_per_sample == 16 &&
           format.block_align == format.channels * 2;
}

}  // namespace

CodecResult CodecManager::OpenStream(const WaveFormat& source, const WaveFormat& destination,
                                     unsigned flags, std::unique_ptr<CodecStream>* stream) const {
    if (source.channels == 0 || source.channels != destination.channels ||
        source.samples_per_sec == 0 || source.samples_per_sec != destination.samples_per_sec) {
        return CodecResult::kNotPossible;
    }
    const bool decoding = IsPcm16(destination);
    if (!decoding && !IsPcm16(source)) {
        return CodecResult::kNotPossible;
    }
    std::lock_guard lock(mutex_);
    for (const auto& codec : codecs_) {
        std::unique_ptr<BlockConverter> converter =
            decoding ? codec->MakeDecoder(source) : codec->MakeEncoder(destination);
        if (!converter) {
            continue;
        }
        if ((flags & kStreamOpenQuery) == 0 && stream != nullptr) {
            *stream = std::make_unique<CodecStream>(std::move(converter));
        }
        return CodecResult::kOk;
    }
    return CodecResult::kNotPossible;
}

std::vector<FormatChoice> CodecManager::ListFormats(int channels) const {
    std::lock_guard lock(mutex_);
    std::vector<FormatChoice> choices;
    for (const auto& codec : codecs_) {
        for (WaveFormat& format : codec->OfferedFormats()) {
            if (channels == 0 || format.channels == channels) {
                std::string details = DescribeFormat(format);
                choices.push_back({codec->Name(), std::move(details), std::move(format)});
            }
        }
    }
    return choices;
}

namespace {

// 44100 -> "44.100", as Spanish writes thousands.
std::string GroupThousands(std::uint32_t value) {
    std::string digits = std::to_string(value);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
        digits.insert(static_cast<std::size_t>(i), ".");
    }
    return digits;
}

}  // namespace

std::string DescribeFormat(const WaveFormat& format) {
    std::string text = GroupThousands(format.samples_per_sec) + " Hz; ";
    if (format.bits_per_sample != 0) {
        text += std::to_string(format.bits_per_sample) + " bits; ";
    }
    if (format.channels == 1) {
        text += "Mono";
    } else if (format.channels == 2) {
        text += "Estéreo";
    } else {
        text += std::to_string(format.channels) + " canales";
    }
    text += "; " + GroupThousands((format.avg_bytes_per_sec + 512) / 1024) + " KB/s";
    return text;
}

}  // namespace sonvara
