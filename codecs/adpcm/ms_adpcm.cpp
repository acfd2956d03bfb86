#include "codecs/adpcm/ms_adpcm.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "core/byte_order.h"

namespace sonvara::ms_adpcm {
namespace {

constexpr int kMsHeaderBytes = 7;  // per channel
constexpr int kMinDelta = 16;
// Far beyond any delta a real encoder reaches (a few times the largest sample step); it only
// keeps a corrupt block's delta from growing without end.
constexpr std::int64_t kMaxDelta = std::int64_t{1} << 24;
constexpr std::size_t kMaxCoefficients = 256;

// How delta scales (in 1/256ths) after each code: it shrinks after small corrections (0, ±1)
// and grows after large ones.
constexpr std::array<int, 16> kAdaptation = {230, 230, 230, 230, 307, 409, 512, 614,
                                             768, 614, 512, 409, 307, 230, 230, 230};

struct MsChannel {
    std::int64_t sample1 = 0;  // the newest sample
    std::int64_t sample2 = 0;  // the one before it
    std::int64_t delta = kMinDelta;
    std::int64_t coef1 = 0;
    std::int64_t coef2 = 0;

    std::int64_t Predict() const { return (sample1 * coef1 + sample2 * coef2) >> 8; }
};

int Signed(int code) {
    return code >= 8 ? code - 16 : code;
}

// Applies one 4-bit code: the decoder's whole work, and how the encoder keeps in step with it.
void MsApply(MsChannel& ch, int code) {
    const std::int64_t value = std::clamp(ch.Predict() + Signed(code) * ch.delta,
                                          std::int64_t{std::numeric_limits<std::int16_t>::min()},
                                          std::int64_t{std::numeric_limits<std::int16_t>::max()});
    ch.sample2 = ch.sample1;
    ch.sample1 = value;
    ch.delta = std::clamp((kAdaptation[static_cast<std::size_t>(code)] * ch.delta) >> 8,
                          std::int64_t{kMinDelta}, kMaxDelta);
}

// The code whose correction brings the prediction nearest to `target`.
int MsQuantize(const MsChannel& ch, int target) {
    const std::int64_t residual = target - ch.Predict();
    const std::int64_t half = ch.delta / 2;
    std::int64_t steps =
        residual >= 0 ? (residual + half) / ch.delta : -((half - residual) / ch.delta);
    steps = std::clamp(steps, std::int64_t{-8}, std::int64_t{7});
    return static_cast<int>(steps & 0x0F);
}

void WriteInt16(std::uint8_t* p, int value) {
    StoreLE16(p, static_cast<std::uint16_t>(value));
}

// Where the code of channel c in frame `frame` (2, 3, …) lives: the byte after the headers and
// whether it is the high nibble.
struct NibblePlace {
    std::size_t byte;
    bool high;
};
NibblePlace PlaceOf(std::size_t frame, std::size_t c, std::size_t channels) {
    const std::size_t n = (frame - 2) * channels + c;
    return {n / 2, n % 2 == 0};
}

}  // namespace

const Coefficients& StandardCoefficients() {
    static const Coefficients standard{
        {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}};
    return standard;
}

int SamplesPerBlock(int block_align, int channels) {
    if (channels < 1 || block_align < std::int64_t{kMsHeaderBytes} * channels) {
        return 0;
    }
    const std::int64_t frames =
        (block_align - std::int64_t{kMsHeaderBytes} * channels) * 2 / channels + 2;
    return frames > std::numeric_limits<int>::max() ? 0 : static_cast<int>(frames);
}

bool ParseFormatExtra(const std::uint8_t* extra, std::size_t bytes, int* samples_per_block,
                      Coefficients* coefs) {
    if (bytes < 4) {
        return false;
    }
    const std::size_t count = LoadLE16(extra + 2);
    if (count == 0 || count > kMaxCoefficients || bytes < 4 + 4 * count) {
        return false;
    }
    if (samples_per_block != nullptr) {
        *samples_per_block = LoadLE16(extra);
    }
    if (coefs != nullptr) {
        coefs->pairs.clear();
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* pair = extra + 4 + 4 * i;
            coefs->pairs.emplace_back(LoadSignedLE16(pair), LoadSignedLE16(pair + 2));
        }
    }
    return true;
}

