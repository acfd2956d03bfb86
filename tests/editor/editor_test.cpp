// The editor's frame driven as a user would: through its commands, with the file dialogs and the
// questions answered by the test.

#include <gtest/gtest.h>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <thread>

#include "audio/wav/wave_file_format.h"
#include "core/settings.h"
#include "editor/common/file_window.h"
#include "editor/files/file_properties_dialog.h"
#include "editor/files/new_wav_dialog.h"
#include "editor/frame/command_table.h"
#include "editor/frame/main_window.h"
#include "formats/sample_bits.h"
#include "formats/tag_file.h"
#include "tests/editor/editor_fixture.h"
#include "view/wave_pane.h"
#include "view/wave_window.h"

namespace sonvara {
namespace {

TEST_F(EditorTest, TheFrameHasItsCaptionAndTheFileMenuOfTheBuiltCommands) {
    EXPECT_EQ(frame_->objectName(), "LMMWC");
    EXPECT_EQ(frame_->windowTitle(), "Sonvara");
    const std::pair<int, const char*> commands[] = {{1001, "&Nuevo Archivo...\tCtrl+N"},
                                                    {1002, "&Abrir Archivo...\tCtrl+O"},
                                                    {1003, "Cerrar Archivo"},
                                                    {1004, "&Guardar Archivo\tCtrl+S"},
                                                    {1005, "Guardar Archivo Como..."},
                                                    {5040, "Cierre Todo"},
                                                    {1048, "&Salir"}};
    for (const auto& [id, text] : commands) {
        QAction* action = frame_->Action(id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_EQ(action->text(), QString::fromUtf8(text)) << id;
        EXPECT_EQ(action->property("commandId").toInt(), id);
    }
    EXPECT_EQ(frame_->Action(1004)->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_TRUE(frame_->Action(1005)->shortcut().isEmpty());
    // Without a file only the commands that make or open one are enabled.
    EXPECT_TRUE(frame_->Action(1001)->isEnabled());
    EXPECT_TRUE(frame_->Action(1002)->isEnabled());
    for (int id : {1003, 1004, 1005, 5040}) {
        EXPECT_FALSE(frame_->Action(id)->isEnabled()) << id;
    }
}

// A process that runs until it is cancelled, noting what the frame looked like meanwhile.
class UntilCancelled : public LProgressDialog {
  public:
    explicit UntilCancelled(QWidget* frame) : LProgressDialog("Prueba"), frame_(frame) {}
    bool frame_was_enabled = true;
    int blocks = 0;

  protected:
    ProcessResult Body() override {
        SetText("Trabajando", 0);
        SetText("Espere por favor...", 1);
        frame_was_enabled = frame_->isEnabled();
        for (; blocks < 2000; ++blocks) {
            SetProgress(blocks / 2000.0);
            if (CheckCancel()) {
                return PROCESS_STOPPED;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return PROCESS_DONE;
    }

  private:
    QWidget* frame_;
};

TEST_F(EditorTest, CancelInTheProgressDialogStopsTheProcessAndFreesTheFrame) {
    QtMessageLoop loop(frame_.get());
    QtProgressView& view = frame_->Rooms().workspace.ProgressDialog();
    ProcessHost host{loop, view, prompts_};
    UntilCancelled process(frame_.get());
    QString caption, line0, line1;
    QTimer::singleShot(100, [&] {
        QDialog* dialog = view.Dialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), "LProgressDialog");
        caption = dialog->windowTitle();
        line0 = dialog->findChild<QLabel*>("line0")->text();
        line1 = dialog->findChild<QLabel*>("line1")->text();
        QPushButton* cancel = dialog->findChild<QPushButton*>("cancel");
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), "Cancelar");
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    EXPECT_EQ(process.Run(host), PROCESS_STOPPED);
    EXPECT_FALSE(process.frame_was_enabled);
    EXPECT_GT(process.blocks, 0);
    EXPECT_LT(process.blocks, 2000);
    EXPECT_EQ(caption, "Prueba");
    EXPECT_EQ(line0, "Trabajando");
    EXPECT_EQ(line1, "Espere por favor...");
    EXPECT_TRUE(frame_->isEnabled());
    EXPECT_EQ(view.Dialog(), nullptr);

    // The view opens again for the next process, with the cancel forgotten.
    UntilCancelled next(frame_.get());
    QTimer::singleShot(50, [&] {
        QTest::mouseClick(view.Dialog()->findChild<QPushButton*>("cancel"), Qt::LeftButton);
    });
    EXPECT_EQ(next.Run(host), PROCESS_STOPPED);
    EXPECT_GT(next.blocks, 0);
}

TEST_F(EditorTest, HandlersPostedFromAnotherThreadRunOnTheInterfaceThread) {
    QtMessageLoop loop(frame_.get());
    std::thread::id ran_on;
    std::thread worker([&] { loop.Post([&] { ran_on = std::this_thread::get_id(); }); });
    worker.join();
    EXPECT_EQ(ran_on, std::thread::id());  // not before the loop pumps
    loop.PumpPending();
    EXPECT_EQ(ran_on, std::this_thread::get_id());
}

TEST_F(EditorTest, OpenShowsEachFileOnceInAWindowOfItsOwn) {
    const std::string mono = kDataFolder + "in_mono.wav";
    const std::string stereo = kDataFolder + "in_stereo.wav";
    frame_->open_answers.push_back({QString::fromStdString(stereo), QString::fromStdString(mono)});
    frame_->Action(1002)->trigger();
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 2u);
    LSVFileWindow* first = frame_->Rooms().workspace.Files()[0];
    EXPECT_EQ(first->objectName(), "LMC");
    EXPECT_EQ(Title(first), "in_stereo.wav");
    EXPECT_EQ(Title(frame_->Rooms().workspace.Files()[1]), "in_mono.wav");
    EXPECT_EQ(first->Document().Audio().GetLength(), 2003);
    EXPECT_EQ(first->Document().Audio().GetChannels(), 2);
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile(), frame_->Rooms().workspace.Files()[1]);
    EXPECT_EQ(frame_->StatusText(), "Tasa de muestra: 8000   Mono");
    EXPECT_EQ(frame_->MdiArea()->subWindowList().size(), 2);
    // The view shows the whole file.
    ASSERT_TRUE(first->WaveView()->WaitForColumns());
    EXPECT_EQ(first->WaveView()->Mapping().Length(), 2003);
    EXPECT_TRUE(frame_->Action(1003)->isEnabled());
    EXPECT_FALSE(frame_->Action(1004)->isEnabled());  // nothing to save yet

    // Opening an open file again (the name in other letter case too) only activates it.
    std::string shouting = stereo;
    shouting.replace(shouting.size() - 13, 13, "IN_STEREO.WAV");
    frame_->Rooms().files.OpenFiles({QString::fromStdString(shouting)});
    EXPECT_EQ(frame_->Rooms().workspace.Files().size(), 2u);
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile(), first);
    EXPECT_EQ(frame_->StatusText(), "Tasa de muestra: 8000   Stereo");
    EXPECT_TRUE(prompts_.Asked().empty());

