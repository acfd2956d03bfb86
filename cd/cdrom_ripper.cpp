#include "cd/cdrom_ripper.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "cd/cd_commands.h"
#include "core/diagnostics.h"
#include "core/temporary_file.h"
#include "platform/codec/riff_header.h"

namespace sonvara {
namespace {

constexpr int kSectorsPerRead = 24;

// The audio of a CD: 44100 Hz, 16-bit stereo. Both sizes are 0xFFFFFFFF while the copy runs.
std::vector<std::uint8_t> WaveHeader(std::uint64_t data_bytes) {
    return PcmRiffHeader(2, 44100, 16, data_bytes);
}

}  // namespace

ProcessResult LCDROMRipper::Body() {
    SetText("Loading CD Track " + std::to_string(track_ + 1), 0);
    SetText("Getting Track Information...", 1);
    SetProgress(0);

    std::unique_ptr<ScsiDevice> device = drives_.Open(drive_);
    const std::string track_name = "la pista " + std::to_string(track_ + 1) + " del CD";
    if (device == nullptr) {
        Diagnose("LCDROMRipper Open FAILED");
        ShowError("No se pudo copiar " + track_name + ": la unidad no se puede abrir.");
        return PROCESS_FAILED;
    }
    CdToc toc;
    const ScsiResult toc_result = ProcessSCSICDGetTOC(*this, *device, toc);
    if (toc_result == ScsiResult::kCancelled) {
        return PROCESS_STOPPED;
    }
    if (toc_result != ScsiResult::kDone) {
        Diagnose("LCDROMRipper GetTOC FAILED");
        ShowError("No se pudo copiar " + track_name + ": no se puede leer el índice del disco.");
        return PROCESS_FAILED;
    }
    if (track_ < 0 || track_ >= toc.tracks) {
        Diagnose("LCDROMRipper Data.nTrack >= nTracks");
        ShowError("No se pudo copiar " + track_name + ": el disco no tiene esa pista.");
        return PROCESS_FAILED;
    }
    if (toc.data[static_cast<std::size_t>(track_)]) {
        ShowError("No se copia " + track_name + ": es una pista de datos, no de sonido.");
        return PROCESS_FAILED;
    }
    const std::int32_t first = toc.starts[static_cast<std::size_t>(track_)];
    const std::int64_t blocks = toc.TrackBlocks(track_);
    // No disc holds a track this long (it is over seven hours); only a broken table of contents
    // claims one, and its sizes would not fit the header.
    if (blocks * static_cast<std::int64_t>(kCdSectorBytes) > kMaxPcmRiffData) {
        Diagnose("LCDROMRipper track too long for a WAV file");
        return PROCESS_FAILED;
    }

    TemporaryFile temporary(path_);
    if (!temporary.IsValid()) {
        ShowError("Unable to create wav file " + path_);
        return PROCESS_FAILED;
    }
    const std::string write_failed = "No se puede escribir el archivo \"" + path_ + "\".";
    LFile& file = temporary.File();
    auto header = WaveHeader(kSizeWhileWriting);
    if (file.Write(header.data(), header.size()) != header.size()) {
        ShowError(write_failed);
        return PROCESS_FAILED;
    }

    SetText("Loading Digital Audio...", 1);
    std::vector<std::uint8_t> buffer(kSectorsPerRead * kCdSectorBytes);
    std::int64_t done = 0;
    while (done < blocks) {
        // The last read asks only for what is left of the track: a read past the lead-out fails.
        const auto count =
            static_cast<std::uint8_t>(std::min<std::int64_t>(kSectorsPerRead, blocks - done));
        const ScsiResult read = ProcessSCSICDReadDASectors(
            *this, *device, static_cast<std::int32_t>(first + done), count, buffer);
        if (read == ScsiResult::kCancelled) {
            return PROCESS_STOPPED;
        }
        if (read != ScsiResult::kDone) {
            Diagnose("LCDROMRipper read FAILED");
            const std::int64_t seconds = done / kCdBlocksPerSecond;
            char at[32];
            std::snprintf(at, sizeof at, "%lld:%02lld", static_cast<long long>(seconds / 60),
                          static_cast<long long>(seconds % 60));
            ShowError("No se pudo copiar " + track_name + ": la unidad no pudo leer el sector " +
                      std::to_string(first + done) + " (a los " + at +
                      " de la pista). Limpie el disco e inténtelo de nuevo.");
            return PROCESS_FAILED;
        }
        const std::size_t bytes = count * kCdSectorBytes;
        if (file.Write(buffer.data(), bytes) != bytes) {
            ShowError(write_failed);
            return PROCESS_FAILED;
        }
        done += count;
        SetProgress(static_cast<double>(done) / static_cast<double>(blocks));
    }

    header = WaveHeader(static_cast<std::uint64_t>(blocks) * kCdSectorBytes);
    if (!file.Seek(0) || file.Write(header.data(), header.size()) != header.size() ||
        ::fchmod(file.Descriptor(), ReplacementMode(path_)) != 0 || !temporary.SyncAndClose() ||
        !temporary.RenameTo(path_)) {
        ShowError(write_failed);
        return PROCESS_FAILED;
    }
    return PROCESS_DONE;
}

}  // namespace sonvara
