#include "document/cut_list_reader.h"

#include <algorithm>
#include <limits>

#include "core/paths.h"

namespace sonvara {

namespace {

// The loudest sample the list can give: each record's cut peak through its gain (with a step to
// spare for the multiply's rounding). Unknown peaks leave the general bound.
Sample MaxSampleOf(const LCutListAudio& list) {
    std::int64_t loudest = 0;
    for (const LCutRecord& record : list.Records()) {
        const Sample peak = record.cut.Peak();
        if (peak < 0 || record.gain < 0) {
            return kUnknownMaxSample;
        }
        loudest = std::max(loudest, (std::int64_t{peak} * record.gain >> 24) + 1);
    }
    return static_cast<Sample>(std::min<std::int64_t>(loudest, kUnknownMaxSample));
}

}  // namespace

LSRCCutListAudio::LSRCCutListAudio(const LCutListAudio& list)
    : LSoundSourceBase(list.GetSampleRate(), list.GetChannels(), MaxSampleOf(list)),
      snapshot_(list),
      next_(snapshot_.Records().First()),
      length_(snapshot_.GetLength()) {}

void LSRCCutListAudio::Read(Sample* buffer, std::int32_t frames) {
    if (frames <= 0) {
        return;
    }
    const int channels = GetChannels();
    if (position_ < 0) {
        const std::int32_t lead =
            static_cast<std::int32_t>(std::min<std::int64_t>(-std::int64_t{position_}, frames));
        std::fill_n(buffer, static_cast<std::ptrdiff_t>(lead) * channels, 0);
        buffer += static_cast<std::ptrdiff_t>(lead) * channels;
        frames -= lead;
        position_ += lead;
    }
    position_ = static_cast<std::int32_t>(std::min<std::int64_t>(
        std::int64_t{position_} + frames, std::numeric_limits<std::int32_t>::max()));
    while (frames > 0) {
        if (left_in_record_ == 0) {
            if (!next_.Valid()) {
                std::fill_n(buffer, static_cast<std::ptrdiff_t>(frames) * channels, 0);
                return;
            }
            const LCutRecord& record = next_.Current();
            next_.Next();
            Enter(record, 0);
            continue;
        }
        const std::int32_t piece = std::min(frames, left_in_record_);
        ReadRecordFrames(buffer, piece);
        buffer += static_cast<std::ptrdiff_t>(piece) * channels;
        frames -= piece;
        left_in_record_ -= piece;
    }
}

void LSRCCutListAudio::ReadRecordFrames(Sample* out, std::int32_t frames) {
    const std::size_t samples =
        static_cast<std::size_t>(frames) * static_cast<std::size_t>(GetChannels());
    std::size_t arrived = 0;
    if (file_.IsValid()) {
        arrived = file_.Read(out, samples * sizeof(Sample)) / sizeof(Sample);
        if (gain_ != kUnityGain) {
            for (std::size_t i = 0; i < arrived; ++i) {
                out[i] = SplitMultiply(out[i], gain_);
            }
        }
        if (arrived < samples) {
            Lost(open_path_);
        }
    }
    // A silent record, a missing file or one shorter than its records say: zeros.
    std::fill(out + arrived, out + samples, 0);
}

void LSRCCutListAudio::Enter(const LCutRecord& record, std::int32_t offset) {
    left_in_record_ = std::max(record.length - offset, 0);
    gain_ = record.gain;
    if (record.cut.IsSilent()) {
        file_.Close();
        open_cut_ = kSilentCut;
        return;
    }
    // Neighbouring records are often stretches of one cut: its file stays open between them.
    if (!file_.IsValid() || open_cut_ != record.cut.Number()) {
        open_cut_ = record.cut.Number();
        open_path_ = record.cut.AudFilePath();
        file_.Open(open_path_, FileAccess::kRead, FileSharing::kRead,
                   FileDisposition::kOpenExisting);
        if (!file_.IsValid()) {
            Lost(open_path_);
        }
    }
    if (file_.IsValid()) {
        const std::int64_t frame = std::max<std::int64_t>(std::int64_t{record.start} + offset, 0);
        file_.Seek(frame * GetChannels() * static_cast<std::int64_t>(sizeof(Sample)));
    }
}

void LSRCCutListAudio::Lost(const std::string& path) {
    if (error_text_.empty()) {
        error_text_ = "No se puede leer el sonido de la carpeta de trabajo \"" +
                      GetFolderFromPath(path) + "\": el archivo \"" + GetFileFromPath(path) +
                      "\" falta o está incompleto.";
    }
    SetError();
}

void LSRCCutListAudio::Seek(std::int32_t frame) {
    position_ = frame;
    left_in_record_ = 0;
    next_ = snapshot_.Records().First();
    if (frame < 1) {
        return;
    }
    std::int64_t rest = frame;
    while (next_.Valid()) {
        const LCutRecord& record = next_.Current();
        next_.Next();
        if (rest < record.length) {
            Enter(record, static_cast<std::int32_t>(rest));
            return;
        }
        rest -= record.length;
    }
}

}  // namespace sonvara
