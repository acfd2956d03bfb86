// The "Opciones" sheet as the user meets it: what each page shows of the stored settings, what OK
// stores (only for the pages that were shown), a write that fails, the defaults dialog, and from
// the file menu a change of the working folder that closes the editor.

#include "editor/options/options_sheet.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "core/folders.h"
#include "core/settings.h"
#include "devices/output_choice.h"
#include "devices/wave_in.h"
#include "devices/wave_out.h"
#include "editor/files/new_wav_dialog.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_prompts.h"
#include "tests/view/gui_test_app.h"
#include "view/db_edit.h"

namespace sonvara {
namespace {

template <typename Base>
class FakeDevices : public Base {
  public:
    explicit FakeDevices(std::vector<std::string> names) : names_(std::move(names)) {}
    std::vector<std::string> DeviceNames() const override { return names_; }
    int NumberOf(const std::string& name) override { return NumberOrAdded(names_, name); }

  private:
    std::vector<std::string> names_;
};

class FakeOutputs : public FakeDevices<WaveOutProvider> {
  public:
    using FakeDevices::FakeDevices;
    std::unique_ptr<WaveOut> Open(int, const WaveOutFormat&, LSignalObject&,
                                  std::string& error) override {
        error = "no sound here";
        return nullptr;
    }
};

class FakeInputs : public FakeDevices<WaveInProvider> {
  public:
    using FakeDevices::FakeDevices;
    std::unique_ptr<WaveIn> Open(int, const WaveInFormat&, LSignalObject&,
                                 std::string& error) override {
        error = "no sound here";
        return nullptr;
    }
};

// Settings in memory that refuse to store the value named `refused`, and (as the settings file
// does) every value written together with it.
class RefusingStore : public MemorySettingsStore {
  public:
    bool Write(std::string_view section, std::string_view name, std::string_view value) override {
        return name != refused && MemorySettingsStore::Write(section, name, value);
    }
    bool WriteAll(const std::vector<SettingsValue>& values) override {
        for (const SettingsValue& value : values) {
            if (value.name == refused) {
                return false;
            }
        }
        return SettingsStore::WriteAll(values);
    }
    std::string refused;
};

void ClickButtonShowing(QWidget* parent, const QString& text) {
    for (QAbstractButton* button : parent->findChildren<QAbstractButton*>()) {
        if (button->text() == text && button->isVisible()) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
}

// Every text of `page` is shown whole: no control is narrower than its text needs.
void ExpectNothingClipped(QWidget* page) {
    for (QWidget* child : page->findChildren<QWidget*>()) {
        if ((qobject_cast<QAbstractButton*>(child) != nullptr ||
             qobject_cast<QLabel*>(child) != nullptr) &&
            child->isVisible()) {
            EXPECT_GE(child->width(), child->sizeHint().width())
                << child->metaObject()->className() << " " << child->objectName().toStdString();
        }
    }
}

class OptionsSheetTest : public ::testing::Test {
  protected:
    OptionsSheetTest() { previous_ = UseSettingsStore(store_); }
    ~OptionsSheetTest() override { UseSettingsStore(previous_); }

    std::unique_ptr<LOptionsSheet> OpenSheet() {
        auto sheet = std::make_unique<LOptionsSheet>(
            LOptionsSheet::Context{outputs_, inputs_, prompts_, scratch_.File("sonvara"), macros_},
            nullptr);
        sheet->show();
        return sheet;
    }

    std::optional<std::string> Stored(const char* section, const char* name) {
        return store_->Read(section, name);
    }

    QApplication& app_ = testing::GuiApp();
    testing::ScratchFolder scratch_;
    testing::ScopedEnv data_home_{"XDG_DATA_HOME", scratch_.File("data")};
    testing::ScopedEnv config_home_{"XDG_CONFIG_HOME", scratch_.File("config")};
    testing::ScopedEnv data_dirs_{"XDG_DATA_DIRS", scratch_.File("system")};
    std::shared_ptr<RefusingStore> store_ = std::make_shared<RefusingStore>();
    std::shared_ptr<SettingsStore> previous_;
    testing::ScriptedPrompts prompts_;
    FakeOutputs outputs_{{"default", "plughw:1,0", "Sin sonido"}};
    FakeInputs inputs_{{"default", "hw:2,0", "Sin sonido"}};
    std::vector<LSVMacroKeys> macros_;
};

TEST_F(OptionsSheetTest, OkWithOnlyTheGeneralPageShownStoresThatPageAlone) {
    WriteBool("Settings", "PlayBookMark", false);
    auto sheet = OpenSheet();
    EXPECT_EQ(sheet->windowTitle(), "Opciones");
    QTabWidget* pages = sheet->Pages();
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), "General");
    EXPECT_EQ(pages->tabText(1), "Proceso de Audio");
    EXPECT_EQ(pages->tabText(2), "Teclas");
    QWidget* general = pages->widget(0);
    ExpectNothingClipped(general);

