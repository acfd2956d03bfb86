// The key macros as a user meets them: a key combination captured with its modifiers and named
// in Ctrl, Alt, Shift order; a macro built on the keys page, written to "keys.dat" and found there
// by the next start; its key running the macro's dialogs in turn instead of a built-in key, once
// while held; the messages of a damaged file and of a file that cannot be written.

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <deque>
#include <fstream>
#include <functional>

#include "core/folders.h"
#include "editor/common/key_value.h"
#include "editor/effects/effect_dialog.h"
#include "editor/options/key_change_dialog.h"
#include "editor/options/keys_page.h"
#include "editor/options/macro_dialogs.h"
#include "tests/editor/editor_fixture.h"

namespace sonvara {
namespace {

// Acts on modal dialogs as they come up: each step waits until the active modal dialog has the
// step's object name, then acts on it from an event of its own, so that a dialog the action
// opens runs its loop while the script goes on.
class DialogScript {
  public:
    using Act = std::function<void(QWidget&)>;
    DialogScript() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }
    void Then(const char* name, Act act) { steps_.push_back({name, std::move(act)}); }
    bool Done() const { return steps_.empty(); }

  private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (steps_.empty() || modal == nullptr || modal->objectName() != steps_.front().name) {
            return;
        }
        Act act = std::move(steps_.front().act);
        steps_.pop_front();
        QTimer::singleShot(0, modal, [modal, act] { act(*modal); });
    }

    struct Step {
        QString name;
        Act act;
    };
    std::deque<Step> steps_;
    QTimer timer_;
};

void Click(QWidget& dialog, const char* button) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
}

class MacroKeysTest : public EditorTest {
  protected:
    LSVFileWindow* OpenStereo() {
        frame_->Rooms().files.OpenFiles({QString::fromStdString(kDataFolder + "in_stereo.wav")});
        return frame_->Rooms().workspace.CurrentFile();
    }
    void Select(LSVFileWindow* file, std::int32_t from, std::int32_t to) {
        file->SetSelection(from, to);
        for (int waited = 0; waited < 2000 && frame_->Action(kCmTrim)->isEnabled() != (from != to);
             waited += 10) {
            QTest::qWait(10);
        }
    }
    static int UndoSteps(LSVFileWindow* file) {
        int steps = 0;
        for (; file->Document().CanUndo(); ++steps) {
            file->Document().Undo();
        }
        return steps;
    }
    void PutKeysFile(std::initializer_list<std::uint8_t> bytes) {
        std::ofstream out(KeysFilePath(), std::ios::binary | std::ios::trunc);
        for (std::uint8_t byte : bytes) {
            out.put(static_cast<char>(byte));
        }
    }
    std::size_t Asked(const char* text) const {
        return static_cast<std::size_t>(
            std::count_if(prompts_.Asked().begin(), prompts_.Asked().end(),
                          [text](const PromptMessage& asked) { return asked.text == text; }));
    }
};

