// The frame's view, selection, window and conversion commands, and its time fields, driven
// through the menus, the keys and the mouse.

#include <gtest/gtest.h>
#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "audio/sound_time.h"
#include "editor/edit/convert_rate_dialog.h"
#include "editor/frame/single_instance.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/wait_until_qt.h"
#include "view/wave_window.h"

namespace sonvara {
namespace {

using testing::PumpEventsUntil;

std::string Hundredths(std::int32_t frames, std::int32_t rate) {
    LSoundTime time;
    time.SetSamples(frames, rate);
    return time.Hundredths();
}

class FrameCommandsTest : public EditorTest {
  protected:
    // Opens the stereo test file (2003 frames at 8000 Hz) in a window of a known size.
    LSVFileWindow* OpenStereo() {
        frame_->Rooms().files.OpenFiles({QString::fromStdString(Copy("in_stereo.wav"))});
        LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
        file->parentWidget()->resize(700, 400);
        file->WaveView()->WaitForColumns();
        return file;
    }

    void Key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(frame_.get(), static_cast<Qt::Key>(key), modifiers);
    }

    std::string Field(TimeField field) { return frame_->TimeFieldText(field).toStdString(); }
};

TEST_F(FrameCommandsTest, TheTimeFieldsFollowAMouseSelection) {
    EXPECT_TRUE(frame_->TimeFieldText(TimeField::kCursor).isEmpty());
    LSVFileWindow* file = OpenStereo();
    EXPECT_EQ(Field(TimeField::kSelectionLength), "0:00:00.000");

    LSVWaveWindow* view = file->WaveView();
    const WaveColumnMapping mapping = view->Mapping();
    const int x_from = mapping.ColumnOf(1600) + 1;
    const int x_to = mapping.ColumnOf(400) + 1;
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(x_from, 20));
    QTest::mouseMove(view, QPoint(x_to, 20));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(x_to, 20));
    const LEditPositions& positions = file->Document().Positions();
    ASSERT_NEAR(positions.selection_start, 400, 4);
    ASSERT_NEAR(positions.selection_end, 1600, 4);

    // 8 frames a millisecond.
    const std::string start = Hundredths(positions.selection_start, 8000);
    EXPECT_TRUE(PumpEventsUntil([&] { return Field(TimeField::kSelectionStart) == start; }));
    EXPECT_EQ(Field(TimeField::kSelectionEnd), Hundredths(positions.selection_end, 8000));
    EXPECT_EQ(Field(TimeField::kCursor), Hundredths(positions.cursor, 8000));
    char length[32];
    std::snprintf(length, sizeof length, "0:00:00.%03d",
                  (positions.selection_end - positions.selection_start) / 8);
    EXPECT_EQ(Field(TimeField::kSelectionLength), length);

    // The cursor moved by a command shows within the timer's period.
    frame_->Action(kCmEnd)->trigger();
    EXPECT_TRUE(PumpEventsUntil([&] { return Field(TimeField::kCursor) == "0:00:00.25"; }));
}

TEST_F(FrameCommandsTest, ADragPastTheRightEdgeScrollsTheViewAndStretchesTheSelection) {
    LSVFileWindow* file = OpenStereo();
    file->SetSelection(0, 500);
    file->ZoomSelection();
    LSVWaveWindow* view = file->WaveView();
    ASSERT_TRUE(view->WaitForColumns());
    const int x = view->Mapping().ColumnOf(250) + 1;
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(x, 20));
    QTest::mouseMove(view, QPoint(view->width() + 10, 20));
    const LEditPositions& positions = file->Document().Positions();
    EXPECT_TRUE(PumpEventsUntil([&] { return file->View().start >= 150; }));
    EXPECT_EQ(file->View().end - file->View().start, 500);
    // The end of the selection goes with the right edge of the view.
    EXPECT_TRUE(PumpEventsUntil([&] { return positions.selection_end >= 650; }));
    EXPECT_NEAR(positions.selection_start, 250, 2);

    // Back inside the view the scrolling stops.
    QTest::mouseMove(view, QPoint(x, 20));
    const ViewRange stopped = file->View();
    QTest::qWait(250);
    EXPECT_EQ(file->View(), stopped);
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(x, 20));
}

