// The frame as a new user meets it: the hand-over from a second start, the size of a file window,
// which window commands act on, the tool bar and menus built from the command table, the window
// list, titles, dropped files and Qt's own texts in Spanish.

#include <gtest/gtest.h>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "editor/common/command_icons.h"
#include "editor/common/translations.h"
#include "editor/frame/command_table.h"
#include "editor/frame/single_instance.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/wait_until_qt.h"
#include "view/wave_window.h"

namespace sonvara {
namespace {

using testing::PumpEventsUntil;

QMdiSubWindow* WindowOf(LSVFileWindow* file) {
    return qobject_cast<QMdiSubWindow*>(file->parentWidget());
}

class FrameShellTest : public EditorTest {
  protected:
    LSVFileWindow* Open(const std::string& name) {
        const std::string path = scratch_.File(name);
        if (!std::filesystem::exists(path)) {
            Copy(name);
        }
        frame_->Rooms().files.OpenFiles({QString::fromStdString(path)});
        return frame_->Rooms().workspace.CurrentFile();
    }
    QMdiSubWindow* Active() { return frame_->MdiArea()->activeSubWindow(); }
};

TEST_F(FrameShellTest, ASecondProgramHandsOverItsFilesWhileAModifiedFileIsOpen) {
    const std::string runtime = scratch_.File("run");
    std::filesystem::create_directory(runtime);
    testing::ScopedEnv runtime_env{"XDG_RUNTIME_DIR", runtime};
    InstanceServer server;
    ASSERT_TRUE(server.Listen(DefaultInstanceName()));
    QObject::connect(&server, &InstanceServer::handedOver, frame_.get(),
                     &MainDialog::OpenHandedOver);
    LSVFileWindow* edited = Open("in_stereo.wav");
    frame_->Action(kCmMono)->trigger();
    ASSERT_TRUE(edited->IsModified());

    const QString mono = QString::fromStdString(Copy("in_mono.wav"));
    const QString deep = QString::fromStdString(Copy("ours_pcm24_stereo.wav"));
    QProcess second;
    second.start(SONVARA_EDITOR, {mono, deep});
    const bool ended = PumpEventsUntil([&] { return second.state() == QProcess::NotRunning; },
                                       std::chrono::seconds(20));
    if (!ended) {
        second.kill();
        second.waitForFinished();
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);  // it handed over rather than starting an editor
    ASSERT_TRUE(PumpEventsUntil([&] { return frame_->Rooms().workspace.Files().size() == 3; },
                                std::chrono::seconds(5)));
    // The first frame lives on with its edit and both files.
    Settle();
    EXPECT_EQ(frame_->Rooms().workspace.Files()[0], edited);
    EXPECT_TRUE(edited->IsModified());
    EXPECT_EQ(edited->Document().Audio().GetChannels(), 1);
    EXPECT_EQ(frame_->Rooms().workspace.Files()[1]->Path(), mono.toStdString());
    EXPECT_EQ(frame_->Rooms().workspace.Files()[2]->Path(), deep.toStdString());
}

TEST_F(FrameShellTest, AnOpenedFileShowsItsWaveAtAUsableSizeAndTheBarFits) {
    frame_->resize(740, 627);  // the frame's first size
    LSVFileWindow* first = Open("in_stereo.wav");
    QMdiSubWindow* window = WindowOf(first);
    const QRect area = frame_->MdiArea()->viewport()->rect();
    // Alone, it fills the area.
    EXPECT_TRUE(window->isMaximized());
    EXPECT_EQ(window->size(), area.size());
    EXPECT_GE(first->WaveView()->height(), 300);
    // Every button shows its whole label beside its icon, inside the window.
    for (int i = 0; i < LSVFileWindow::kButtons; ++i) {
        QToolButton* button = first->Button(i);
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextBesideIcon) << i;
        EXPECT_FALSE(button->icon().isNull()) << i;
        EXPECT_FALSE(button->toolTip().isEmpty()) << i;
        EXPECT_GE(button->width(), button->sizeHint().width()) << i;
        EXPECT_LE(button->geometry().right(), first->width() - 1) << i;
    }
    EXPECT_GE(first->ScrollBar()->width(), first->width() / 4);

