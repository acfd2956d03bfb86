#pragma once
// LEnvelopeDlg: the envelope's gain curve ("Envolver") over a selection, kept in "envelope.dat".
// x runs along the selection, its start at 0 and its end at 255, labelled with the document's
// times; y is the gain, 100 % at 128 and 200 % at 255. The read-out is "(time, %d %)" of the
// point under the pointer or dragged.

#include <cstdint>

#include "document/frame_range.h"
#include "editor/effects/point_list_dialog.h"

namespace sonvara {

class LEnvelopeDlg : public LPointListDlg {
    Q_OBJECT

  public:
    static constexpr double kPercentPerUnit = 200.0 / 255.0;

    // `selection` of a document of `sample_rate` frames a second. `preview`, when not null,
    // plays the curve as it is drawn; it must outlive the dialog.
    LEnvelopeDlg(Prompts& prompts, FrameRange selection, std::int32_t sample_rate,
                 LEffectPreview* preview, QWidget* parent);

    // The frame of the document at x.
    std::int32_t FrameAt(int x) const;

  protected:
    QString ReadOut(int x, int y) const override;

  private:
    FrameRange selection_;
    std::int32_t sample_rate_;
};

}  // namespace sonvara
