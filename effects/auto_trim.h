#pragma once
// Auto trim: removes the quiet start and end of a document. It looks only at the cuts' graph
// files (two peak bytes per channel for every 256 frames), never at the samples, so an hour of
// sound costs a few megabytes of reading. A 256-frame block counts as loud when one of its bytes
// passes the loudest byte of the document scaled by the threshold in decibels; one block of
// margin is kept before the first loud block and after the last.

#include <cstdint>
#include <vector>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_parameters.h"

namespace sonvara {

// The document's graph as one table: for each 256-frame block, for each channel, the two peak
// bytes, scaled by the cuts' gains. Silent cuts and graph files that cannot be read leave
// zeros. Returns false when cancelled.
bool ReadDocumentGraph(LProgressDialog& process, const LCutListAudio& document,
                       std::vector<std::uint8_t>& table);

// The range that auto trim keeps of a document of `length` frames whose graph is `table`, at
// `threshold_db` (clamped to −127..127) below or above its loudest byte.
FrameRange FindTrimRange(const std::vector<std::uint8_t>& table, int channels, std::int32_t length,
                         int threshold_db);

class EfAutotrim : public LProgressDialog {
  public:
    EfAutotrim(LCutListAudio& document, const AutoTrimParameters& parameters);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    AutoTrimParameters parameters_;
};

}  // namespace sonvara