    // A file that cannot be read leaves no window behind and says why.
    std::ofstream(scratch_.File("garbage.flac")) << "not a sound file";
    std::ofstream(scratch_.File("empty.wav"));
    const std::string missing = scratch_.File("missing.wav");
    frame_->Rooms().files.OpenFiles({QString::fromStdString(missing),
                                     QString::fromStdString(scratch_.File("garbage.flac")),
                                     QString::fromStdString(scratch_.File("empty.wav"))});
    EXPECT_EQ(frame_->Rooms().workspace.Files().size(), 2u);
    ASSERT_EQ(prompts_.Asked().size(), 3u);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Error de Archivo");
    EXPECT_EQ(prompts_.Asked()[0].text,
              "No se puede abrir el archivo \"" + missing + "\": el archivo no existe.");
    EXPECT_NE(prompts_.Asked()[1].text.find(": no es un archivo FLAC válido o está dañado."),
              std::string::npos);
    EXPECT_NE(prompts_.Asked()[2].text.find(": el archivo está vacío."), std::string::npos);
}

TEST_F(EditorTest, AnOpenStereoFileIsDrawnInItsWindow) {
    frame_->resize(700, 500);
    frame_->Rooms().files.OpenFiles({QString::fromStdString(kDataFolder + "in_stereo.wav")});
    ASSERT_NE(frame_->Rooms().workspace.CurrentFile(), nullptr);
    frame_->Rooms().workspace.CurrentFile()->parentWidget()->showMaximized();
    QCoreApplication::processEvents();
    LSVWaveWindow* wave = frame_->Rooms().workspace.CurrentFile()->WaveView();
    ASSERT_TRUE(wave->WaitForColumns());
    ASSERT_TRUE(frame_->Rooms().workspace.CurrentFile()->Overview()->WaitForColumns());
    const QImage image = frame_->grab().toImage();
    // SONVARA_SCREENSHOT names a PNG file to keep the picture in.
    if (const char* keep = std::getenv("SONVARA_SCREENSHOT")) {
        ASSERT_TRUE(image.save(QString::fromLocal8Bit(keep), "PNG"));
    }
    const QPoint origin = wave->mapTo(frame_.get(), QPoint(0, 0));
    const WavePalette colours = WavePalette::For(*wave);
    auto ink = [&](QColor colour) { return colour == colours.peak || colour == colours.rms; };
    // Count the columns with wave in their middle third.
    int drawn = 0;
    for (int x = 2; x < wave->width() - 2; ++x) {
        bool middle = false;
        for (int y = wave->height() / 3; y < wave->height() * 2 / 3; ++y) {
            middle = middle || ink(image.pixelColor(origin + QPoint(x, y)));
        }
        drawn += middle ? 1 : 0;
    }
    EXPECT_GT(drawn, (wave->width() - 4) * 9 / 10);
    // The wave is a shape, not a band: its pixels fill some but far from all of the view, and
    // its loudness lies inside its extremes.
    int ink_pixels = 0;
    int rms_pixels = 0;
    for (int y = 1; y < wave->height() - 1; ++y) {
        for (int x = 1; x < wave->width() - 1; ++x) {
            const QColor colour = image.pixelColor(origin + QPoint(x, y));
            ink_pixels += ink(colour) ? 1 : 0;
            rms_pixels += colour == colours.rms ? 1 : 0;
        }
    }
    const int area = (wave->width() - 2) * (wave->height() - 2);
    EXPECT_GT(ink_pixels, area / 20);
    EXPECT_LT(ink_pixels, area * 9 / 10);
    EXPECT_GT(rms_pixels, ink_pixels / 10);
    EXPECT_LT(rms_pixels, ink_pixels * 9 / 10);
    // The ruler above the view and the scale at its left.
    LSVWavePane* pane = frame_->Rooms().workspace.CurrentFile()->WavePane();
    EXPECT_EQ(pane->Ruler()->geometry().bottom() + 1, wave->y());
    EXPECT_EQ(pane->Scale()->geometry().right() + 1, wave->x());
}

TEST_F(EditorTest, TheFileWindowBarZoomsScrollsAndSwitchesTheDisplay) {
    frame_->Rooms().files.OpenFiles({QString::fromStdString(kDataFolder + "in_mono.wav"),
                                     QString::fromStdString(kDataFolder + "in_stereo.wav")});
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 2u);
    LSVFileWindow* mono = frame_->Rooms().workspace.Files()[0];
    LSVFileWindow* file = frame_->Rooms().workspace.Files()[1];
    file->parentWidget()->resize(700, 400);
    EXPECT_FALSE(mono->Button(5)->isEnabled());  // display modes only for two channels
    EXPECT_FALSE(mono->Button(6)->isEnabled());
    EXPECT_TRUE(file->Button(5)->isEnabled());
    EXPECT_TRUE(file->Button(2)->toolTip().startsWith("Zoom Selección"));

