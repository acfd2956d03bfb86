// Plays arbitrary bytes as a RealAudio file through the engine into the WAV-writing sink, then
// reads the WAV back. Whatever the file holds, the engine ends within a bound, the sink either
// refuses or writes a WAV whose length is exactly the data it was given, and the WAV reader
// agrees.

#include <sys/mman.h>

#include "audio/wav/wave_file.h"
#include "components/realaudio/engine.h"
#include "components/rma_audio_sink.h"
#include "tests/fuzz/source_fuzz_checks.h"

using sonvara::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sonvara::fuzz::MemoryFile input(data, size);
    const int output = ::memfd_create("engine_output", MFD_CLOEXEC);
    Check(output >= 0);
    const std::string output_path = "/proc/self/fd/" + std::to_string(output);

    sonvara::RMARef<sonvara::IRMAClientEngine> engine(sonvara::realaudio::NewEngine());
    sonvara::RMARef<sonvara::IRMAPlayer> player;
    Check(engine->CreatePlayer(player.Receive()) == sonvara::RMA_OK);
    sonvara::RMARef<sonvara::RMAAudioSink> sink(new sonvara::RMAAudioSink(output_path));
    {
        sonvara::RMARef<sonvara::IRMAAudioDeviceManager> devices;
        Check(player->GetAudioDeviceManager(devices.Receive()) == sonvara::RMA_OK);
        Check(devices->Replace(sink.get()) == sonvara::RMA_OK);
    }
    const std::string url = "file:" + input.Path();
    if (player->OpenURL(url.c_str()) == sonvara::RMA_OK && player->Begin() == sonvara::RMA_OK) {
        // Each slice plays at least 8192 frames or ends the clip; a byte of a clip holds at most
        // a few hundred frames even in the thriftiest coding.
        const std::size_t most_slices = size + 16;
        std::size_t slices = 0;
        while (!player->IsDone()) {
            engine->ProcessIdle();
            Check(++slices <= most_slices);
        }
    }
    engine->ClosePlayer(player.get());
    player.Reset();
    if (sink->Finish()) {
        sonvara::LSoundSourceRef wave = sonvara::LWaveFile::OpenSource(output_path);
        Check(!wave->IsError());
        const std::uint32_t frame_bytes = static_cast<std::uint32_t>(wave->GetChannels()) * 2u;
        Check(static_cast<std::uint32_t>(wave->GetLength()) == sink->DataBytes() / frame_bytes);
    }
    ::close(output);
    return 0;
}
