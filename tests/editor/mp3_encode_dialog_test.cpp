// The MP3 options dialog: what it shows, which controls each mode enables, what OK and Cancel
// answer, the refused rate range, and a save as ".mp3" in the editor asking through it (with the
// stand-in encoder of tests/formats/mp3_encoder_stand_in.cpp).

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "core/settings.h"
#include "editor/common/mp3_encode_dialog.h"
#include "editor/common/qt_runtime.h"
#include "formats/mp3_encoder_settings.h"
#include "tests/editor/editor_fixture.h"

namespace sonvara {
namespace {

int BitRateShown(QWidget* dialog, const char* name) {
    return Control<QComboBox>(dialog, name)->currentData().toInt();
}

void ChooseBitRate(QWidget* dialog, const char* name, int rate) {
    QComboBox* combo = Control<QComboBox>(dialog, name);
    const int index = combo->findData(rate);
    ASSERT_GE(index, 0) << rate;
    combo->setCurrentIndex(index);
}

void ClickButton(QWidget* dialog, const QString& text) {
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
}

// Runs `act` on the MP3 options dialog once it is the active modal window (a save may pump
// events before it asks). The polling stops with `owner`.
void WhenShown(QObject* owner, std::function<void(LMp3EncodeDlg*)> act) {
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act = std::move(act)] {
        if (auto* dialog = qobject_cast<LMp3EncodeDlg*>(QApplication::activeModalWidget())) {
            timer->stop();
            act(dialog);
        }
    });
    timer->start(1);
}

const Mp3EncoderSettings kStored{.constant_bit_rate = true,
                                 .cbr_bit_rate = 192,
                                 .high_quality = false,
                                 .vbr_min_bit_rate = 64,
                                 .vbr_max_bit_rate = 256,
                                 .vbr_quality = 2,
                                 .error_protection = true,
                                 .channel_mode = 3};

TEST_F(EditorTest, TheMp3DialogShowsTheRecordAndEnablesOnlyTheChosenModesControls) {
    LMp3EncodeDlg dialog(prompts_, kStored, frame_.get());
    EXPECT_EQ(dialog.objectName(), "LMP3ENCODEDLG");
    EXPECT_EQ(dialog.windowTitle(), "Opciones para el Codificador Mp3");
    EXPECT_TRUE(Control<QRadioButton>(&dialog, "constantBitRate")->isChecked());
    EXPECT_EQ(BitRateShown(&dialog, "cbrBitRate"), 192);
    EXPECT_FALSE(Control<QCheckBox>(&dialog, "highQuality")->isChecked());
    EXPECT_EQ(BitRateShown(&dialog, "vbrMinBitRate"), 64);
    EXPECT_EQ(BitRateShown(&dialog, "vbrMaxBitRate"), 256);
    EXPECT_EQ(Control<QSpinBox>(&dialog, "vbrQuality")->value(), 2);
    EXPECT_TRUE(Control<QCheckBox>(&dialog, "errorProtection")->isChecked());
    EXPECT_EQ(Control<QComboBox>(&dialog, "channelMode")->currentText(), "Mono");
    EXPECT_EQ(dialog.Settings(), kStored);

    const char* cbr_only[] = {"cbrBitRate", "highQuality"};
    const char* vbr_only[] = {"vbrMinBitRate", "vbrMaxBitRate", "vbrQuality"};
    for (const bool constant : {true, false, true}) {
        Control<QRadioButton>(&dialog, constant ? "constantBitRate" : "variableBitRate")->click();
        EXPECT_NE(Control<QRadioButton>(&dialog, "variableBitRate")->isChecked(), constant);
        for (const char* name : cbr_only) {
            EXPECT_EQ(Control<QWidget>(&dialog, name)->isEnabled(), constant) << name;
        }
        for (const char* name : vbr_only) {
            EXPECT_EQ(Control<QWidget>(&dialog, name)->isEnabled(), !constant) << name;
        }
        EXPECT_TRUE(Control<QWidget>(&dialog, "channelMode")->isEnabled());
        EXPECT_TRUE(Control<QWidget>(&dialog, "errorProtection")->isEnabled());
    }

    // Stored values the encoder would not take show as what it makes of them.
    Mp3EncoderSettings odd = kStored;
    odd.cbr_bit_rate = 100;
    odd.vbr_min_bit_rate = 0;
    odd.vbr_max_bit_rate = 1000;
    odd.vbr_quality = 12;
    odd.channel_mode = 7;
    const Mp3EncoderSettings shown = LMp3EncodeDlg(prompts_, odd, frame_.get()).Settings();
    EXPECT_EQ(shown.cbr_bit_rate, 96);
    EXPECT_EQ(shown.vbr_min_bit_rate, 8);
    EXPECT_EQ(shown.vbr_max_bit_rate, 320);
    EXPECT_EQ(shown.vbr_quality, 9);
    EXPECT_EQ(shown.channel_mode, 1);
}

