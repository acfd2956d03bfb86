#pragma once
// PreviewButton: the "Ver antes" / "Detener" button of an effect dialog. A click starts the
// preview of the dialog's current values (the text becomes "Detener") or stops it; while it
// plays, the dialog calls ValuesChanged() after every change of a value and the new values are
// heard at once. Values the effect refuses leave the preview playing what it played.

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

    PreviewButton(LEffectPreview& preview, EffectOfValues effect, QWidget* parent);

    void ValuesChanged();
};

}  // namespace sonvara
