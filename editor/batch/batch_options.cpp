#include "editor/batch/batch_options.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <memory>

#include "core/settings.h"
#include "editor/common/dialog_parts.h"
#include "editor/edit/convert_rate_dialog.h"
#include "editor/edit/insert_silence_dialog.h"
#include "editor/effects/amplify_dialog.h"
#include "editor/effects/compressor_dialog.h"
#include "editor/effects/echo_dialog.h"
#include "editor/effects/envelope_dialog.h"
#include "editor/effects/equalizer_dialog.h"
#include "editor/effects/high_pass_dialog.h"
#include "editor/effects/noise_reduction_dialog.h"
#include "editor/effects/normalize_dialog.h"
#include "editor/effects/reverb_dialog.h"
#include "editor/effects/speed_change_dialog.h"

namespace sonvara {
namespace {

// The channel count of the conversion command, which the editor's menu sets without a dialog.
class ChannelsDlg : public QDialog {
  public:
    // Starts from `channels`; OK stores the choice as `stored`.
    ChannelsDlg(int channels, const StoredValue& stored, QWidget* parent)
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
    const StoredValue& stored_;
    QRadioButton* mono_;
    QRadioButton* stereo_;
};

// An effect dialog's fields are named after the stored values they start from, which are the
// ones the batch command falls back on: the item's numbers go in and come out by those names.
void FillFields(const QDialog& dialog, const BatchCommandInfo& command,
                const std::vector<int>& numbers) {
    std::size_t next = 0;
    for (const BatchField& field : command.fields) {
        const QString name = QString::fromUtf8(field.stored.name.data(),
                                               static_cast<qsizetype>(field.stored.name.size()));
        const int value = numbers[next++];
        if (auto* spin = dialog.findChild<QSpinBox*>(name)) {
            spin->setValue(value);
        } else if (auto* choice = dialog.findChild<QComboBox*>(name)) {
            choice->setCurrentIndex(value < choice->count() ? value : -1);
        }
    }
}

std::vector<int> FieldValues(const QDialog& dialog, const BatchCommandInfo& command) {
    std::vector<int> numbers;
    for (const BatchField& field : command.fields) {
        const QString name = QString::fromUtf8(field.stored.name.data(),
                                               static_cast<qsizetype>(field.stored.name.size()));
        if (auto* spin = dialog.findChild<QSpinBox*>(name)) {
            numbers.push_back(spin->value());
        } else if (auto* choice = dialog.findChild<QComboBox*>(name)) {
            numbers.push_back(choice->currentIndex());
        }
    }
    return numbers;
}

std::unique_ptr<QDialog> EffectDialog(std::uint32_t id, Prompts& prompts, QWidget* parent) {
    static const LCutListAudio kNoDocument;
    switch (id) {
        case kBatchAmplify:
            return std::make_unique<LSVAmplifyDlg>(prompts, nullptr, parent);
        case kBatchNormalize:
            return std::make_unique<LSVNormalizeDlg>(prompts, nullptr, kNoDocument, FrameRange{},
                                                     parent);
        case kBatchHighPass:
            return std::make_unique<LSVHighPassDlg>(prompts, nullptr, parent);
        case kBatchEcho:
            return std::make_unique<LSVEchoDlg>(prompts, nullptr, parent);
        case kBatchReverb:
            return std::make_unique<LSVReverbDlg>(prompts, nullptr, parent);
        case kBatchNoiseReduction:
            return std::make_unique<LSVNoiseReductionDlg>(prompts, nullptr, parent);
        case kBatchCompressor:
            return std::make_unique<LSVCompressorDlg>(prompts, nullptr, parent);
        case kBatchSpeedSimple:
            return std::make_unique<LSVSpeedChangeDlg>(prompts, nullptr, FrameRange{},
                                                       kSpeedPitchSimple, parent);
        case kBatchConstantPitch:
            return std::make_unique<LSVSpeedChangeDlg>(prompts, nullptr, FrameRange{},
                                                       kSpeedPitchConstantPitch, parent);
        case kBatchConstantSpeed:
            return std::make_unique<LSVSpeedChangeDlg>(prompts, nullptr, FrameRange{},
                                                       kSpeedPitchConstantSpeed, parent);
        default:
            return nullptr;
    }
}

}  // namespace

bool HasBatchOptions(std::uint32_t id) {
    const BatchCommandInfo* command = FindBatchCommand(id);
    return command != nullptr && !command->fields.empty();
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
            ChannelsDlg dialog(numbers[0], command.fields[0].stored, parent);
            if (dialog.exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return MakeBatchItem(command, {dialog.Channels()});
        }
        case kBatchEqualizer:
        case kBatchEnvelope: {
            std::unique_ptr<LPointListDlg> dialog;
            if (item.id == kBatchEqualizer) {
                dialog = std::make_unique<LEqualizerDlg>(prompts, nullptr, parent);
            } else {
                // The envelope runs along each whole file, whose length is not known here.
                dialog =
                    std::make_unique<LEnvelopeDlg>(prompts, FrameRange{}, 44100, nullptr, parent);
            }
            dialog->Graph().SetPoints(values.points);
            if (dialog->exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return MakeBatchItem(command, {}, dialog->Points());
        }
        default:
            break;
    }
    std::unique_ptr<QDialog> dialog = EffectDialog(item.id, prompts, parent);
    if (dialog == nullptr) {
        return std::nullopt;
    }
    FillFields(*dialog, command, numbers);
    if (dialog->exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return MakeBatchItem(command, FieldValues(*dialog, command));
}

}  // namespace sonvara
