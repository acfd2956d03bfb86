#pragma once
// PreviewButton: the "Ver antes" / "Detener" button of an effect dialog. A click starts the
// preview of the dialog's current values (the text becomes "Detener") or stops it; while it
// plays, the dialog calls ValuesChanged() after every change of a value and the new values are
// heard at once. Values the effect refuses leave the preview playing what it played. When the
// preview ends by itself (the device failed) the text goes back and the reason is shown.

#include <QPushButton>
#include <functional>
#include <optional>

#include "effects/effect_process.h"

namespace sonvara {

class LEffectPreview;

class PreviewButton : public QPushButton {
    Q_OBJECT

  public:
    // The effect of the dialog's values as they stand, or nothing when a value is refused.
    using EffectOfValues = std::function<std::optional<EffectSourceFactory>()>;

    // `parent` belongs to the dialog: when the dialog closes, the preview stops. The preview
    // may go before the button (a member of the dialog goes before its child widgets) as long
    // as nothing is clicked after.
    PreviewButton(LEffectPreview& preview, EffectOfValues effect, QWidget* parent);

    void ValuesChanged();

  private:
    void Clicked();
    // The text after the preview's state: "Detener" while it plays.
    void ShowState();
    // The preview ended by itself: the device failed.
    void Ended();

    LEffectPreview& preview_;
    EffectOfValues effect_;
};

}  // namespace sonvara