TEST_F(EditorTest, TheMp3DialogAnswersTheEditedRecordOnOkAndLeavesItOnCancel) {
    QtPrompts prompts(frame_.get());
    QObject owner;
    WhenShown(&owner, [](LMp3EncodeDlg* dialog) {
        Control<QRadioButton>(dialog, "variableBitRate")->click();
        ChooseBitRate(dialog, "vbrMinBitRate", 40);
        ChooseBitRate(dialog, "vbrMaxBitRate", 320);
        Control<QSpinBox>(dialog, "vbrQuality")->setValue(7);
        Control<QCheckBox>(dialog, "errorProtection")->setChecked(false);
        Control<QComboBox>(dialog, "channelMode")->setCurrentIndex(2);
        ClickButton(dialog, "Aceptar");
    });
    Mp3EncoderSettings settings = kStored;
    ASSERT_TRUE(prompts.AskMp3EncoderSettings(settings));
    Mp3EncoderSettings expected = kStored;
    expected.constant_bit_rate = false;
    expected.vbr_min_bit_rate = 40;
    expected.vbr_max_bit_rate = 320;
    expected.vbr_quality = 7;
    expected.error_protection = false;
    expected.channel_mode = 2;
    EXPECT_EQ(settings, expected);

    WhenShown(&owner, [](LMp3EncodeDlg* dialog) {
        ChooseBitRate(dialog, "cbrBitRate", 32);
        Control<QComboBox>(dialog, "channelMode")->setCurrentIndex(0);
        ClickButton(dialog, "Cancelar");
    });
    EXPECT_FALSE(prompts.AskMp3EncoderSettings(settings));
    EXPECT_EQ(settings, expected);
}

// FLAC, Ogg Vorbis, Opus and AAC ask their one value each, within its range, starting from the
// stored one; OK answers the edited settings, Cancel leaves them.
TEST_F(EditorTest, TheCompressedFormatsDialogsAskTheirOwnValue) {
    QtPrompts prompts(frame_.get());
    const struct {
        CompressedFormat format;
        const char* title;
        int low;
        int high;
        int CompressionSettings::*field;
    } cases[] = {
        {CompressedFormat::kFlac, "Opciones de FLAC", 0, 8, &CompressionSettings::flac_level},
        {CompressedFormat::kVorbis, "Opciones de Ogg Vorbis", 0, 10,
         &CompressionSettings::vorbis_quality},
        {CompressedFormat::kOpus, "Opciones de Opus", 6, 512, &CompressionSettings::opus_kbps},
        {CompressedFormat::kAac, "Opciones de AAC (M4A)", 16, 512, &CompressionSettings::aac_kbps},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        const CompressionSettings stored{
            .flac_level = 3, .vorbis_quality = 4, .opus_kbps = 96, .aac_kbps = 128};
        for (const bool ok : {true, false}) {
            QObject owner;
            QString title;
            int shown = -1;
            auto* timer = new QTimer(&owner);
            QObject::connect(timer, &QTimer::timeout, timer, [&, timer] {
                QWidget* dialog = QApplication::activeModalWidget();
                if (dialog == nullptr || dialog->objectName() != "LCompressionDlg") {
                    return;
                }
                timer->stop();
                title = dialog->windowTitle();
                // The title is not cut short by a narrow dialog.
                EXPECT_GE(dialog->width(), 2 * dialog->fontMetrics().horizontalAdvance(title));
                auto* value = Control<QSpinBox>(dialog, "value");
                EXPECT_EQ(value->minimum(), c.low);
                EXPECT_EQ(value->maximum(), c.high);
                shown = value->value();
                value->setValue(c.high);
                ClickButton(dialog, ok ? "Aceptar" : "Cancelar");
            });
            timer->start(1);
            CompressionSettings settings = stored;
            EXPECT_EQ(prompts.AskCompressionSettings(c.format, settings), ok);
            EXPECT_EQ(title, c.title);
            EXPECT_EQ(shown, stored.*c.field);
            CompressionSettings expected = stored;
            if (ok) {
                expected.*c.field = c.high;
            }
            EXPECT_EQ(settings, expected);
        }
    }
}