    // The stored values and the defaults, as the page shows them.
    auto* mp3 = Control<QCheckBox>(general, "DefaultRunMp3");
    EXPECT_TRUE(mp3->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(general, "PromptSampleAndChannels")->isChecked());
    EXPECT_FALSE(Control<QPushButton>(general, "SetDefaults")->isEnabled());
    auto* bookmark = Control<QCheckBox>(general, "PlayBookMark");
    EXPECT_FALSE(bookmark->isChecked());

    mp3->click();
    bookmark->click();
    ClickButtonShowing(sheet.get(), "Aceptar");
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(Stored("Settings", "DefaultRunMp3"), "0");
    EXPECT_EQ(Stored("Settings", "DefaultRunWav"), "1");
    EXPECT_EQ(Stored("Settings", "PlayBookMark"), "1");
    EXPECT_EQ(Stored("Settings", "PromptSampleAndChannels"), "1");
    for (const char* name :
         {"AutoPlaybackAfterEffects", "SoundOutDevice", "AutoTrimThreshold", "WorkingFolder"}) {
        EXPECT_EQ(Stored("Settings", name), std::nullopt) << name;
    }
    EXPECT_EQ(Stored("Recorder", "Device"), std::nullopt);
    EXPECT_FALSE(sheet->WorkingFolderChanged());
}

TEST_F(OptionsSheetTest, TheAudioPageShowsAndStoresTheDevicesTheThresholdAndTheFolder) {
    WriteString("Settings", "SoundOutDeviceName", "plughw:7,0");  // not in the list
    WriteInt("Recorder", "Device", 1);
    WriteInt("Settings", "AutoTrimThreshold", -60);
    WriteBool("Settings", "AutoPlaybackAfterEffects", false);
    auto sheet = OpenSheet();
    QWidget* audio = sheet->Pages()->widget(1);
    sheet->Pages()->setCurrentIndex(1);
    ExpectNothingClipped(audio);

    auto* output = Control<QComboBox>(audio, "SoundOutDevice");
    ASSERT_EQ(output->count(), 4);
    EXPECT_EQ(output->currentText(), "plughw:7,0");
    auto* input = Control<QComboBox>(audio, "RecorderDevice");
    EXPECT_EQ(input->currentText(), "hw:2,0");
    EXPECT_FALSE(Control<QCheckBox>(audio, "AutoPlaybackAfterEffects")->isChecked());
    auto* threshold = Control<LDBEdit>(audio, "AutoTrimThreshold");
    EXPECT_EQ(threshold->text(), "-40dB");  // the control's lowest
    auto* folder = Control<QLineEdit>(audio, "WorkingFolder");
    EXPECT_EQ(folder->text().toStdString(), GetWorkingFolder());

    output->setCurrentIndex(output->findText("Sin sonido"));
    input->setCurrentIndex(0);
    folder->setText(QString::fromStdString(scratch_.File("work")));
    ClickButtonShowing(sheet.get(), "Aceptar");
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(ChosenOutputDevice(outputs_), 2);
    EXPECT_EQ(Stored("Settings", "SoundOutDeviceName"), "Sin sonido");
    EXPECT_EQ(Stored("Recorder", "Device"), "0");
    EXPECT_EQ(Stored("Recorder", "DeviceName"), "default");
    EXPECT_EQ(Stored("Settings", "AutoTrimThreshold"), "-40");
    EXPECT_EQ(Stored("Settings", "AutoPlaybackAfterEffects"), "0");
    EXPECT_EQ(GetWorkingFolder(), scratch_.File("work"));
    EXPECT_TRUE(sheet->WorkingFolderChanged());

    // The same folder again is no change.
    auto again = OpenSheet();
    again->Pages()->setCurrentIndex(1);
    ClickButtonShowing(again.get(), "Aceptar");
    EXPECT_FALSE(again->isVisible());
    EXPECT_FALSE(again->WorkingFolderChanged());
}

TEST_F(OptionsSheetTest, WhatCannotBeStoredIsSaidAndTheSheetStaysOpenOnItsPage) {
    std::filesystem::create_directories(scratch_.File("system/mime"));
    std::ofstream(scratch_.File("system/mime/globs2")) << "50:audio/x-wav:*.wav\n";
    // A folder where the list of default applications should be.
    std::filesystem::create_directories(scratch_.File("config/mimeapps.list"));
    store_->refused = "AutoPlaybackAfterEffects";
    auto sheet = OpenSheet();
    sheet->Pages()->setCurrentIndex(1);

    ClickButtonShowing(sheet.get(), "Aceptar");
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->Pages()->currentIndex(), 0);
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Error");
    EXPECT_NE(prompts_.Asked()[0].text.find("mimeapps.list"), std::string::npos);