    // Select [500, 1000) with the mouse in the main view; the overview shows the same marks.
    LSVWaveWindow* view = file->WaveView();
    ASSERT_TRUE(view->WaitForColumns());
    const WaveColumnMapping mapping = view->Mapping();
    const int x_from = mapping.ColumnOf(500) + 1;
    const int x_to = mapping.ColumnOf(1000) + 1;
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(x_from, 20));
    QTest::mouseMove(view, QPoint(x_to, 20));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(x_to, 20));
    const LEditPositions& positions = file->Document().Positions();
    EXPECT_NEAR(positions.selection_start, 500, 3);
    EXPECT_NEAR(positions.selection_end, 1000, 3);
    EXPECT_EQ(file->Overview()->MarkFrom(), positions.selection_start);
    EXPECT_EQ(file->Overview()->MarkTo(), positions.selection_end);
    EXPECT_EQ(positions.cursor, positions.selection_end);

    QTest::mouseClick(file->Button(2), Qt::LeftButton);  // zoom to the selection
    EXPECT_EQ(file->View(), (ViewRange{positions.selection_start, positions.selection_end}));
    ASSERT_TRUE(view->WaitForColumns());
    ASSERT_TRUE(file->Overview()->WaitForColumns());
    EXPECT_EQ(view->Mapping().Start(), positions.selection_start);
    EXPECT_EQ(file->Overview()->Mapping().Length(), 2003);  // the overview keeps the whole file

    QTest::mouseClick(file->Button(3), Qt::LeftButton);  // the whole file
    EXPECT_EQ(file->View(), (ViewRange{0, 2003}));
    QTest::mouseClick(file->Button(1), Qt::LeftButton);  // zoom in around the cursor
    EXPECT_EQ(file->View().end - file->View().start, 1001);
    QTest::mouseClick(file->Button(0), Qt::LeftButton);  // and out again
    EXPECT_EQ(file->View().end - file->View().start, 2002);

    // Vertical zoom makes the columns taller; the display mode reaches the views.
    ASSERT_TRUE(view->WaitForColumns());
    const WaveColumns before = view->Columns();
    const std::vector<std::uint8_t> flat(before.upper.begin(), before.upper.begin() + 50);
    QTest::mouseClick(file->Button(4), Qt::LeftButton);
    ASSERT_TRUE(view->WaitForColumns());
    const WaveColumns after = view->Columns();
    EXPECT_TRUE(file->VerticalZoom());
    EXPECT_TRUE(file->Button(4)->isChecked());
    for (std::size_t c = 0; c < flat.size(); ++c) {
        const int tall = after.upper[c];  // shifted by 8 instead of 11
        EXPECT_GE(tall, std::min(flat[c] * 8, 255)) << c;
        EXPECT_LE(tall, std::min(flat[c] * 8 + 7, 255)) << c;
    }
    QTest::mouseClick(file->Button(6), Qt::LeftButton);
    EXPECT_EQ(file->DisplayMode(), WaveDisplayMode::kLeftRight);

    // A page to the right moves the cursor two seconds on (here: to the end).
    file->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(positions.cursor, 2003);
    file->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(positions.cursor, 0);
}