TEST_F(EditorTest, TheMp3DialogRefusesAVariableRateWhoseLowestIsAboveItsHighest) {
    LMp3EncodeDlg dialog(prompts_, kStored, frame_.get());
    dialog.show();
    Control<QRadioButton>(&dialog, "variableBitRate")->click();
    ChooseBitRate(&dialog, "vbrMinBitRate", 160);
    ChooseBitRate(&dialog, "vbrMaxBitRate", 128);
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Valor no válido");
    EXPECT_EQ(prompts_.Asked()[0].text,
              "La tasa de bits mínima no puede ser mayor que la tasa de bits máxima.");

    // Equal rates are a range; so is any pair while the constant rate is chosen, since the
    // variable rates cannot be edited then.
    ChooseBitRate(&dialog, "vbrMaxBitRate", 160);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.show();
    dialog.setResult(QDialog::Rejected);
    ChooseBitRate(&dialog, "vbrMaxBitRate", 128);
    Control<QRadioButton>(&dialog, "constantBitRate")->click();
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(prompts_.Asked().size(), 1u);
}

// Scripted answers for everything but the MP3 options, which the real dialog asks.
class Mp3DialogPrompts : public testing::ScriptedPrompts {
  public:
    explicit Mp3DialogPrompts(QWidget* parent) : dialogs_(parent) {}
    bool AskMp3EncoderSettings(Mp3EncoderSettings& settings) override {
        return dialogs_.AskMp3EncoderSettings(settings);
    }

  private:
    QtPrompts dialogs_;
};

TEST_F(EditorTest, SaveAsMp3AsksThroughTheDialogAndEncodesWithTheChosenRate) {
    const std::string record = scratch_.File("record.txt");
    std::filesystem::create_directories(scratch_.File("tmp"));
    testing::ScopedEnv record_env("SONVARA_STAND_IN_RECORD", record);
    testing::ScopedEnv mp3_env("SONVARA_STAND_IN_MP3",
                               std::string(SONVARA_MP3_DATA_DIR) + "/cbr128_stereo_44k.mp3");
    testing::ScopedEnv tmpdir("TMPDIR", scratch_.File("tmp"));
    WriteString("Components/mp3kx", "Path", SONVARA_MP3_STAND_IN);
    Mp3DialogPrompts prompts(frame_.get());
    frame_->Rooms().workspace.SetPrompts(&prompts);

    frame_->Rooms().files.OpenFiles({QString::fromStdString(Copy("in_stereo.wav"))});
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    ASSERT_NE(file, nullptr);
    QObject owner;
    WhenShown(&owner, [](LMp3EncodeDlg* dialog) {
        Control<QRadioButton>(dialog, "constantBitRate")->click();
        ChooseBitRate(dialog, "cbrBitRate", 192);
        ClickButton(dialog, "Aceptar");
    });
    const std::string target = scratch_.File("copy.mp3");
    frame_->save_answers.push_back(QString::fromStdString(target));
    ASSERT_TRUE(frame_->Rooms().files.CmSaveAs());
    EXPECT_TRUE(prompts.Asked().empty());
    EXPECT_EQ(file->Path(), target);
    EXPECT_TRUE(std::filesystem::exists(target));

    const Mp3EncoderSettings stored = ReadMp3EncoderSettings();
    EXPECT_TRUE(stored.constant_bit_rate);
    EXPECT_EQ(stored.cbr_bit_rate, 192);
    std::ifstream in(record);
    std::stringstream arguments;
    arguments << in.rdbuf();
    EXPECT_NE(arguments.str().find("\n-b\n192\n"), std::string::npos) << arguments.str();
}

}  // namespace
}  // namespace sonvara
