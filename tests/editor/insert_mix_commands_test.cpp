// The commands that mix, insert and repeat audio as a user drives them: the menu entry, its file
// and parameter dialogs answered, and the document after it, after Ctrl+Z and after Ctrl+Y.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "tests/editor/editor_fixture.h"

namespace sonvara {
namespace {

const QString kStereoFile = QString::fromStdString(kDataFolder + "in_stereo.wav");

Frames Silence(std::size_t frames) {
    return Frames(2 * frames, 0);
}
// `base` with `added` times each channel's factor added from frame `at` on.
Frames Mixed(Frames base, const Frames& added, std::size_t at, int left = 1, int right = 1) {
    for (std::size_t i = 0; i < added.size(); ++i) {
        base[2 * at + i] += added[i] * (i % 2 == 0 ? left : right);
    }
    return base;
}

class InsertMixCommandsTest : public EditorTest {
  protected:
    // A copy on the system clipboard holds cut files of this test's tank, which goes with it.
    ~InsertMixCommandsTest() override { QApplication::clipboard()->clear(); }

    LSVFileWindow* OpenStereo() {
        frame_->Rooms().files.OpenFiles({kStereoFile});
        return frame_->Rooms().workspace.CurrentFile();
    }

    // The next dialog gets `value` in its field named `field` (none: as it is), is shown to
    // `seen`, and then OK (`ok`) or Cancel; OK on a refused value leaves it open: it is cancelled.
    void Answer(const char* field, const char* value, bool ok = true,
                std::function<void(QDialog&)> seen = nullptr) {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (field != nullptr) {
                dialog->findChild<QLineEdit*>(field)->setText(value);
            }
            if (seen) {
                seen(*dialog);
            }
            ok ? dialog->accept() : dialog->reject();
            if (dialog->isVisible()) {
                dialog->reject();
            }
        });
    }

    // Selects as a drag would, and waits for the menus to follow.
    void Select(LSVFileWindow* file, std::int32_t from, std::int32_t to) {
        file->SetSelection(from, to);
        for (int waited = 0; waited < 2000 && Enabled(kCmCopy) != (from != to); waited += 10) {
            QTest::qWait(10);
        }
    }
    void CopyStart(LSVFileWindow* file, std::int32_t frames) {
        Select(file, 0, frames);
        Run(kCmCopy);
    }

    void Run(int id) { frame_->Action(id)->trigger(); }
    bool Enabled(int id) { return frame_->Action(id)->isEnabled(); }
    std::string UndoText() { return frame_->Action(kCmUndo)->text().toStdString(); }
};

struct CommandCase {
    int id;
    std::int32_t cursor, from, to;  // before the command
    const char* field;              // the dialog's field and its value; no field: no dialog
    const char* value;
    Frames (*expected)(const Frames& original);
    const char* undo_name;
};