    // Restored, the next files come at a size that still shows the wave, down and right of it,
    // and so does the first file of the next session: the frame remembers.
    window->showNormal();
    EXPECT_FALSE(ReadBool("MainWindow", "ChildMaximized", true));
    EXPECT_GE(first->WaveView()->height(), 200);
    LSVFileWindow* second = Open("in_mono.wav");
    QMdiSubWindow* placed = WindowOf(second);
    EXPECT_FALSE(placed->isMaximized());
    EXPECT_GT(placed->x(), window->x());
    EXPECT_GT(placed->y(), window->y());
    ASSERT_TRUE(frame_->Rooms().files.CmCloseAll());
    Settle();
    frame_->resize(600, 400);
    LSVFileWindow* next = Open("in_mono.wav");
    EXPECT_FALSE(WindowOf(next)->isMaximized());
    EXPECT_GE(next->WaveView()->height(), 100);
    EXPECT_TRUE(frame_->MdiArea()->viewport()->rect().contains(WindowOf(next)->geometry()));
    // The user cannot shrink it below that either.
    WindowOf(next)->resize(50, 20);
    EXPECT_GE(next->WaveView()->height(), 100);
    EXPECT_TRUE(next->Button(0)->isVisible());
}

TEST_F(FrameShellTest, AConversionKeepsItsWindowActiveAndCloseClosesThatOne) {
    frame_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    LSVFileWindow* other = Open("in_mono.wav");
    LSVFileWindow* target = Open("in_stereo.wav");
    ASSERT_EQ(Active(), WindowOf(target));

    frame_->Action(kCmMono)->trigger();
    EXPECT_EQ(target->Document().Audio().GetChannels(), 1);
    EXPECT_EQ(Active(), WindowOf(target));
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile(), target);

    // The rate conversion asks first; its dialog goes and the window stays active.
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QComboBox*>("rate")->setEditText("11025");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    frame_->Action(kCmConvertSampleRate)->trigger();
    EXPECT_EQ(target->Document().Audio().GetSampleRate(), 11025);
    EXPECT_EQ(Active(), WindowOf(target));

    // Close acts on the window the user sees: it asks about the converted file, not the other.
    prompts_.QueueAnswer(PromptAnswer::kNo);
    frame_->Action(kCmClose)->trigger();
    Settle();
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_NE(prompts_.Asked()[0].text.find("in_stereo.wav"), std::string::npos);
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 1u);
    EXPECT_EQ(frame_->Rooms().workspace.Files()[0], other);
}

TEST_F(FrameShellTest, TheCommandTableBuildsUnambiguousKeysAndAToolBarOfPictures) {
    // Two commands on one key would both go deaf.
    std::set<QKeySequence> keys;
    for (const Command& command : Commands()) {
        for (const QKeySequence& key : frame_->Action(command.id)->shortcuts()) {
            EXPECT_TRUE(keys.insert(key).second) << key.toString().toStdString();
        }
    }
    // Nor may two entries show one key.
    std::set<QString> shown;
    for (const Command& command : Commands()) {
        const QString key = QString::fromUtf8(command.label).section('\t', 1);
        EXPECT_TRUE(key.isEmpty() || shown.insert(key).second) << key.toStdString();
    }
    const QList<QAction*> tools = frame_->ToolBar()->actions();
    std::vector<int> ids;
    for (QAction* action : tools) {
        // The commands' entries; the level meter is not one.
        if (!action->isSeparator() && action->property("commandId").isValid()) {
            ids.push_back(action->property("commandId").toInt());
            EXPECT_FALSE(action->icon().isNull()) << ids.back();
            EXPECT_FALSE(action->toolTip().isEmpty()) << ids.back();
        }
    }
    const std::vector<int> expected = {kCmNew,           kCmOpen,      kCmSave,        kCmRecord,
                                       kCmPlay,          kCmStop,      kCmStart,       kCmRewind,
                                       kCmForward,       kCmEnd,       kCmZoomIn,      kCmZoomOut,
                                       kCmZoomSelection, kCmZoomWhole, kCmZoomVertical};
    EXPECT_EQ(ids, expected);
    EXPECT_NE(frame_->ToolBar()->findChild<QWidget*>("LDBDisplay"), nullptr);
    EXPECT_FALSE(frame_->Action(kCmZoomIn)->isEnabled());

    // The context menu of a file window runs on that file.
    LSVFileWindow* file = Open("in_mono.wav");
    EXPECT_TRUE(file->actions().contains(frame_->Action(kCmSelectAll)));
    frame_->Action(kCmSelectAll)->trigger();
    EXPECT_EQ(file->Document().Positions().selection_end, file->Document().Audio().GetLength());
}

