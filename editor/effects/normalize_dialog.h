#pragma once
// LSVNormalizeDlg: "Normalizador": the level in percent of full scale that the selection's peak is
// brought to. Starts from the stored values and stores them back on OK.

#include <cstdint>
#include <optional>
#include "editor/effects/effect_dialog.h"

#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_parameters.h"

namespace sonvara {

class LSVNormalizeDlg : public LSVEffectDlg {
    Q_OBJECT

  public:
    // The preview plays `part` of `document`, whose peak it is normalized by.
    LSVNormalizeDlg(Prompts& prompts, LEffectPreview* preview, const LCutListAudio& document,
                    FrameRange part, QWidget* parent);

    NormalizeParameters Parameters() const;

  protected:
    std::string_view Refusal() const override;
    bool Store() const override;
    EffectSourceFactory Effect() const override;

  private:
    QSpinBox* peak_percent_;
    const LCutListAudio& document_;
    FrameRange part_;
    mutable std::optional<std::int64_t> peak_;  // found at the first preview
};

}  // namespace sonvara
