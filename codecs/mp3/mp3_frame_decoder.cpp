#include "codecs/mp3/mp3_frame_decoder.h"

#include "codecs/mp3/mp3_huffman.h"
#include "codecs/mp3/mp3_stereo.h"
#include "codecs/mp3/mp3_tables.h"

namespace sonvara::mp3 {

void LMP3FrameDecoder::Reset() {
    reservoir_.Reset();
    for (Overlap& overlap : overlap_) {
        for (auto& line : overlap) {
            line.fill(0.0F);
        }
    }
    for (PolyphaseSynthesis& synthesis : synthesis_) {
        synthesis.Reset();
    }
    scale_factors_ = {};
}

DecodeStatus LMP3FrameDecoder::Decode(std::span<const std::uint8_t> frame, DecodedFrame& out) {
    out.channels = 0;
    out.samples = 0;
    const std::optional<FrameLayout> layout = ReadFrameLayout(frame);
    if (!layout) {
        if (frame.size() >= static_cast<std::size_t>(kHeaderBytes)) {
            if (const std::optional<FrameHeader> header = ParseHeader(frame.data())) {
                out.header = *header;
                out.channels = header->Channels();
                out.samples = header->SamplesPerFrame();
                for (auto& channel : out.pcm) {
                    channel.fill(0.0F);
                }
            }
        }
        return DecodeStatus::kBadFrame;
    }
    out.header = layout->header;
    out.channels = layout->header.Channels();
    out.samples = layout->header.SamplesPerFrame();
    const std::optional<std::span<const std::uint8_t>> main_data =
        reservoir_.Add(layout->main_data, layout->side.main_data_begin);
    if (!main_data) {
        SilentGranules(layout->header, 0, out);
        return DecodeStatus::kReservoirShort;
    }
    return DecodeGranules(*layout, *main_data, out);
}

void LMP3FrameDecoder::SilentGranules(const FrameHeader& header, int first, DecodedFrame& out) {
    for (Spectrum& spectrum : spectrum_) {
        spectrum.fill(0.0F);
    }
    const GranuleChannel silent;
    for (int gr = first; gr < header.Granules(); ++gr) {
        for (int ch = 0; ch < out.channels; ++ch) {
            const auto c = static_cast<std::size_t>(ch);
            InverseHybrid(silent, spectrum_[c], overlap_[c], subbands_[c]);
        }
        Synthesize(out.channels, gr, out);
    }
}

DecodeStatus LMP3FrameDecoder::DecodeGranules(const FrameLayout& layout,
                                              std::span<const std::uint8_t> main_data,
                                              DecodedFrame& out) {
    const FrameHeader& header = layout.header;
    const ScaleFactorBands& bands = kScaleFactorBands[static_cast<std::size_t>(
        3 * static_cast<int>(header.version) + header.sampling_index)];
    BitReader bits(main_data);
    std::size_t granule_start = 0;
    for (int gr = 0; gr < header.Granules(); ++gr) {
        for (int ch = 0; ch < out.channels; ++ch) {
            const auto c = static_cast<std::size_t>(ch);
            const GranuleChannel& gc = layout.side.granules[static_cast<std::size_t>(gr)][c];
            const std::size_t granule_end =
                granule_start + static_cast<std::size_t>(gc.part2_3_length);
            bits.Seek(granule_start);
            bool good = granule_end <= bits.SizeBits();
            int nonzero_end = 0;
            if (good) {
                ReadScaleFactors(bits, header, layout.side, gr, ch, scale_factors_[c]);
                good = bits.Position() <= granule_end;
            }
            if (good) {
                const HuffmanResult lines =
                    DecodeHuffman(bits, granule_end, gc, bands, quantized_[c]);
                good = lines.error == HuffmanError::kNone;
                nonzero_end = lines.nonzero_end;
            }
            if (!good) {
                SilentGranules(header, gr, out);
                return DecodeStatus::kBadMainData;
            }
            Requantize(quantized_[c], header, gc, scale_factors_[c], bands, spectrum_[c],
                       nonzero_end);
            granule_start = granule_end;
        }
        if (out.channels == 2) {
            ProcessJointStereo(header, layout.side.granules[static_cast<std::size_t>(gr)][1],
                               scale_factors_[1], bands, quantized_[1], spectrum_[0], spectrum_[1]);
        }
        for (int ch = 0; ch < out.channels; ++ch) {
            const auto c = static_cast<std::size_t>(ch);
            const GranuleChannel& gc = layout.side.granules[static_cast<std::size_t>(gr)][c];
            ReorderShortBlocks(header, gc, bands, spectrum_[c]);
            ReduceAliases(gc, spectrum_[c]);
            InverseHybrid(gc, spectrum_[c], overlap_[c], subbands_[c]);
        }
        Synthesize(out.channels, gr, out);
    }
    return DecodeStatus::kOk;
}

void LMP3FrameDecoder::Synthesize(int channels, int granule, DecodedFrame& out) {
    for (int ch = 0; ch < channels; ++ch) {
        const auto c = static_cast<std::size_t>(ch);
        synthesis_[c].Synthesize(
            subbands_[c], out.pcm[c].data() + static_cast<std::size_t>(granule) * kGranuleLines);
    }
}

}  // namespace sonvara::mp3