std::vector<std::uint8_t> MakeFormatExtra(int samples_per_block) {
    const Coefficients& standard = StandardCoefficients();
    std::vector<std::uint8_t> extra;
    auto put = [&extra](int value) { AppendLE16(extra, static_cast<std::uint16_t>(value)); };
    put(std::clamp(samples_per_block, 0, 0xFFFF));
    put(static_cast<int>(standard.pairs.size()));
    for (const auto& [first, second] : standard.pairs) {
        put(first);
        put(second);
    }
    return extra;
}

int DecodeBlock(const std::uint8_t* block, std::size_t bytes, int channels,
                const Coefficients& coefs, std::int16_t* out, int max_frames) {
    if (channels < 1 || max_frames < 1) {
        return 0;
    }
    const auto nch = static_cast<std::size_t>(channels);
    const std::size_t header_bytes = kMsHeaderBytes * nch;
    if (bytes < header_bytes) {
        return 0;
    }
    for (std::size_t c = 0; c < nch; ++c) {
        if (std::size_t{block[c]} >= coefs.pairs.size()) {
            return -1;
        }
    }
    const std::size_t frames =
        std::min((bytes - header_bytes) * 2 / nch + 2, static_cast<std::size_t>(max_frames));
    const std::uint8_t* data = block + header_bytes;

    for (std::size_t c = 0; c < nch; ++c) {
        MsChannel ch;
        ch.coef1 = coefs.pairs[block[c]].first;
        ch.coef2 = coefs.pairs[block[c]].second;
        ch.delta = LoadSignedLE16(block + nch + 2 * c);
        ch.sample1 = LoadSignedLE16(block + 3 * nch + 2 * c);
        ch.sample2 = LoadSignedLE16(block + 5 * nch + 2 * c);
        out[c] = static_cast<std::int16_t>(ch.sample2);
        if (frames > 1) {
            out[nch + c] = static_cast<std::int16_t>(ch.sample1);
        }
        for (std::size_t frame = 2; frame < frames; ++frame) {
            const NibblePlace place = PlaceOf(frame, c, nch);
            const std::uint8_t byte = data[place.byte];
            MsApply(ch, place.high ? byte >> 4 : byte & 0x0F);
            out[frame * nch + c] = static_cast<std::int16_t>(ch.sample1);
        }
    }
    return static_cast<int>(frames);
}