TEST_F(EditorTest, SaveAsWritesTheFileThatOpensAgainWithTheSameSamples) {
    frame_->Rooms().files.OpenFiles({QString::fromStdString(Copy("in_stereo.wav"))});
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    ASSERT_NE(file, nullptr);
    const std::vector<Sample> original = ReadList(file->Document().Audio());

    prompts_.QueueFormatChoice(LWaveFileFormat::PcmFormat(8000, 2));
    frame_->save_answers.push_back(QString::fromStdString(scratch_.File("copy.wav")));
    file->Document().SetModified(true);
    ASSERT_TRUE(frame_->Rooms().files.CmSaveAs());
    EXPECT_EQ(file->Path(), scratch_.File("copy.wav"));
    EXPECT_EQ(Title(file), "copy.wav");
    EXPECT_FALSE(file->IsModified());
    ASSERT_EQ(prompts_.FormatRequests().size(), 1u);
    EXPECT_EQ(prompts_.FormatRequests()[0].title, "Seleccione formato");

    TestFrame reader;
    reader.Rooms().workspace.SetPrompts(&prompts_);
    reader.Rooms().files.OpenFiles({QString::fromStdString(scratch_.File("copy.wav"))});
    ASSERT_EQ(reader.Rooms().workspace.Files().size(), 1u);
    EXPECT_EQ(ReadList(reader.Rooms().workspace.Files()[0]->Document().Audio()), original);
}

// The properties dialog shows what the file is and its tags; the tags edited there are a change the
// next save writes, and a cancel changes nothing.
TEST_F(EditorTest, FilePropertiesShowTheFileAndEditItsTagsForTheNextSave) {
    const std::string path = Copy("in_stereo.wav");
    FileTags tags;
    tags.title = "Toma uno";
    ASSERT_TRUE(WriteFileTags(path, path, tags));
    frame_->Rooms().files.OpenFiles({QString::fromStdString(path)});
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(file->IsModified());
    QAction* properties = frame_->Action(kCmFileProperties);
    ASSERT_TRUE(properties->isEnabled());

    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<FilePropertiesDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Propiedades del archivo");
        EXPECT_EQ(Control<QLabel>(dialog, "format")->text(), "WAV, PCM de 16 bits");
        EXPECT_EQ(Control<QLabel>(dialog, "rate")->text(), "8000 Hz");
        EXPECT_EQ(Control<QLabel>(dialog, "channels")->text(), "Estéreo");
        EXPECT_EQ(dialog->Field(0)->text(), "Toma uno");
        // Every field is wide enough to read a title in.
        for (std::size_t i = 0; i < kTagFields.size(); ++i) {
            EXPECT_GT(dialog->Field(i)->width(), 200) << kTagFields[i].label;
        }
        dialog->Field(1)->setText("  Ana  ");
        dialog->accept();
    });
    properties->trigger();
    EXPECT_EQ(file->Document().Tags().artist, "Ana");
    EXPECT_TRUE(file->IsModified());
    EXPECT_TRUE(frame_->Action(kCmSave)->isEnabled());

    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<FilePropertiesDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->Field(0)->setText("otro");
        dialog->reject();
    });
    properties->trigger();
    EXPECT_EQ(file->Document().Tags().title, "Toma uno");

    ASSERT_TRUE(frame_->Rooms().files.CmSave());
    const FileTags saved = ReadFileTags(path);
    EXPECT_EQ(saved.title, "Toma uno");
    EXPECT_EQ(saved.artist, "Ana");
    EXPECT_FALSE(file->IsModified());
}