TEST_F(FrameCommandsTest, ZoomAndSelectionCommandsCarryTheirIdsAndKeys) {
    const std::tuple<int, const char*, const char*> commands[] = {
        {5001, "Zoom In\tCtrl+Plus", "Ctrl++"},
        {5002, "Zoom Out\tCtrl+Minus", "Ctrl+-"},
        {5003, "Zoom Selección\tCtrl+Shift+S", "Ctrl+Shift+S"},
        {5004, "Zoom Completo\tCtrl+Shift+F", "Ctrl+Shift+F"},
        {5005, "Zoom Vertical\tCtrl+Shift+V", "Ctrl+Shift+V"},
        {2007, "Seleccionar Todo\tCtrl+A", "Ctrl+A"},
        {3007, "Ir al Inicio\tInicio", "Home"},
        {3010, "Ir al Final\tFinal", "End"}};
    for (const auto& [id, text, key] : commands) {
        QAction* action = frame_->Action(id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_EQ(action->text(), QString::fromUtf8(text)) << id;
        EXPECT_EQ(action->property("commandId").toInt(), id);
        EXPECT_TRUE(action->shortcuts().contains(QKeySequence(key))) << id;
        EXPECT_FALSE(action->isEnabled()) << id;  // no file yet
    }

    LSVFileWindow* file = OpenStereo();
    QApplication::setActiveWindow(frame_.get());  // keys reach the shortcuts of the active one
    for (const auto& [id, text, key] : commands) {
        EXPECT_TRUE(frame_->Action(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(frame_->Action(kCmDisplayLeftRight)->isEnabled());
    const LEditPositions& positions = file->Document().Positions();

    file->MoveCursor(1000);
    Key(Qt::Key_End, Qt::ShiftModifier);  // selects from the cursor to the end
    EXPECT_EQ(positions.selection_start, 1000);
    EXPECT_EQ(positions.selection_end, 2003);
    EXPECT_EQ(positions.cursor, 2003);
    Key(Qt::Key_Home);
    EXPECT_EQ(positions.cursor, 0);
    EXPECT_EQ(positions.selection_end, 2003);  // a plain key leaves the selection
    file->MoveCursor(700);
    Key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(positions.selection_start, 0);
    EXPECT_EQ(positions.selection_end, 700);
    EXPECT_EQ(positions.cursor, 0);

    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(file->View(), (ViewRange{0, 700}));
    Key(Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(file->View(), (ViewRange{0, 1400}));
    Key(Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(file->View(), (ViewRange{0, 700}));
    Key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(file->View(), (ViewRange{0, 2003}));
    Key(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(file->VerticalZoom());
    EXPECT_TRUE(frame_->Action(5005)->isChecked());

    file->MoveCursor(300);
    file->SetSelection(100, 200);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(positions.selection_start, 0);
    EXPECT_EQ(positions.selection_end, 2003);
    EXPECT_EQ(positions.cursor, 300);

    frame_->Action(kCmDisplayLeftRight)->trigger();
    EXPECT_EQ(file->DisplayMode(), WaveDisplayMode::kLeftRight);

    // The display modes need two channels.
    WriteBool("Settings", "PromptSampleAndChannels", false);
    frame_->Rooms().files.CmNew();
    EXPECT_FALSE(frame_->Action(kCmDisplayLeftRight)->isEnabled());
    EXPECT_TRUE(frame_->Action(kCmZoomIn)->isEnabled());
}

TEST_F(FrameCommandsTest, AFileConvertedToMonoSavesAndOpensAsMono) {
    LSVFileWindow* file = OpenStereo();
    const std::vector<Sample> stereo = ReadList(file->Document().Audio());
    EXPECT_TRUE(frame_->Action(kCmStereo)->isChecked());

    frame_->Action(kCmMono)->trigger();
    const LCutListAudio& audio = file->Document().Audio();
    ASSERT_EQ(audio.GetChannels(), 1);
    EXPECT_EQ(audio.GetLength(), 2003);
    EXPECT_TRUE(file->IsModified());
    EXPECT_TRUE(file->Document().CanUndo());
    EXPECT_TRUE(frame_->Action(kCmMono)->isChecked());
    EXPECT_FALSE(frame_->Action(kCmDisplayLeftRight)->isEnabled());
    EXPECT_EQ(frame_->StatusText(), "Tasa de muestra: 8000   Mono");
    // Mono keeps the left channel.
    const std::vector<Sample> mono = ReadList(audio);
    ASSERT_EQ(mono.size(), 2003u);
    for (std::size_t f = 0; f < mono.size(); ++f) {
        ASSERT_EQ(mono[f], stereo[2 * f]) << f;
    }

    // Saved as Sun AU, it opens with the same frames (to the 16 bits the file keeps).
    frame_->save_answers.push_back(QString::fromStdString(scratch_.File("mono.au")));
    ASSERT_TRUE(frame_->Rooms().files.CmSaveAs());
    EXPECT_FALSE(file->IsModified());
    TestFrame reader;
    reader.Rooms().workspace.SetPrompts(&prompts_);
    reader.Rooms().files.OpenFiles({QString::fromStdString(scratch_.File("mono.au"))});
    ASSERT_EQ(reader.Rooms().workspace.Files().size(), 1u);
    const LCutListAudio& reopened = reader.Rooms().workspace.Files()[0]->Document().Audio();
    EXPECT_EQ(reopened.GetChannels(), 1);
    EXPECT_EQ(reopened.GetSampleRate(), 8000);
    const std::vector<Sample> read = ReadList(reopened);
    ASSERT_EQ(read.size(), mono.size());
    for (std::size_t f = 0; f < mono.size(); ++f) {
        ASSERT_NEAR(read[f], mono[f], 16) << f;
    }

    // Stereo again: two equal channels.
    frame_->Action(kCmStereo)->trigger();
    ASSERT_EQ(audio.GetChannels(), 2);
    const std::vector<Sample> doubled = ReadList(audio);
    EXPECT_EQ(doubled[2 * 500], doubled[2 * 500 + 1]);
}

// A VOX file is mono: saving a stereo document as one converts it as an edit of its own, which
// gives the stereo document back, and which a failed save takes back by itself.
TEST_F(FrameCommandsTest, AVoxSaveConvertsToMonoAsAnEditThatUndoes) {
    LSVFileWindow* file = OpenStereo();
    LEditDocument& document = file->Document();
    const std::vector<Sample> stereo = ReadList(document.Audio());

    prompts_.QueueRawFormat({8000, 0, 1});
    frame_->save_answers.push_back(QString::fromStdString(scratch_.File("take.vox")));
    ASSERT_TRUE(frame_->Rooms().files.CmSaveAs());
    EXPECT_EQ(document.Audio().GetChannels(), 1);
    EXPECT_FALSE(file->IsModified());
    EXPECT_EQ(document.UndoMenuText(), "Deshacer Convertir a Mono\tCtrl+Z");
    document.Undo();
    EXPECT_EQ(document.Audio().GetChannels(), 2);
    EXPECT_EQ(ReadList(document.Audio()), stereo);

    prompts_.QueueRawFormat({8000, 0, 1});
    frame_->save_answers.push_back(QString::fromStdString(scratch_.File("missing/take.vox")));
    EXPECT_FALSE(frame_->Rooms().files.CmSaveAs());
    EXPECT_EQ(ReadList(document.Audio()), stereo);
    EXPECT_FALSE(document.CanUndo());
}

TEST_F(FrameCommandsTest, TheRateDialogRefusesRatesOutOfRangeAndConvertsTheDocument) {
    LSVFileWindow* file = OpenStereo();
    file->SetSelection(800, 1600);

    // Cancel changes nothing.
    QTimer::singleShot(0, [&] { frame_->findChild<LSVConvertSample*>()->reject(); });
    frame_->Action(kCmConvertSampleRate)->trigger();
    EXPECT_EQ(file->Document().Audio().GetSampleRate(), 8000);
    EXPECT_FALSE(file->IsModified());
    EXPECT_FALSE(file->Document().CanUndo());

    QString title;
    QTimer::singleShot(0, [&] {
        auto* dialog = frame_->findChild<LSVConvertSample*>();
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        dialog->RateField()->setEditText("5999");
        dialog->accept();
        EXPECT_TRUE(dialog->isVisible());
        dialog->RateField()->setEditText("16000");
        dialog->accept();
    });
    frame_->Action(kCmConvertSampleRate)->trigger();
    EXPECT_EQ(title, "Convertir la Tasa de Muestra");
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].text,
              "Las tasas de muestra deben estar entre 6000 y 96000 muestras por segundo.");
    const LCutListAudio& audio = file->Document().Audio();
    EXPECT_EQ(audio.GetSampleRate(), 16000);
    EXPECT_EQ(audio.GetChannels(), 2);
    EXPECT_NEAR(audio.GetLength(), 4006, 2);
    EXPECT_EQ(ReadInt("StoredValues", "ConvertSampleRate", 0), 16000);  // the batch reads it there
    EXPECT_EQ(frame_->StatusText(), "Tasa de muestra: 16000   Stereo");
    // The selection keeps its times; the cursor goes to the start.
    const LEditPositions& positions = file->Document().Positions();
    EXPECT_EQ(positions.selection_start, 1600);
    EXPECT_EQ(positions.selection_end, 3200);
    EXPECT_EQ(positions.cursor, 0);

    // The next time the dialog starts from the last rate.
    QString offered;
    QTimer::singleShot(0, [&] {
        auto* dialog = frame_->findChild<LSVConvertSample*>();
        offered = dialog->RateField()->currentText();
        dialog->reject();
    });
    frame_->Action(kCmConvertSampleRate)->trigger();
    EXPECT_EQ(offered, "16000");
}

TEST_F(FrameCommandsTest, ACancelledConversionLeavesTheFileAsItWas) {
    WriteBool("Settings", "PromptSampleAndChannels", false);
    frame_->Rooms().files.CmNew();
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    // Two minutes of 44.1 kHz: long enough for the cancel to come first.
    std::vector<Sample> noise(120 * 44100);
    for (std::size_t f = 0; f < noise.size(); ++f) {
        noise[f] = static_cast<Sample>((f * 7919) % 4096) * 64;
    }
    file->Document().Audio() = FromSamples(noise, 1, 44100);
    file->SetSelection(1000, 2000);
    file->RefreshView();

    QTimer::singleShot(0, [&] {
        frame_->findChild<LSVConvertSample*>()->RateField()->setEditText("8000");
        frame_->findChild<LSVConvertSample*>()->accept();
    });
    // Cancel as soon as the progress dialog shows.
    QTimer canceller;
    canceller.setInterval(1);
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (QDialog* progress = frame_->Rooms().workspace.ProgressDialog().Dialog()) {
            canceller.stop();
            QTest::mouseClick(progress->findChild<QPushButton*>("cancel"), Qt::LeftButton);
        }
    });
    canceller.start();
    frame_->Action(kCmConvertSampleRate)->trigger();
    const LCutListAudio& audio = file->Document().Audio();
    EXPECT_EQ(audio.GetSampleRate(), 44100);
    EXPECT_EQ(audio.GetLength(), 120 * 44100);
    EXPECT_FALSE(file->IsModified());
    EXPECT_FALSE(file->Document().CanUndo());
    EXPECT_EQ(file->Document().Positions().selection_end, 2000);
    EXPECT_EQ(frame_->StatusText(), "Tasa de muestra: 44100   Mono");
}

TEST_F(FrameCommandsTest, TheWindowMenuCascadesAndTiles) {
    WriteBool("Settings", "PromptSampleAndChannels", false);
    frame_->resize(900, 700);
    for (int n = 0; n < 3; ++n) {
        frame_->Rooms().files.CmNew();
    }
    const QList<QMdiSubWindow*> windows = frame_->MdiArea()->subWindowList();
    ASSERT_EQ(windows.size(), 3);
    const QRect area = frame_->MdiArea()->viewport()->rect();

    frame_->Action(kCmTileVertical)->trigger();  // side by side
    int right = 0;
    for (QMdiSubWindow* window : frame_->MdiArea()->subWindowList(QMdiArea::StackingOrder)) {
        EXPECT_EQ(window->y(), 0);
        EXPECT_EQ(window->height(), area.height());
        EXPECT_EQ(window->x(), right);
        right = window->geometry().right() + 1;
    }
    EXPECT_EQ(right, area.width());

    frame_->Action(kCmTileHorizontal)->trigger();  // one above the other
    int bottom = 0;
    for (QMdiSubWindow* window : frame_->MdiArea()->subWindowList(QMdiArea::StackingOrder)) {
        EXPECT_EQ(window->x(), 0);
        EXPECT_EQ(window->width(), area.width());
        EXPECT_EQ(window->y(), bottom);
        bottom = window->geometry().bottom() + 1;
    }
    EXPECT_EQ(bottom, area.height());

    // Minimized windows line up along the bottom.
    windows[0]->showMinimized();
    windows[2]->showMinimized();
    frame_->Action(kCmArrangeIcons)->trigger();
    EXPECT_EQ(windows[0]->geometry().bottom(), area.bottom());
    EXPECT_EQ(windows[2]->geometry().bottom(), area.bottom());
    EXPECT_EQ(windows[0]->x(), 0);
    EXPECT_EQ(windows[2]->x(), windows[0]->width());
    windows[0]->showNormal();
    windows[2]->showNormal();

    frame_->Action(kCmCascade)->trigger();  // down and right of one another
    QList<QMdiSubWindow*> cascaded = frame_->MdiArea()->subWindowList();
    std::sort(cascaded.begin(), cascaded.end(),
              [](QMdiSubWindow* a, QMdiSubWindow* b) { return a->x() < b->x(); });
    for (int i = 1; i < cascaded.size(); ++i) {
        EXPECT_GT(cascaded[i]->x(), cascaded[i - 1]->x());
        EXPECT_GT(cascaded[i]->y(), cascaded[i - 1]->y());
    }
}

TEST_F(FrameCommandsTest, TheTwelfthClosedFileTakesTheOldestRecentEntry) {
    std::vector<std::string> paths;
    for (int n = 1; n <= 12; ++n) {
        paths.push_back(scratch_.File("r" + std::to_string(n) + ".wav"));
        std::filesystem::copy_file(kDataFolder + "in_mono.wav", paths.back());
    }
    // Eleven files, each closed a second after the one before (dates are in seconds).
    for (int n = 0; n < 11; ++n) {
        WriteString("Recent", "RecentFile " + std::to_string(n + 1), paths[n]);
        WriteInt("Recent", "RecentFileDate" + std::to_string(n + 1), 1000 + n);
    }
    // Reopening the first only refreshes its date: it keeps its place.
    frame_->Rooms().files.OpenFiles({QString::fromStdString(paths[0])});
    ASSERT_TRUE(frame_->Rooms().files.CmClose());
    Settle();
    frame_->Rooms().files.OpenFiles({QString::fromStdString(paths[11])});
    ASSERT_TRUE(frame_->Rooms().files.CmClose());
    Settle();
    const std::vector<QAction*> entries = frame_->RecentFileActions();
    ASSERT_EQ(entries.size(), 11u);
    EXPECT_EQ(entries[0]->text().toStdString(), "&1. " + paths[0]);
    EXPECT_EQ(entries[1]->text().toStdString(), "&2. " + paths[11]);  // r2 was the oldest
    EXPECT_EQ(entries[10]->text().toStdString(), "&11. " + paths[10]);
}

TEST_F(FrameCommandsTest, ASecondStartOpensItsFileInTheFirstFrame) {
    const QString name = QString("sonvara-frame-test-%1").arg(QCoreApplication::applicationPid());
    InstanceServer server;
    ASSERT_TRUE(server.Listen(name));
    QObject::connect(&server, &InstanceServer::handedOver, frame_.get(),
                     &MainDialog::OpenHandedOver);
    frame_->showMinimized();
    const std::string path = Copy("in_mono.wav");
    ASSERT_TRUE(HandOverToRunningInstance(name, {QString::fromStdString(path)}));
    ASSERT_TRUE(PumpEventsUntil([&] { return frame_->Rooms().workspace.Files().size() == 1; }));
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile()->Path(), path);
    EXPECT_FALSE(frame_->isMinimized());
}

}  // namespace
}  // namespace sonvara