namespace {

// Encodes frames 2.. of channel c of a block, starting from the header state `ch`; writes the
// codes into the block's data `out` unless it is null, and returns the squared error of the
// reconstruction. `sample(f)` is frame f of the channel.
// A trial stops early, returning what it has summed, once the error passes `give_up_above`.
template <typename SampleAt>
std::int64_t MsEncodeChannel(
    MsChannel& ch, int frames, const SampleAt& sample, std::uint8_t* out, std::size_t channels,
    std::size_t c, std::int64_t give_up_above = std::numeric_limits<std::int64_t>::max()) {
    std::int64_t error = 0;
    for (int frame = 2; frame < frames; ++frame) {
        const int target = sample(frame);
        const int code = MsQuantize(ch, target);
        MsApply(ch, code);
        const std::int64_t e = target - ch.sample1;
        error += e * e;
        if (error > give_up_above) {
            return error;
        }
        if (out != nullptr) {
            const NibblePlace place = PlaceOf(static_cast<std::size_t>(frame), c, channels);
            out[place.byte] =
                static_cast<std::uint8_t>(out[place.byte] | (place.high ? code << 4 : code));
        }
    }
    return error;
}

// The energy of a pair's prediction errors on the block itself, before quantising: a cheap
// guess at how well the pair will code, so that the likely winner is tried first and the other
// trials can give up early.
template <typename SampleAt>
std::int64_t PredictionEnergy(std::int64_t coef1, std::int64_t coef2, int frames,
                              const SampleAt& sample) {
    std::int64_t energy = 0;
    for (int frame = 2; frame < frames; ++frame) {
        const std::int64_t e =
            sample(frame) - ((sample(frame - 1) * coef1 + sample(frame - 2) * coef2) >> 8);
        energy += e * e;
    }
    return energy;
}

// A starting delta for a pair: a quarter of the mean size of its prediction errors over the first
// frames, so that the first codes land in the middle of their range rather than at an end.
template <typename SampleAt>
std::int64_t InitialDelta(std::int64_t coef1, std::int64_t coef2, int frames,
                          const SampleAt& sample) {
    constexpr int kLookAhead = 8;
    const int last = std::min(frames, 2 + kLookAhead);
    std::int64_t sum = 0;
    for (int frame = 2; frame < last; ++frame) {
        const std::int64_t predicted = (sample(frame - 1) * coef1 + sample(frame - 2) * coef2) >> 8;
        sum += std::abs(sample(frame) - predicted);
    }
    const std::int64_t mean = last > 2 ? sum / (last - 2) : 0;
    return std::clamp(mean / 4, std::int64_t{kMinDelta},
                      std::int64_t{std::numeric_limits<std::int16_t>::max()});
}

}  // namespace

void EncodeBlock(const std::int16_t* pcm, int frames, int channels, std::uint8_t* out,
                 int block_align) {
    if (block_align <= 0) {
        return;
    }
    std::memset(out, 0, static_cast<std::size_t>(block_align));
    const int block_frames = SamplesPerBlock(block_align, channels);
    if (block_frames == 0) {
        return;
    }
    const int given = std::clamp(frames, 0, block_frames);
    const auto nch = static_cast<std::size_t>(channels);
    const Coefficients& standard = StandardCoefficients();
    std::uint8_t* data = out + kMsHeaderBytes * nch;

    for (std::size_t c = 0; c < nch; ++c) {
        auto sample = [&](int frame) -> std::int64_t {
            return frame < given ? pcm[static_cast<std::size_t>(frame) * nch + c] : 0;
        };
        auto start = [&](std::size_t pair) {
            MsChannel ch;
            ch.coef1 = standard.pairs[pair].first;
            ch.coef2 = standard.pairs[pair].second;
            ch.delta = InitialDelta(ch.coef1, ch.coef2, block_frames, sample);
            ch.sample1 = sample(1);
            ch.sample2 = sample(0);
            return ch;
        };
        std::vector<std::pair<std::int64_t, std::size_t>> order;
        for (std::size_t pair = 0; pair < standard.pairs.size(); ++pair) {
            order.emplace_back(PredictionEnergy(standard.pairs[pair].first,
                                                standard.pairs[pair].second, block_frames, sample),
                               pair);
        }
        std::sort(order.begin(), order.end());
        std::size_t best_pair = 0;
        std::int64_t best_error = std::numeric_limits<std::int64_t>::max();
        for (const auto& [energy, pair] : order) {
            MsChannel trial = start(pair);
            const std::int64_t error =
                MsEncodeChannel(trial, block_frames, sample, nullptr, nch, c, best_error);
            if (error < best_error) {
                best_error = error;
                best_pair = pair;
            }
        }
        MsChannel ch = start(best_pair);
        out[c] = static_cast<std::uint8_t>(best_pair);
        WriteInt16(out + nch + 2 * c, static_cast<int>(ch.delta));
        WriteInt16(out + 3 * nch + 2 * c, static_cast<int>(ch.sample1));
        WriteInt16(out + 5 * nch + 2 * c, static_cast<int>(ch.sample2));
        MsEncodeChannel(ch, block_frames, sample, data, nch, c);
    }
}

}  // namespace sonvara::ms_adpcm