// A 24-bit recording saved as FLAC under a new name stays 24-bit (after the FLAC options); a
// file of a format that is only read (WebM) offers to save in another format instead.
TEST_F(EditorTest, SaveAsKeepsTheSampleWidthAndAReadOnlyFormatOffersAnother) {
    const std::string take = scratch_.File("take.aiff");
    const std::string voice = scratch_.File("voice.webm");
    ASSERT_EQ(std::system(("sox -n -r 44100 -c 2 -b 24 '" + take +
                           "' synth 0.2 sine 300 2>/dev/null && ffmpeg -v error -i '" + take +
                           "' -c:a libopus '" + voice + "'")
                              .c_str()),
              0);
    frame_->Rooms().files.OpenFiles({QString::fromStdString(take)});
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    ASSERT_NE(file, nullptr);
    prompts_.QueueCompression({.flac_level = 8});
    frame_->save_answers.push_back(QString::fromStdString(scratch_.File("take.flac")));
    ASSERT_TRUE(frame_->Rooms().files.CmSaveAs());
    EXPECT_EQ(prompts_.CompressionRequests(),
              std::vector<CompressedFormat>{CompressedFormat::kFlac});
    EXPECT_EQ(SampleBitsOf(scratch_.File("take.flac")), SampleBits::k24);

    frame_->Rooms().files.OpenFiles({QString::fromStdString(voice)});
    prompts_.QueueAnswer(PromptAnswer::kNo);
    EXPECT_FALSE(frame_->Rooms().files.CmSave());
    ASSERT_FALSE(prompts_.Asked().empty());
    EXPECT_EQ(prompts_.Asked().back().text,
              "Guardar en formato WebM / Matroska no es posible. ¿Quiere guardar en otro formato?");
    EXPECT_EQ(frame_->save_dialogs, 1);  // only the first save asked for a name
}

TEST_F(EditorTest, SaveAsOntoAnExistingFileAsksFirst) {
    frame_->Rooms().files.OpenFiles({QString::fromStdString(Copy("in_mono.wav"))});
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    const std::string old_path = file->Path();
    const std::string taken = Copy("in_stereo.wav");
    const auto taken_size = std::filesystem::file_size(taken);

    // No shows the dialog again; Cancel then keeps the old name and the other file.
    prompts_.QueueAnswer(PromptAnswer::kNo);
    prompts_.QueueAnswer(PromptAnswer::kCancel);
    frame_->save_answers = {QString::fromStdString(taken), QString::fromStdString(taken)};
    EXPECT_FALSE(frame_->Rooms().files.CmSaveAs());
    EXPECT_EQ(frame_->save_dialogs, 2);
    ASSERT_EQ(prompts_.Asked().size(), 2u);
    EXPECT_EQ(prompts_.Asked()[0].text,
              "Otro archivo con el mismo nombre ya existe. ¿Quiere reemplazarlo?");
    EXPECT_EQ(prompts_.Asked()[0].buttons, PromptButtons::kYesNoCancel);
    EXPECT_EQ(file->Path(), old_path);
    EXPECT_EQ(std::filesystem::file_size(taken), taken_size);

    // Yes replaces it.
    prompts_.QueueAnswer(PromptAnswer::kYes);
    prompts_.QueueFormatChoice(LWaveFileFormat::PcmFormat(8000, 1));
    frame_->save_answers = {QString::fromStdString(taken)};
    EXPECT_TRUE(frame_->Rooms().files.CmSaveAs());
    EXPECT_EQ(file->Path(), taken);
    EXPECT_LT(std::filesystem::file_size(taken), taken_size);  // mono now

    // A cancelled format choice fails the save and brings the old name back.
    frame_->save_answers = {QString::fromStdString(scratch_.File("other.wav"))};
    EXPECT_FALSE(frame_->Rooms().files.CmSaveAs());
    EXPECT_EQ(file->Path(), taken);
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("other.wav")));
}