    // The settings file refuses the pages' values: none is stored.
    std::filesystem::remove(scratch_.File("config/mimeapps.list"));
    ClickButtonShowing(sheet.get(), "Aceptar");
    EXPECT_TRUE(sheet->isVisible());
    ASSERT_EQ(prompts_.Asked().size(), 2u);
    EXPECT_NE(prompts_.Asked()[1].text.find("archivo de configuración"), std::string::npos);
    EXPECT_EQ(Stored("Settings", "PlayWhenOpen"), std::nullopt);

    store_->refused.clear();
    ClickButtonShowing(sheet.get(), "Aceptar");
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(prompts_.Asked().size(), 2u);
    std::ifstream list(scratch_.File("config/mimeapps.list"));
    std::ostringstream read;
    read << list.rdbuf();
    const std::string text = read.str();
    EXPECT_NE(text.find("audio/x-wav=sonvara.desktop;"), std::string::npos) << text;
}

TEST_F(OptionsSheetTest, APageThatFailsLeavesTheSettingsOfTheOthersAsTheyWere) {
    WriteString("Folders", "Current", scratch_.File("current"));
    const std::string folder = GetWorkingFolder();
    auto sheet = OpenSheet();
    sheet->Pages()->setCurrentIndex(1);
    Control<QLineEdit>(sheet->Pages()->widget(1), "WorkingFolder")
        ->setText(QString::fromStdString(scratch_.File("work")));
    Control<QCheckBox>(sheet->Pages()->widget(1), "AutoPlaybackAfterEffects")->click();
    sheet->Pages()->setCurrentIndex(2);
    // The key macros' file cannot be written: a folder stands where it goes.
    std::filesystem::create_directories(scratch_.File("current/keys.dat"));

    ClickButtonShowing(sheet.get(), "Aceptar");
    EXPECT_TRUE(sheet->isVisible());
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(GetWorkingFolder(), folder);
    EXPECT_EQ(Stored("Settings", "AutoPlaybackAfterEffects"), std::nullopt);
    EXPECT_EQ(Stored("Settings", "PlayWhenOpen"), std::nullopt);

    std::filesystem::remove(scratch_.File("current/keys.dat"));
    ClickButtonShowing(sheet.get(), "Aceptar");
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(GetWorkingFolder(), scratch_.File("work"));
    EXPECT_EQ(Stored("Settings", "PlayWhenOpen"), "1");
    EXPECT_TRUE(sheet->WorkingFolderChanged());
}

TEST_F(OptionsSheetTest, TheDefaultsButtonEditsTheRateAndChannelsOfANewFileThatDoesNotAsk) {
    auto sheet = OpenSheet();
    QWidget* general = sheet->Pages()->widget(0);
    auto* set_defaults = Control<QPushButton>(general, "SetDefaults");
    Control<QRadioButton>(general, "UseDefaultSampleAndChannels")->click();
    ASSERT_TRUE(set_defaults->isEnabled());

    QString caption;
    QTimer::singleShot(0, [&caption] {
        auto* dialog = qobject_cast<NewWavDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        caption = dialog->windowTitle();
        dialog->RateField()->setEditText("22050");
        dialog->StereoButton()->click();
        ClickButtonShowing(dialog, "Aceptar");
    });
    set_defaults->click();
    EXPECT_EQ(caption, "Activar por Defecto");
    EXPECT_EQ(Stored("Settings", "DefaultSampleRate"), "22050");
    EXPECT_EQ(Stored("Settings", "DefaultChannels"), "2");
    EXPECT_EQ(Stored("Settings", "SelectedSampleRate"), std::nullopt);
}

class OptionsCommandTest : public EditorTest {
  protected:
    testing::ScopedEnv config_home_{"XDG_CONFIG_HOME", scratch_.File("config")};
};

TEST_F(OptionsCommandTest, ANewWorkingFolderClosesTheEditorEvenWhenTheAnswerIsCancel) {
    QAction* options = frame_->Action(kCmOptions);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->text(), "Opciones...");
    prompts_.QueueAnswer(PromptAnswer::kCancel);
    const std::string folder = scratch_.File("new work");
    QTimer::singleShot(0, [folder] {
        auto* sheet = qobject_cast<LOptionsSheet*>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr);
        sheet->Pages()->setCurrentIndex(1);
        Control<QLineEdit>(sheet, "WorkingFolder")->setText(QString::fromStdString(folder));
        ClickButtonShowing(sheet, "Aceptar");
    });
    options->trigger();
    ASSERT_FALSE(prompts_.Asked().empty());
    EXPECT_EQ(prompts_.Asked().back().caption, "Se requiere que desconecte");
    EXPECT_EQ(prompts_.Asked().back().buttons, PromptButtons::kOkCancel);
    EXPECT_FALSE(frame_->isVisible());
    EXPECT_EQ(GetWorkingFolder(), folder);
}

}  // namespace
}  // namespace sonvara
