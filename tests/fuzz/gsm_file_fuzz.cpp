// Opens arbitrary bytes as a ".gsm" file, and as the data of a GSM 6.10 WAV file, and checks the
// source contract (source_fuzz_checks.h). A frame of 33 bytes gives 160 samples and a WAV block
// of 65 bytes 320, so neither gives more than five samples a byte.

#include <cstring>
#include <vector>

#include "audio/wav/wave_file.h"
#include "formats/gsm_file.h"
#include "tests/fuzz/source_fuzz_checks.h"

namespace {

// A WAV header for mono GSM 6.10 at 8000 Hz, then `data` as its data chunk.
std::vector<std::uint8_t> GsmWave(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t fmt[] = {0x31, 0, 1,  0, 0x40, 0x1F, 0, 0, 0x59, 6,
                                0,    0, 65, 0, 0,    0,    2, 0, 0x40, 1};
    auto le32 = [](std::vector<std::uint8_t>& out, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    };
    std::vector<std::uint8_t> file = {'R', 'I', 'F', 'F'};
    le32(file, static_cast<std::uint32_t>(4 + 8 + sizeof fmt + 8 + size));
    file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    le32(file, sizeof fmt);
    file.insert(file.end(), fmt, fmt + sizeof fmt);
    file.insert(file.end(), {'d', 'a', 't', 'a'});
    le32(file, static_cast<std::uint32_t>(size));
    file.insert(file.end(), data, data + size);
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t seek_byte = size > 0 ? data[size - 1] : 0;
    {
        sonvara::fuzz::MemoryFile file(data, size);
        sonvara::LGSMFileSource source(file.Path());
        sonvara::fuzz::Check(!source.IsError());
        sonvara::fuzz::ExerciseSource(source, size, 5, seek_byte);
    }
    const std::vector<std::uint8_t> wave = GsmWave(data, size);
    sonvara::fuzz::MemoryFile file(wave.data(), wave.size());
    sonvara::LSoundSourceRef source = sonvara::LWaveFile::OpenSource(file.Path());
    sonvara::fuzz::Check(!source->IsError());
    sonvara::fuzz::ExerciseSource(*source, size, 5, seek_byte);
    return 0;
}