TEST_F(EditorTest, CloseAsksToSaveAModifiedFile) {
    const std::string path = Copy("in_mono.wav");
    frame_->Rooms().files.OpenFiles({QString::fromStdString(path)});
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    file->Document().Audio().EfDelete(0, 1000);
    file->Document().SetModified(true);

    prompts_.QueueAnswer(PromptAnswer::kCancel);
    EXPECT_FALSE(frame_->Rooms().files.CmClose());
    Settle();
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 1u);
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Sonvara");
    EXPECT_EQ(prompts_.Asked()[0].text, "Guarde los cambios en \"in_mono.wav\"?");
    EXPECT_EQ(LoadedLength(path), 2003);

    // Yes saves in place, then closes.
    prompts_.QueueAnswer(PromptAnswer::kYes);
    EXPECT_TRUE(frame_->Rooms().files.CmClose());
    Settle();
    EXPECT_TRUE(frame_->Rooms().workspace.Files().empty());
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile(), nullptr);
    EXPECT_TRUE(frame_->MdiArea()->subWindowList().empty());
    EXPECT_EQ(LoadedLength(path), 1003);
    EXPECT_FALSE(frame_->Action(1003)->isEnabled());

    // No closes without saving.
    frame_->Rooms().files.OpenFiles({QString::fromStdString(path)});
    frame_->Rooms().workspace.CurrentFile()->Document().Audio().EfDelete(0, 3);
    frame_->Rooms().workspace.CurrentFile()->Document().SetModified(true);
    prompts_.QueueAnswer(PromptAnswer::kNo);
    EXPECT_TRUE(frame_->Rooms().files.CmClose());
    Settle();
    EXPECT_TRUE(frame_->Rooms().workspace.Files().empty());
    EXPECT_EQ(LoadedLength(path), 1003);
}

TEST_F(EditorTest, UntitledFilesTakeTheSmallestFreeNumberAndCloseAllCanBeCancelled) {
    WriteBool("Settings", "PromptSampleAndChannels", false);
    WriteInt("Settings", "DefaultSampleRate", 22050);
    WriteInt("Settings", "DefaultChannels", 2);
    for (int n = 0; n < 19; ++n) {
        frame_->Rooms().files.CmNew();
    }
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 19u);
    EXPECT_EQ(Title(frame_->Rooms().workspace.Files()[0]), "Sin título 1");
    EXPECT_EQ(Title(frame_->Rooms().workspace.Files()[18]), "Sin título 19");
    EXPECT_EQ(frame_->Rooms().workspace.Files()[0]->Document().Audio().GetSampleRate(), 22050);
    EXPECT_EQ(frame_->StatusText(), "Tasa de muestra: 22050   Stereo");
    frame_->Rooms().files.CmNew();  // all nineteen in use: 1 again
    EXPECT_EQ(Title(frame_->Rooms().workspace.Files()[19]), "Sin título 1");

    frame_->Rooms().workspace.Activate(frame_->Rooms().workspace.Files()[4]);
    EXPECT_TRUE(frame_->Rooms().files.CmClose());  // not modified: no question
    Settle();
    EXPECT_TRUE(prompts_.Asked().empty());
    frame_->Rooms().files.CmNew();
    EXPECT_EQ(Title(frame_->Rooms().workspace.Files().back()), "Sin título 5");

    // Close all with modified files: Cancel at the second closes nothing.
    frame_->Rooms().workspace.Files()[0]->Document().SetModified(true);
    frame_->Rooms().workspace.Files()[1]->Document().SetModified(true);
    frame_->Rooms().workspace.Files()[2]->Document().SetModified(true);
    prompts_.QueueAnswer(PromptAnswer::kNo);
    prompts_.QueueAnswer(PromptAnswer::kCancel);
    EXPECT_FALSE(frame_->Rooms().files.CmCloseAll());
    Settle();
    EXPECT_EQ(prompts_.Asked().size(), 2u);
    EXPECT_EQ(frame_->Rooms().workspace.Files().size(), 20u);

    prompts_.QueueAnswer(PromptAnswer::kNo);
    prompts_.QueueAnswer(PromptAnswer::kNo);
    prompts_.QueueAnswer(PromptAnswer::kNo);
    EXPECT_TRUE(frame_->Rooms().files.CmCloseAll());
    Settle();
    EXPECT_TRUE(frame_->Rooms().workspace.Files().empty());
    EXPECT_TRUE(frame_->MdiArea()->subWindowList().empty());
}

TEST_F(EditorTest, OnlyTheFirstHeaderlessFileOfASelectionAsksForItsFormat) {
    QStringList paths;
    for (const char* name : {"a.raw", "b.raw", "c.raw"}) {
        const std::string path = scratch_.File(name);
        std::ofstream(path, std::ios::binary) << std::string(1600, '\x10');
        paths << QString::fromStdString(path);
    }
    prompts_.QueueRawFormat({8000, 3, 2});  // 16-bit little-endian stereo
    frame_->Rooms().files.OpenFiles(paths);
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 3u);
    EXPECT_EQ(prompts_.RawFormatRequests().size(), 1u);
    for (LSVFileWindow* file : frame_->Rooms().workspace.Files()) {
        EXPECT_EQ(file->Document().Audio().GetChannels(), 2);
        EXPECT_EQ(file->Document().Audio().GetLength(), 400);
    }
}