TEST_F(InsertMixCommandsTest, EachCommandChangesTheFileAndUndoAndRedoFollow) {
    const std::vector<CommandCase> cases = {
        // The copy of [0, 500) goes onto [1000, 1500) at full volume, in the centre.
        {kCmPasteMix, 0, 1000, 1500, "volume", "100",
         [](const Frames& s) { return Mixed(s, Slice(s, 0, 500), 1000); }, "Pegar y Mezclar"},
        // The file is 1503 frames longer than the selection: silence goes in after it first.
        {kCmMixFile, 0, 1500, 2000, "volume", "100",
         [](const Frames& s) {
             return Mixed(
                 Join({Slice(s, 0, 2000), Silence(1503), Slice(s, 2000, kStereoFileFrames)}), s,
                 1500);
         },
         "Mezclar archivo"},
        {kCmInsertFileCursor, 700, 0, 0, nullptr, nullptr,
         [](const Frames& s) {
             return Join({Slice(s, 0, 700), s, Slice(s, 700, kStereoFileFrames)});
         },
         "Insertar Archivo en la posición actual"},
        {kCmInsertFileEnd, 700, 0, 0, nullptr, nullptr,
         [](const Frames& s) {
             return Join({s, s});
         },
         "Insertar Archivo al final"},
        // 1500 ms at 8000 Hz.
        {kCmInsertSilenceCursor, 700, 0, 0, "time", "1500",
         [](const Frames& s) {
             return Join({Slice(s, 0, 700), Silence(12000), Slice(s, 700, kStereoFileFrames)});
         },
         "Insertar Silencio en la posición actual"},
        {kCmInsertSilenceStart, 700, 0, 0, "time", "1",
         [](const Frames& s) {
             return Join({Silence(8), s});
         },
         "Insertar Silencio al comienzo"},
        {kCmRepeat, 0, 100, 300, "times", "2",
         [](const Frames& s) {
             return Join({Slice(s, 0, 300), Slice(s, 100, 300), Slice(s, 100, 300),
                          Slice(s, 300, kStereoFileFrames)});
         },
         "Repetir"},
    };
    for (const CommandCase& command : cases) {
        SCOPED_TRACE(command.undo_name);
        LSVFileWindow* file = OpenStereo();
        const Frames original = ReadList(file->Document().Audio());
        CopyStart(file, 500);
        file->MoveCursor(command.cursor);
        Select(file, command.from, command.to);
        frame_->audio_file_answers = {kStereoFile};
        if (command.field != nullptr) {
            Answer(command.field, command.value);
        }
        ASSERT_TRUE(Enabled(command.id));
        Run(command.id);
        const Frames after = command.expected(original);
        EXPECT_TRUE(ReadList(file->Document().Audio()) == after);
        EXPECT_TRUE(file->IsModified());
        EXPECT_EQ(UndoText(), std::string("Deshacer ") + command.undo_name + "\tCtrl+Z");

        // Without a window manager the frame becomes active again only once the closed dialogs'
        // events are handled.
        QTest::qWait(20);
        frame_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
        QTest::keyClick(frame_.get(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_TRUE(ReadList(file->Document().Audio()) == original);
        EXPECT_FALSE(file->IsModified());
        QTest::keyClick(frame_.get(), Qt::Key_Y, Qt::ControlModifier);
        EXPECT_TRUE(ReadList(file->Document().Audio()) == after);

        file->Document().SetModified(false);
        ASSERT_TRUE(frame_->Rooms().files.CmCloseAll());
        Settle();
    }
}

// Auto trim keeps one 256-frame block of margin on each side of the loud part.
TEST_F(InsertMixCommandsTest, AutoTrimKeepsTheLoudPartAndUndoBringsTheRestBack) {
    LSVFileWindow* file = OpenStereo();
    Frames samples = Silence(8192);
    for (int f = 0; f < 4096; ++f) {
        samples.insert(samples.end(), {(f % 2 == 0 ? 1 : -1) << 18, 1 << 17});
    }
    samples.resize(samples.size() + 2 * 8192, 0);
    file->Document().Audio() = FromSamples(samples, 2);
    Select(file, 100, 200);
    Run(kCmAutoTrim);
    EXPECT_TRUE(ReadList(file->Document().Audio()) == Slice(samples, 31 * 256, 48 * 256));
    EXPECT_EQ(file->Document().Positions(), (LEditPositions{0, 0, 0, 0, 17 * 256}));
    EXPECT_EQ(UndoText(), "Deshacer Auto recortar\tCtrl+Z");
    Run(kCmUndo);
    EXPECT_TRUE(ReadList(file->Document().Audio()) == samples);
}

// The undo point of a paste mix comes before its dialog and stays when it is cancelled.
TEST_F(InsertMixCommandsTest, ACancelledPasteMixKeepsItsUndoPointAndTheModifiedFlag) {
    LSVFileWindow* file = OpenStereo();
    const Frames original = ReadList(file->Document().Audio());
    CopyStart(file, 500);
    QString title;
    bool balance = false;
    Answer(nullptr, nullptr, false, [&](QDialog& dialog) {
        title = dialog.windowTitle();
        balance = dialog.findChild<QSlider*>("balance") != nullptr;  // a stereo file
    });
    Run(kCmPasteMix);
    EXPECT_EQ(title, "Pegar y Mezclar");
    EXPECT_TRUE(balance);
    EXPECT_EQ(UndoText(), "Deshacer Pegar y Mezclar\tCtrl+Z");
    EXPECT_TRUE(file->IsModified());
    EXPECT_TRUE(ReadList(file->Document().Audio()) == original);
}

// Mixed from the system clipboard with the balance at the left, the right channel keeps its
// samples and the left one takes the paste at twice the volume; the mix is selected.
TEST_F(InsertMixCommandsTest, AMixBalancedLeftLeavesTheRightChannelAsItWas) {
    LSVFileWindow* file = OpenStereo();
    const Frames original = ReadList(file->Document().Audio());
    CopyStart(file, 400);
    Select(file, 1000, 1400);
    Answer(nullptr, nullptr, true,
           [](QDialog& dialog) { dialog.findChild<QSlider*>("balance")->setValue(0); });
    Run(kCmPasteMixFromSystem);
    EXPECT_TRUE(ReadList(file->Document().Audio()) ==
                Mixed(original, Slice(original, 0, 400), 1000, 2, 0));
    EXPECT_EQ(file->Document().Positions().selection_end, 1400);
}

// A value the check refuses is shown, the dialog stays open, and nothing is stored or changed.
TEST_F(InsertMixCommandsTest, ARefusedValueKeepsTheDialogOpenWithItsMessage) {
    LSVFileWindow* file = OpenStereo();
    CopyStart(file, 500);
    struct Refusal {
        int id;
        const char* field;
        const char* value;
        const char* message;
    };
    for (const Refusal& refusal : std::vector<Refusal>{
             {kCmInsertSilenceCursor, "time", "-1",
              "El tiempo de Silencio debe ser entre 0 y 10800000ms (3 horas). Por favor, intente "
              "de nuevo."},
             {kCmRepeat, "times", "10001",
              "El número de repeticiones debe ser menor que 10000. Por favor, intente de nuevo."},
             {kCmPasteMix, "volume", "101",
              "La Mezcla de Volumen debe ser menor que 100%. Por favor, intente de nuevo."}}) {
        SCOPED_TRACE(refusal.value);
        const std::size_t asked = prompts_.Asked().size();
        bool stayed_open = false;
        Answer(refusal.field, refusal.value, false, [&](QDialog& dialog) {
            dialog.accept();
            stayed_open = dialog.isVisible();
        });
        Run(refusal.id);
        EXPECT_TRUE(stayed_open);
        ASSERT_EQ(prompts_.Asked().size(), asked + 1);
        EXPECT_EQ(prompts_.Asked().back().caption, "Valor no válido");
        EXPECT_EQ(prompts_.Asked().back().text, refusal.message);
    }
    for (const char* stored : {"SilenceTimes", "RepeatNumTimes", "PasteMixVolume"}) {
        EXPECT_EQ(ReadInt("StoredValues", stored, 7), 7) << stored;
    }
    EXPECT_EQ(file->Document().Audio().GetLength(), static_cast<std::int32_t>(kStereoFileFrames));
}

// Repeat needs a selection and paste mix the internal clipboard; the others a file. The context
// menu offers them all, the insertions as their two submenus.
TEST_F(InsertMixCommandsTest, TheCommandsAreEnabledByWhatTheyNeed) {
    const std::vector<int> with_file = {kCmPasteMixFromSystem, kCmMixFile, kCmAutoTrim,
                                        kCmInsertSilenceEnd, kCmInsertFileStart};
    for (int id : with_file) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    LSVFileWindow* file = OpenStereo();
    for (int id : with_file) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    EXPECT_FALSE(Enabled(kCmRepeat));
    EXPECT_FALSE(Enabled(kCmPasteMix));
    CopyStart(file, 8);
    EXPECT_TRUE(Enabled(kCmRepeat));
    EXPECT_TRUE(Enabled(kCmPasteMix));

    QStringList context;
    for (QAction* action : file->actions()) {
        context << action->text();
    }
    for (const char* entry : {"Pegar la Mezcla...", "Mezclar el Archivo...", "Repetir...",
                              "Auto Recortar", "Insertar Silencio", "Insertar Archivo"}) {
        EXPECT_TRUE(context.contains(entry)) << entry;
    }
    EXPECT_FALSE(context.contains("Comienzo"));
}

}  // namespace
}  // namespace sonvara