// The frame, a file's window and a dialog over the frame show Sonvara's icon, not Qt's.
TEST_F(FrameShellTest, WindowsShowSonvarasIcon) {
    const QImage ours = SonvaraIcon().pixmap(32, 32).toImage();
    ASSERT_FALSE(ours.isNull());
    int opaque = 0;
    for (int y = 0; y < ours.height(); ++y) {
        for (int x = 0; x < ours.width(); ++x) {
            opaque += qAlpha(ours.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    EXPECT_GT(opaque, ours.width() * ours.height() / 4);
    LSVFileWindow* file = Open("in_mono.wav");
    QDialog dialog(frame_.get());
    for (const QWidget* window : {static_cast<QWidget*>(frame_.get()), file->parentWidget(),
                                  static_cast<QWidget*>(&dialog)}) {
        EXPECT_EQ(window->windowIcon().pixmap(32, 32).toImage(), ours);
    }
}

TEST_F(FrameShellTest, TheWindowMenuListsTheFilesTitlesMarkChangesAndCtrlTabMoves) {
    LSVFileWindow* first = Open("in_mono.wav");
    LSVFileWindow* second = Open("in_stereo.wav");
    EXPECT_EQ(WindowOf(second)->windowTitle(), "in_stereo.wav");
    frame_->Action(kCmMono)->trigger();
    EXPECT_EQ(WindowOf(second)->windowTitle(), "in_stereo.wav*");

    std::vector<QAction*> entries = frame_->WindowListActions();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]->text(), "&1 in_mono.wav");
    EXPECT_EQ(entries[1]->text(), "&2 in_stereo.wav*");
    EXPECT_TRUE(entries[1]->isChecked());
    entries[0]->trigger();
    EXPECT_EQ(Active(), WindowOf(first));
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile(), first);

    QApplication::setActiveWindow(frame_.get());
    QTest::keyClick(frame_.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Active(), WindowOf(second));
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile(), second);
}

TEST_F(FrameShellTest, FilesDroppedOnTheFrameOpen) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Copy("in_mono.wav"))),
                  QUrl::fromLocalFile(QString::fromStdString(Copy("in_stereo.wav")))});
    QWidget* target = frame_->MdiArea()->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    ASSERT_TRUE(PumpEventsUntil([&] { return frame_->Rooms().workspace.Files().size() == 2; }));
}

class QtTranslationsTest : public EditorTest {};

TEST_F(QtTranslationsTest, QtsOwnDialogsSpeakSpanishWhateverTheSystemsLanguage) {
    ASSERT_TRUE(LoadQtTranslations(app_));
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Close);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove('&'), "Cancelar");
    EXPECT_EQ(box.button(QDialogButtonBox::Close)->text().remove('&'), "Cerrar");

    // The file dialog's columns: the type of a folder, a sound file and another file, and the
    // date, none cut.
    const std::string folder = scratch_.File("files");
    std::filesystem::create_directories(folder + "/tomas");
    std::filesystem::copy_file(kDataFolder + "in_stereo.wav", folder + "/voz.wav");
    std::ofstream(folder + "/notas.txt") << "x";
    QFileDialog dialog(frame_.get(), "Abrir", QString::fromStdString(folder));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(860, 540);
    dialog.show();
    auto* view = dialog.findChild<QTreeView*>("treeView");
    ASSERT_NE(view, nullptr);
    std::map<QString, QString> types;
    ASSERT_TRUE(PumpEventsUntil([&] {
        const QModelIndex root = view->rootIndex();
        types.clear();
        for (int row = 0; row < view->model()->rowCount(root); ++row) {
            types[view->model()->index(row, 0, root).data().toString()] =
                view->model()->index(row, 2, root).data().toString();
        }
        return types.size() == 3;
    }));
    EXPECT_EQ(types["tomas"], "Carpeta");
    EXPECT_EQ(types["voz.wav"], "Audio Wave");
    EXPECT_EQ(types["notas.txt"], "Archivo TXT");
    const QModelIndex first = view->model()->index(0, 3, view->rootIndex());
    EXPECT_TRUE(QRegularExpression(R"(^\d\d?/\d\d?/\d\d \d\d?:\d\d$)")
                    .match(first.data().toString())
                    .hasMatch())
        << first.data().toString().toStdString();
    QHeaderView* header = view->header();
    EXPECT_EQ(header->model()->headerData(3, Qt::Horizontal).toString(), "Última modificación");
    for (int column = 1; column < 4; ++column) {
        EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
    }
    EXPECT_LE(header->sectionPosition(3) + header->sectionSize(3), view->viewport()->width());
}

}  // namespace
}  // namespace sonvara