TEST_F(EditorTest, ExitAsksForEveryModifiedFileAndKeepsTheFrameOnCancel) {
    WriteBool("Settings", "PromptSampleAndChannels", false);
    frame_->Rooms().files.CmNew();
    frame_->Rooms().files.CmNew();
    frame_->Rooms().workspace.Files()[1]->Document().SetModified(true);
    prompts_.QueueAnswer(PromptAnswer::kCancel);
    frame_->Action(1048)->trigger();
    EXPECT_TRUE(frame_->isVisible());
    EXPECT_EQ(frame_->Rooms().workspace.Files().size(), 2u);
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].text, "Guarde los cambios en \"Sin título 2\"?");

    frame_->move(0, 0);
    frame_->resize(500, 400);
    prompts_.QueueAnswer(PromptAnswer::kNo);
    frame_->Action(1048)->trigger();
    Settle();
    EXPECT_FALSE(frame_->isVisible());
    EXPECT_TRUE(frame_->Rooms().workspace.Files().empty());
    EXPECT_FALSE(ReadBool("MainWindow", "Maximized", true));
    EXPECT_EQ(ReadInt("MainWindow", "Width", 0), 500);
}

// Clicks the button labelled `text` of the modal window that is open when the event loop next
// runs, after noting the window's title.
void ClickInModalWindow(const QString& text, QString* title = nullptr) {
    QTimer::singleShot(0, [text, title] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        if (title != nullptr) {
            *title = modal->windowTitle();
        }
        for (QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << text.toStdString();
    });
}

TEST_F(EditorTest, MessageBoxesAnswerWithTheButtonChosen) {
    QtPrompts prompts(frame_.get());
    const PromptMessage question{"Sonvara", "¿Seguro?", PromptIcon::kQuestion,
                                 PromptButtons::kYesNoCancel};
    QString title;
    ClickInModalWindow("Sí", &title);
    EXPECT_EQ(prompts.Ask(question), PromptAnswer::kYes);
    EXPECT_EQ(title, "Sonvara");
    ClickInModalWindow("No");
    EXPECT_EQ(prompts.Ask(question), PromptAnswer::kNo);
    ClickInModalWindow("Cancelar");
    EXPECT_EQ(prompts.Ask(question), PromptAnswer::kCancel);
    ClickInModalWindow("Aceptar", &title);
    EXPECT_EQ(prompts.Ask({"Error", "Mal", PromptIcon::kError, PromptButtons::kOk}),
              PromptAnswer::kOk);
    EXPECT_EQ(title, "Error");
}

TEST_F(EditorTest, TheRawFormatDialogOffersTheRatesHelpsAndRefusesARateOutOfRange) {
    QtPrompts prompts(frame_.get());
    QString dialog_title;
    QString error_title;
    QString help_title;
    int offered_rates = 0;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(dialog->objectName(), "LSVVoxSampleRate");
        dialog_title = dialog->windowTitle();
        auto* rate = dialog->findChild<QComboBox*>("rate");
        offered_rates = rate->count();
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (button->text() == "Ayuda") {
                ClickInModalWindow("Aceptar", &help_title);
                button->click();
            }
        }
        rate->setEditText("5000");
        dialog->findChild<QComboBox*>("encoding")->setCurrentIndex(2);
        dialog->findChild<QComboBox*>("channels")->setCurrentIndex(1);
        ClickInModalWindow("Aceptar", &error_title);  // the message box that comes next
        QTimer::singleShot(0, [dialog] {
            // Still open after the message: a good rate is accepted.
            dialog->findChild<QComboBox*>("rate")->setEditText("11025");
            for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
                if (button->text() == "Aceptar") {
                    button->click();
                }
            }
        });
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (button->text() == "Aceptar") {
                button->click();
            }
        }
    });
    RawFileFormat format{8000, 0, 1};
    ASSERT_TRUE(prompts.AskRawFileFormat(format));
    EXPECT_EQ(dialog_title, "Propiedades del Archivo");
    EXPECT_EQ(offered_rates, 11);
    EXPECT_EQ(help_title, "Propiedades del Archivo");
    EXPECT_EQ(error_title, "Error");
    EXPECT_EQ(format.rate, 11025);
    EXPECT_EQ(format.encoding, 2);
    EXPECT_EQ(format.channels, 2);

    ClickInModalWindow("Cancelar");
    EXPECT_FALSE(prompts.AskRawFileFormat(format));
}

