#include "editor/batch/batch_options.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <memory>

#include "core/settings.h"
#include "editor/batch/plugin_options.h"
#include "editor/common/dialog_parts.h"
#include "editor/edit/convert_rate_dialog.h"
#include "editor/edit/insert_silence_dialog.h"
#include "editor/effects/effect_dialog.h"
#include "editor/effects/envelope_dialog.h"
#include "editor/effects/equalizer_dialog.h"

namespace sonvara {
namespace {

// The channel count of the conversion command, which the editor's menu sets without a dialog.
class ChannelsDlg : public QDialog {
  public:
    // Starts from `channels`; OK stores the choice as `stored`.
    ChannelsDlg(int channels, StoredValue stored, QWidget* parent)
        : QDialog(parent), stored_(stored) {
        setObjectName("ChannelsDlg");
        setWindowTitle("Convertir los Canales (Mono <-> Estéreo)");
        auto* layout = new QVBoxLayout(this);
        mono_ = new QRadioButton("Mono (Single)", this);
        stereo_ = new QRadioButton("Estéreo (Dual)", this);
        mono_->setObjectName("mono");
        stereo_->setObjectName("stereo");
        (channels == 2 ? stereo_ : mono_)->setChecked(true);
        layout->addWidget(mono_);
        layout->addWidget(stereo_);
        AddOkCancelButtons(*this, *layout);
    }

    int Channels() const { return stereo_->isChecked() ? 2 : 1; }

    void accept() override {
        // A value that cannot be stored is only not offered next time.
        WriteStoredValue(stored_, Channels());
        QDialog::accept();
    }

  private:
    StoredValue stored_;
    QRadioButton* mono_;
    QRadioButton* stereo_;
};

}  // namespace

bool HasBatchOptions(std::uint32_t id) {
    const BatchCommandInfo* command = FindBatchCommand(id);
    return command != nullptr && (!command->fields.empty() || command->check_text);
}

std::optional<LBatchCommandItem> EditBatchOptions(const LBatchCommandItem& item, Prompts& prompts,
                                                  QWidget* parent) {
    if (!HasBatchOptions(item.id)) {
        return std::nullopt;
    }
    const BatchCommandInfo& command = *FindBatchCommand(item.id);
    const BatchValues values = BatchItemValues(item);
    const std::vector<int>& numbers = values.numbers;
    switch (item.id) {
        case kBatchPlugin:
            return EditPluginItem(item, prompts, parent);
        case kBatchSilenceAtStart:
        case kBatchSilenceAtEnd: {
            LSVInsertSilenceDlg dialog(prompts, parent);
            dialog.TimeField()->setText(QString::number(numbers[0]));
            if (dialog.exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return MakeBatchItem(command, {dialog.Parameters().time_ms});
        }
        case kBatchConvertRate: {
            LSVConvertSample dialog(prompts, parent);
            dialog.RateField()->setEditText(QString::number(numbers[0]));
            if (dialog.exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return MakeBatchItem(command, {dialog.SampleRate()});
        }
        case kBatchConvertChannels: {
            ChannelsDlg dialog(numbers[0], command.fields[0].setting.View(), parent);
            if (dialog.exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return MakeBatchItem(command, {dialog.Channels()});
        }
        default:
            break;
    }
    if (command.effect == nullptr) {
        return std::nullopt;
    }
    // The effect's own dialog, as its menu command opens it, without a preview.
    const EffectEntry& effect = *command.effect;
    if (effect.dialog == EffectDialog::kEqualizerPoints ||
        effect.dialog == EffectDialog::kEnvelopePoints) {
        std::unique_ptr<LPointListDlg> dialog;
        if (effect.dialog == EffectDialog::kEqualizerPoints) {
            dialog = std::make_unique<LEqualizerDlg>(prompts, nullptr, parent);
        } else {
            // The envelope runs along each whole file, whose length is not known here.
            dialog = std::make_unique<LEnvelopeDlg>(prompts, FrameRange{}, 44100, nullptr, parent);
        }
        dialog->Graph().SetPoints(values.points);
        if (dialog->exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return MakeBatchItem(command, {}, dialog->Points());
    }
    static const LCutListAudio kNoDocument;
    LSVEffectDlg dialog(effect, prompts, nullptr, EffectPlace(kNoDocument, FrameRange{}), parent);
    dialog.SetValues(values);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return MakeBatchItem(command, dialog.Values().numbers);
}

}  // namespace sonvara