TEST_F(MacroKeysTest, TheKeyDialogTakesTheFirstKeyWithItsModifiersNamedCtrlAltShift) {
    struct Press {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* name;
    };
    for (const Press& press :
         {Press{Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+F5"},
          Press{Qt::Key_A, Qt::AltModifier | Qt::ControlModifier, "Ctrl+Alt+A"},
          // A shifted digit key keeps its key: Shift+1, not "!".
          Press{Qt::Key_Exclam, Qt::ShiftModifier, "Shift+1"},
          Press{Qt::Key_Space, Qt::NoModifier, "Space"}}) {
        SCOPED_TRACE(press.name);
        LKeyChangeDlg dialog(frame_.get());
        dialog.show();
        // The modifiers alone are not a key.
        QTest::keyPress(&dialog, Qt::Key_Control, Qt::ControlModifier);
        QTest::keyPress(&dialog, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_TRUE(dialog.isVisible());
        QTest::keyClick(&dialog, press.key, press.modifiers);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        ASSERT_TRUE(dialog.Key());
        EXPECT_EQ(KeyName(*dialog.Key()).toStdString(), press.name);
    }
    LKeyChangeDlg dialog(frame_.get());
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.Key());
}

TEST_F(MacroKeysTest, AMacroBuiltOnThePageRunsItsDialogsInTurnFromTheKeyAndAfterTheNextStart) {
    // A macro can hold only commands the frame has.
    for (const MacroCommand& command : MacroCommands()) {
        EXPECT_NE(FindCommand(command.id), nullptr) << command.name;
    }
    LKeysPage page(frame_->Rooms().tools.Macros(), prompts_);
    page.show();
    EXPECT_EQ(page.List()->topLevelItemCount(), 0);

    DialogScript script;
    script.Then("SelectKeysMacroDlg", [](QWidget& dialog) { Click(dialog, "changeKey"); });
    script.Then("LKeyChangeDlg", [](QWidget& dialog) {
        QTest::keyClick(&dialog, Qt::Key_F5, Qt::ShiftModifier | Qt::ControlModifier);
    });
    script.Then("SelectKeysMacroDlg", [](QWidget& dialog) { Click(dialog, "addCommand"); });
    script.Then("AddKeysCommandDlg", [](QWidget& dialog) {
        // Chosen in the other order; they come in the list's.
        auto* list = static_cast<AddKeysCommandDlg&>(dialog).List();
        list->clearSelection();
        list->item(10)->setSelected(true);  // Normalizador
        list->item(9)->setSelected(true);   // Amplificador
        static_cast<QDialog&>(dialog).accept();
    });
    QString key_shown;
    QStringList commands_shown;
    script.Then("SelectKeysMacroDlg", [&](QWidget& dialog) {
        key_shown = dialog.findChild<QLineEdit*>("key")->text();
        auto* commands = dialog.findChild<QListWidget*>("commands");
        for (int row = 0; row < commands->count(); ++row) {
            commands_shown << commands->item(row)->text();
        }
        static_cast<QDialog&>(dialog).accept();
    });
    page.CmAddKeysMacros();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(key_shown, "Ctrl+Shift+F5");
    EXPECT_EQ(commands_shown, QStringList({"Amplificador", "Normalizador"}));
    ASSERT_EQ(page.List()->topLevelItemCount(), 1);
    EXPECT_EQ(page.List()->topLevelItem(0)->text(0), "Ctrl+Shift+F5");
    EXPECT_EQ(page.List()->topLevelItem(0)->text(1), "Amplificador, Normalizador");
    EXPECT_TRUE(frame_->Rooms().tools.Macros().empty());  // until OK

    ASSERT_TRUE(page.CmOk());
    const LSVMacroKeys macro{0x74 | kCtrlBit | kShiftBit, {4001, 4002}};
    EXPECT_EQ(frame_->Rooms().tools.Macros(), std::vector<LSVMacroKeys>{macro});

    // The next start has the macro from its first key press.
    frame_.reset();
    frame_ = std::make_unique<TestFrame>(recording_);
    frame_->Rooms().workspace.SetPrompts(&prompts_);
    frame_->show();
    EXPECT_EQ(frame_->Rooms().tools.Macros(), std::vector<LSVMacroKeys>{macro});

    LSVFileWindow* file = OpenStereo();
    const std::int32_t length = file->Document().Audio().GetLength();
    Select(file, 300, 900);
    QStringList captions;
    script.Then("LSVAmplifyDlg", [&](QWidget& dialog) {
        captions << dialog.windowTitle();
        static_cast<LSVEffectDlg&>(dialog).NumberField("AmplifyGain")->setValue(150);
        static_cast<QDialog&>(dialog).accept();
    });
    script.Then("LSVNormalizeDlg", [&](QWidget& dialog) {
        captions << dialog.windowTitle();
        static_cast<QDialog&>(dialog).accept();
    });
    QTest::keyClick(frame_.get(), Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(captions, QStringList({"Amplificador", "Normalizador"}));
    EXPECT_EQ(file->Document().Audio().GetLength(), length);
    EXPECT_EQ(UndoSteps(file), 2);
}

TEST_F(MacroKeysTest, AMacroKeyRunsInsteadOfTheBuiltInKeyAndOnceWhileHeld) {
    LSVFileWindow* file = OpenStereo();
    const std::int32_t length = file->Document().Audio().GetLength();
    // Without a macro Ctrl+T trims.
    Select(file, 300, 900);
    QTest::keyClick(frame_.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(file->Document().Audio().GetLength(), 600);
    file->Document().Undo();

    frame_->Rooms().tools.Macros() = {{'T' | kCtrlBit, {kCmDCOffsetCorrection}}};
    Select(file, 300, 900);
    QTest::keyPress(frame_.get(), Qt::Key_T, Qt::ControlModifier);
    // The repeats of a held key: the shortcut check is taken (no trim) and the macro is not run.
    for (int repeat = 0; repeat < 3; ++repeat) {
        QKeyEvent check(QEvent::ShortcutOverride, Qt::Key_T, Qt::ControlModifier, "", true);
        check.ignore();
        QWidget* focus = frame_->focusWidget() != nullptr ? frame_->focusWidget() : frame_.get();
        QApplication::sendEvent(focus, &check);
        EXPECT_TRUE(check.isAccepted());
        QKeyEvent press(QEvent::KeyPress, Qt::Key_T, Qt::ControlModifier, "", true);
        QApplication::sendEvent(focus, &press);
    }
    QTest::keyRelease(frame_.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(file->Document().Audio().GetLength(), length);
    EXPECT_EQ(file->Document().UndoMenuText(), "Deshacer Corrección DC Offset\tCtrl+Z");
    EXPECT_EQ(UndoSteps(file), 1);
}

TEST_F(MacroKeysTest, ADamagedFileIsSaidAndAFileThatCannotBeWrittenKeepsThePageOpen) {
    // One byte 0: no macros and nothing said.
    frame_->Rooms().tools.Macros() = {{'T' | kCtrlBit, {2007}}};
    PutKeysFile({0});
    {
        LKeysPage page(frame_->Rooms().tools.Macros(), prompts_);
        EXPECT_TRUE(page.CmOk());  // never shown: nothing read or written
        EXPECT_EQ(frame_->Rooms().tools.Macros().size(), 1u);
        page.show();
        EXPECT_EQ(page.List()->topLevelItemCount(), 0);
        EXPECT_TRUE(frame_->Rooms().tools.Macros().empty());
    }
    EXPECT_TRUE(prompts_.Asked().empty());

    // Another version: said when the page opens and at the next start; no macros, the editor goes
    // on.
    PutKeysFile({1, 0x54, 0, 2, 0, 1, 0xD7, 7, 0, 0});
    {
        LKeysPage page(frame_->Rooms().tools.Macros(), prompts_);
        page.show();
        EXPECT_EQ(page.List()->topLevelItemCount(), 0);
    }
    EXPECT_EQ(Asked(kKeysFileVersionMessage), 1u);
    frame_.reset();
    frame_ = std::make_unique<TestFrame>(recording_);
    frame_->Rooms().workspace.SetPrompts(&prompts_);
    frame_->show();
    QTest::qWait(50);
    EXPECT_EQ(Asked(kKeysFileVersionMessage), 2u);
    EXPECT_TRUE(frame_->Rooms().tools.Macros().empty());
    EXPECT_NE(OpenStereo(), nullptr);

    // The data folder is a file: OK says it cannot write and the frame keeps its list.
    const std::string blocker = scratch_.File("not-a-folder");
    std::ofstream(blocker).put('x');
    WriteString("Folders", "Current", blocker);
    LKeysPage page(frame_->Rooms().tools.Macros(), prompts_);
    page.show();
    frame_->Rooms().tools.Macros() = {{'T' | kCtrlBit, {2007}}};
    const std::vector<LSVMacroKeys> kept = frame_->Rooms().tools.Macros();
    EXPECT_FALSE(page.CmOk());
    EXPECT_EQ(Asked(kKeysFileWriteMessage), 1u);
    EXPECT_EQ(frame_->Rooms().tools.Macros(), kept);
}

}  // namespace
}  // namespace sonvara