TEST_F(EditorTest, ClosedFilesAppearInTheFileMenuAndOpenFromThere) {
    const std::string first = Copy("in_mono.wav");
    const std::string second = Copy("in_stereo.wav");
    frame_->Rooms().files.OpenFiles(
        {QString::fromStdString(first), QString::fromStdString(second)});
    EXPECT_TRUE(frame_->RecentFileActions().empty());
    ASSERT_TRUE(frame_->Rooms().files.CmCloseAll());
    Settle();
    std::vector<QAction*> entries = frame_->RecentFileActions();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]->text().toStdString(), "&1. " + first);
    EXPECT_EQ(entries[1]->text().toStdString(), "&2. " + second);
    EXPECT_EQ(entries[0]->property("commandId").toInt(), 1050);
    EXPECT_EQ(entries[1]->property("commandId").toInt(), 1051);
    // They sit above a separator and "&Salir".
    auto* file_menu = frame_->findChild<QMenu*>("fileMenu");
    ASSERT_NE(file_menu, nullptr);
    const QList<QAction*> menu = file_menu->actions();
    ASSERT_GE(menu.size(), 3);
    EXPECT_EQ(menu[menu.size() - 1], frame_->Action(1048));
    EXPECT_TRUE(menu[menu.size() - 2]->isSeparator());
    EXPECT_EQ(menu[menu.size() - 3], entries[1]);

    entries[1]->trigger();
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 1u);
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile()->Path(), second);
}

TEST(FramePlacementTest, AStoredRectangleIsBroughtInsideTheDesktop) {
    const QRect desktop(0, 0, 1024, 768);
    EXPECT_EQ(ClipToDesktop({160, 80, 740, 627}, desktop), QRect(160, 80, 740, 627));
    EXPECT_EQ(ClipToDesktop({-50, -20, 740, 627}, desktop), QRect(0, 0, 740, 627));
    EXPECT_EQ(ClipToDesktop({600, 500, 740, 627}, desktop), QRect(284, 141, 740, 627));
    EXPECT_EQ(ClipToDesktop({10, 10, 5000, 4000}, desktop), QRect(0, 0, 1024, 768));
    EXPECT_EQ(ClipToDesktop({10, 10, 100, 100}, QRect(200, 100, 800, 600)),
              QRect(200, 100, 100, 100));
}

TEST_F(EditorTest, TheFrameComesBackWhereItWasLeft) {
    frame_.reset();
    WriteBool("MainWindow", "Maximized", false);
    WriteInt("MainWindow", "X", 30);
    WriteInt("MainWindow", "Y", 40);
    WriteInt("MainWindow", "Width", 500);
    WriteInt("MainWindow", "Height", 400);
    {
        TestFrame frame;
        frame.ShowPlaced();
        EXPECT_FALSE(frame.isMaximized());
        EXPECT_EQ(frame.frameGeometry().topLeft(), QPoint(30, 40));
        frame.resize(450, 350);
        frame.close();
    }
    EXPECT_FALSE(ReadBool("MainWindow", "Maximized", true));
    EXPECT_EQ(ReadInt("MainWindow", "X", 0), 30);
    EXPECT_EQ(ReadInt("MainWindow", "Width", 0), 450);
    EXPECT_EQ(ReadInt("MainWindow", "Height", 0), 350);
}

TEST_F(EditorTest, TheNewFileDialogRefusesRatesOutOfRange) {
    QString error_seen;
    QTimer::singleShot(0, [&] {
        NewWavDlg* dialog = frame_->findChild<NewWavDlg*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Archivo Nuevo");
        // The rate box has its label, which reaches it with Alt+T.
        const QList<QLabel*> labels = dialog->findChildren<QLabel*>();
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const QLabel* label) {
            return label->buddy() == dialog->RateField() &&
                   label->text() == "&Tasa de muestra (Hz):" && label->isVisible();
        }));
        dialog->RateField()->setEditText("5000");
        dialog->accept();
        EXPECT_TRUE(dialog->isVisible());
        dialog->RateField()->setEditText("96001");
        dialog->accept();
        EXPECT_TRUE(dialog->isVisible());
        dialog->RateField()->setEditText("96000");
        dialog->StereoButton()->setChecked(true);
        dialog->accept();
    });
    frame_->Action(1001)->trigger();
    ASSERT_EQ(prompts_.Asked().size(), 2u);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Error");
    EXPECT_EQ(prompts_.Asked()[0].text,
              "Las tasas de muestra deben estar entre 6000 y 96000 muestras por segundo.");
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 1u);
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile()->Document().Audio().GetSampleRate(), 96000);
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile()->Document().Audio().GetChannels(), 2);
    EXPECT_EQ(ReadInt("Settings", "SelectedSampleRate", 0), 96000);
    EXPECT_EQ(ReadInt("Settings", "SelectedChannels", 0), 2);

    // Cancel makes nothing.
    QTimer::singleShot(0, [&] { frame_->findChild<NewWavDlg*>()->reject(); });
    frame_->Rooms().files.CmNew();
    EXPECT_EQ(frame_->Rooms().workspace.Files().size(), 1u);
}

}  // namespace
}  // namespace sonvara
