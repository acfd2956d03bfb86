#include "editor/common/preview_button.h"

#include <QDialog>
#include <QPointer>
#include <string>
#include <utility>

#include "editor/common/qt_runtime.h"
#include "editor_model/effect_preview.h"

namespace sonvara {
namespace {

void ShowReason(QWidget* parent, const std::string& reason) {
    QtPrompts(parent).Ask({"Sonvara", reason, PromptIcon::kInformation, PromptButtons::kOk});
}

}  // namespace

PreviewButton::PreviewButton(LEffectPreview& preview, EffectOfValues effect, QWidget* parent)
    : QPushButton(parent), preview_(preview), effect_(std::move(effect)) {
    setObjectName("preview");
    // The button may go first: the preview then tells no one.
    preview_.SetEndedCallback([button = QPointer<PreviewButton>(this)] {
        if (button) {
            button->Ended();
        }
    });
    connect(this, &QPushButton::clicked, this, &PreviewButton::Clicked);
    if (auto* dialog = qobject_cast<QDialog*>(window())) {
        connect(dialog, &QDialog::finished, this, [this] {
            preview_.Stop();
            ShowState();
        });
    }
    ShowState();
}

void PreviewButton::Clicked() {
    if (preview_.IsPlaying()) {
        preview_.Stop();
    } else if (const std::optional<EffectSourceFactory> effect = effect_()) {
        if (!preview_.Start(*effect)) {
            ShowReason(window(), preview_.ErrorText());
        }
    }
    ShowState();
}

void PreviewButton::ValuesChanged() {
    if (!preview_.IsPlaying()) {
        return;
    }
    if (const std::optional<EffectSourceFactory> effect = effect_()) {
        preview_.Update(*effect);
    }
}

void PreviewButton::ShowState() {
    setText(preview_.IsPlaying() ? tr("Detener") : tr("Ver antes"));
}

void PreviewButton::Ended() {
    ShowState();
    ShowReason(window(), preview_.ErrorText());
}

}  // namespace sonvara
