// The batch converter's pages and run window: a command list made with the effects' own dialogs,
// saved as the command line saves it, reopened and run into another folder and format; the
// output folder's question; a failing file; files dropped and commands dragged; the whole walk
// from the Herramientas menu.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>

#include "audio/wav/wave_file.h"
#include "batch/batch_run_process.h"
#include "editor/batch/batch_command_dialog.h"
#include "editor/batch/batch_file_dialog.h"
#include "editor/batch/batch_format_dialog.h"
#include "editor/batch/batch_options.h"
#include "editor/batch/batch_run_dialog.h"
#include "editor/effects/point_list_dialog.h"
#include "tests/editor/editor_fixture.h"

namespace sonvara {
namespace {

std::vector<char> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs `act` on the modal window named `name` once it is the active one (it may open later, when
// the code under test gets there).
void OnModal(const QString& name, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, name, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->objectName() == name) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start(5);
}

void Accept(QWidget* dialog) {
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
}

class TestCommandDlg : public LSelectBatchCommandDlg {
  public:
    using LSelectBatchCommandDlg::LSelectBatchCommandDlg;
    QString path;

  protected:
    QString AskOpenPath() override { return path; }
    QString AskSavePath() override { return path; }
};

class TestRunDlg : public LBatchRunDlg {
  public:
    using LBatchRunDlg::LBatchRunDlg;
    // What the window said as each file started.
    std::vector<QString> shown;

    void FileStarted(std::size_t index, std::size_t count, const std::string& path) override {
        LBatchRunDlg::FileStarted(index, count, path);
        shown.push_back(FileLabel()->text() + " | " + RemainingLabel()->text());
    }
};

class BatchDialogsTest : public EditorTest {
  protected:
    // A 16-bit mono WAV of a second at 8000 Hz, at a constant level.
    std::string Wave(const std::string& name) {
        const std::string path = scratch_.File(name);
        std::vector<Sample> samples(8000, 0x40000);
        LSoundSinkRef sink = LWaveFile::OpenSinkPCM(path, 8000, 0, 16, 1);
        sink->Write(samples.data(), 8000);
        EXPECT_TRUE(sink->Finish());
        return path;
    }

    // Runs `items` over `files` in the run window as the frame does.
    ProcessResult Run(TestRunDlg& window, const std::vector<std::string>& files,
                      const std::vector<LBatchCommandItem>& items,
                      const BatchOutputSettings& output, std::vector<std::string>* outputs) {
        LBatchRun run(files, items, output, &window);
        QtMessageLoop loop(&window);
        ProcessHost host{loop, window, prompts_};
        const ProcessResult result = run.Run(host);
        window.ShowOutcome(run, result);
        *outputs = run.Outputs();
        return result;
    }

    std::vector<QString> Column(const QTreeWidget& tree, int column) {
        std::vector<QString> texts;
        for (int row = 0; row < tree.topLevelItemCount(); ++row) {
            texts.push_back(tree.topLevelItem(row)->text(column));
        }
        return texts;
    }
};

TEST_F(BatchDialogsTest, AListMadeInTheDialogsIsSavedAsTheCommandLineSavesItAndRunsElsewhere) {
    LBatchCommandList list;
    TestCommandDlg commands(list, prompts_, frame_.get());
    commands.show();
    commands.AddCommands({kBatchAmplify, kBatchEcho, kBatchConvertRate});
    // Each command's options in its effect's own dialog.
    auto options = [&](int row, const QString& dialog_name, std::function<void(QWidget*)> fill) {
        commands.Tree()->clearSelection();
        commands.Tree()->topLevelItem(row)->setSelected(true);
        bool shown = false;
        OnModal(dialog_name, [&, fill](QWidget* dialog) {
            shown = true;
            fill(dialog);
            Accept(dialog);
        });
        commands.findChild<QAbstractButton*>("options")->click();
        EXPECT_TRUE(shown) << dialog_name.toStdString();
    };
    options(0, "LSVAmplifyDlg",
            [](QWidget* d) { d->findChild<QSpinBox*>("AmplifyGain")->setValue(50); });
    options(1, "LSVEchoDlg", [](QWidget* d) {
        d->findChild<QSpinBox*>("EchoTime")->setValue(100);
        d->findChild<QSpinBox*>("EchoGain")->setValue(30);
    });
    options(2, "LSVConvertSample",
            [](QWidget* d) { d->findChild<QComboBox*>("rate")->setEditText("16000"); });
    const std::vector<QString> names = {"Amplificador", "Eco", "Convertir la Tasa de Muestra"};
    const std::vector<QString> described = {
        "Amplificar la Ganancia (%) = 50", " Tiempo de Eco (mins.) = 100, Ganancia de Eco (%) = 30",
        "Convierta la Tasa de Muestra = 16000"};
    EXPECT_EQ(Column(*commands.Tree(), 0), names);
    EXPECT_EQ(Column(*commands.Tree(), 1), described);
    EXPECT_TRUE(commands.ScriptLabel()->text().endsWith("Untitled.svb *"));

    commands.path = QString::fromStdString(scratch_.File("three"));
    ASSERT_TRUE(commands.SaveScript());  // untitled: asks where, and adds the extension
    const std::string saved = scratch_.File("three.svb");
    EXPECT_EQ(commands.ScriptLabel()->text(), "Lista de Comandos: three.svb");

    const std::string typed = scratch_.File("typed.svb");
    testing::ScopedEnv config("XDG_CONFIG_HOME", scratch_.File("config"));
    const std::string line = std::string(SONVARA_BATCH) +
                             " run --command Amplificador:50 --command 7:100,30 --command 16:16000"
                             " --save-script '" +
                             typed + "'";
    ASSERT_EQ(std::system(line.c_str()), 0);
    EXPECT_EQ(Bytes(saved), Bytes(typed));

    commands.NewScript();  // saved: no question
    EXPECT_EQ(commands.Tree()->topLevelItemCount(), 0);
    commands.OpenScript(typed);
    EXPECT_EQ(Column(*commands.Tree(), 1), described);
    EXPECT_TRUE(prompts_.Asked().empty());

    // Into a folder that is not there yet, as Sun audio.
    const std::string out = scratch_.File("out");
    LSelectSaveFormatDlg format(prompts_, frame_.get());
    format.OtherFormat()->setChecked(true);
    format.Format()->setCurrentIndex(6);
    format.OtherFolder()->setChecked(true);
    format.Folder()->setText(QString::fromStdString(out));
    EXPECT_FALSE(format.FormatSettings()->isEnabled());  // Sun audio has no settings
    prompts_.QueueAnswer(PromptAnswer::kNo);
    format.accept();
    EXPECT_EQ(format.result(), QDialog::Rejected);  // still open
    EXPECT_FALSE(std::filesystem::exists(out));
    format.accept();  // yes this time
    EXPECT_EQ(format.result(), QDialog::Accepted);
    ASSERT_EQ(prompts_.Asked().size(), 2u);
    EXPECT_EQ(prompts_.Asked()[0].text,
              "La carpeta  \"" + out + "\" No existe. ¿Desea crear una ahora?");
    EXPECT_TRUE(std::filesystem::is_directory(out));
    EXPECT_FALSE(ReadBatchOutputSettings().same_format);
    EXPECT_EQ(ReadBatchOutputSettings().folder, out);

    const std::vector<std::string> files = {Wave("a.wav"), Wave("b.wav"), Wave("c.wav")};
    TestRunDlg window(frame_.get());
    std::vector<std::string> outputs;
    EXPECT_EQ(Run(window, files, list.Items(), format.Settings(), &outputs), PROCESS_DONE);
    EXPECT_EQ(window.shown[1], "Archivo 2 de 3: " + QString::fromStdString(files[1]) +
                                   " | Queda 1 archivo después de este.");
    EXPECT_EQ(window.shown[2].section(" | ", 1), "Es el último archivo.");
    EXPECT_EQ(window.FileLabel()->text(), "Listo: 3 de 3 archivos convertidos.");
    EXPECT_EQ(window.Button()->text(), "Cerrar");
    ASSERT_EQ(outputs.size(), 3u);
    for (const char* name : {"a.au", "b.au", "c.au"}) {
        const std::string path = out + "/" + name;
        LSoundSourceRef source = OpenSourceForLoad(path, ReadRawFileSettings());
        ASSERT_FALSE(source->IsError()) << path;
        EXPECT_EQ(source->GetSampleRate(), 16000);
        std::vector<Sample> start(static_cast<std::size_t>(100 * source->GetChannels()));
        source->Read(start.data(), 100);
        EXPECT_NEAR(start[50], 0x20000, 0x800);  // halved, before the echo comes in
    }
}

TEST_F(BatchDialogsTest, OptionsDialogsShowTheItemsValuesAndGiveThemBackUnchangedOnOK) {
    PointList points;
    points.n_points = 3;
    points.points[0] = {0, 40};
    points.points[1] = {90, 200};
    points.points[2] = {255, 128};
    const std::vector<std::pair<LBatchCommandItem, QString>> items = {
        {MakeBatchItem(*FindBatchCommand(kBatchCompressor), {-12, 3, -2}), "LSVCompressorDlg"},
        {MakeBatchItem(*FindBatchCommand(kBatchEqualizer), {}, points), "LEqualizerDlg"},
        {MakeBatchItem(*FindBatchCommand(kBatchSilenceAtEnd), {1500}), "LSVInsertSilenceDlg"},
        {MakeBatchItem(*FindBatchCommand(kBatchConstantSpeed), {120}), "LSVSpeedChangeDlg"},
        {MakeBatchItem(*FindBatchCommand(kBatchConvertChannels), {2}), "ChannelsDlg"},
    };
    for (const auto& [item, dialog_name] : items) {
        QString shown;
        OnModal(dialog_name, [&](QWidget* dialog) {
            shown = dialog->windowTitle();
            Accept(dialog);
        });
        const std::optional<LBatchCommandItem> edited =
            EditBatchOptions(item, prompts_, frame_.get());
        ASSERT_TRUE(edited.has_value()) << dialog_name.toStdString();
        EXPECT_EQ(*edited, item) << dialog_name.toStdString();
        EXPECT_FALSE(shown.isEmpty());
    }
    // An item without data shows the stored values, and OK gives it the whole layout.
    WriteStoredValue(kEchoTime, 321);
    OnModal("LSVEchoDlg", [](QWidget* dialog) { Accept(dialog); });
    const std::optional<LBatchCommandItem> filled =
        EditBatchOptions({kBatchEcho, {}}, prompts_, frame_.get());
    ASSERT_TRUE(filled.has_value());
    EXPECT_EQ(BatchItemValues(*filled).numbers, (std::vector<int>{321, 50}));
    EXPECT_EQ(filled->data.size(), 6u);
}

// The plug-in command is chosen as it is added: the plug-in from the list, then its values in
// its own dialog; the list shows it by name with its values.
TEST_F(BatchDialogsTest, APluginCommandAsksItsPluginAndValuesAsItIsAdded) {
    OnModal("choosePlugin", [](QWidget* dialog) {
        auto* list = dialog->findChild<QComboBox*>("plugins");
        list->setCurrentIndex(list->findData("http://plugin.org.uk/swh-plugins/amp"));
        Accept(dialog);
        OnModal("LPluginDlg", [](QWidget* values) {
            values->findChild<QDoubleSpinBox*>("gain")->setValue(-6);
            Accept(values);
        });
    });
    LBatchCommandList list;
    TestCommandDlg commands(list, prompts_, frame_.get());
    commands.AddCommands({kBatchPlugin});
    ASSERT_EQ(list.Items().size(), 1u);
    EXPECT_EQ(BatchCommandText(list.Items()[0]), "19:http://plugin.org.uk/swh-plugins/amp:gain=-6");
    EXPECT_EQ(Column(*commands.Tree(), 1), (std::vector<QString>{"Simple amplifier: gain=-6"}));
    // Cancelled, nothing is added.
    OnModal("choosePlugin", [](QWidget* dialog) {
        QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    commands.AddCommands({kBatchPlugin});
    EXPECT_EQ(list.Items().size(), 1u);
}

TEST_F(BatchDialogsTest, AFailingFileIsListedAndStopsTheRunUnlessTheUserLetsItGoOn) {
    const std::string broken = scratch_.File("broken.wav");
    std::ofstream(broken) << "RIFF, but nothing of a wave";
    const std::vector<std::string> files = {Wave("a.wav"), broken, Wave("c.wav")};
    const BatchOutputSettings output{false, 5, true, ""};
    const std::vector<LBatchCommandItem> items = {
        MakeBatchItem(*FindBatchCommand(kBatchNormalize), {90})};
    for (const bool go_on : {false, true}) {
        std::filesystem::remove(scratch_.File("a.aif"));
        std::filesystem::remove(scratch_.File("c.aif"));
        TestRunDlg window(frame_.get());
        window.GoOn()->setChecked(go_on);
        std::vector<std::string> outputs;
        EXPECT_EQ(Run(window, files, items, output, &outputs), PROCESS_FAILED);
        ASSERT_EQ(window.Failures()->count(), 1);
        EXPECT_TRUE(window.Failures()->item(0)->text().startsWith("broken.wav: no se pudo cargar"))
            << window.Failures()->item(0)->text().toStdString();
        EXPECT_TRUE(std::filesystem::exists(scratch_.File("a.aif")));
        EXPECT_EQ(std::filesystem::exists(scratch_.File("c.aif")), go_on);
        EXPECT_EQ(window.FileLabel()->text(),
                  QString("Con errores: %1 de 3 archivos convertidos.").arg(go_on ? 2 : 1));
        EXPECT_EQ(window.shown.size(), go_on ? 3u : 2u);
    }
    // The reason was listed, not shown in a box.
    EXPECT_TRUE(prompts_.Asked().empty());
}

TEST_F(BatchDialogsTest, DroppedFilesAndFoldersAreListedOnceAndDraggedCommandsReorderTheList) {
    const std::string folder = scratch_.File("in");
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/notes.txt") << "not audio";
    std::filesystem::copy_file(Wave("x.wav"), folder + "/b.wav");
    std::filesystem::copy_file(Wave("y.wav"), folder + "/a.au");
    const std::string single = Wave("z.wav");
    LSelectBatchFileDlg files({}, frame_.get());
    files.show();
    EXPECT_FALSE(files.findChild<QAbstractButton*>("next")->isEnabled());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder)),
                  QUrl::fromLocalFile(QString::fromStdString(single))});
    const QPoint middle = files.List()->viewport()->rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(files.List()->viewport(), &enter);
    QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(files.List()->viewport(), &drop);
    files.AddPaths({QString::fromStdString(single)});  // already there
    EXPECT_EQ(files.Files(),
              (std::vector<std::string>{folder + "/a.au", folder + "/b.wav", single}));
    EXPECT_TRUE(files.findChild<QAbstractButton*>("next")->isEnabled());

    LBatchCommandList list;
    TestCommandDlg commands(list, prompts_, frame_.get());
    commands.show();
    commands.AddCommands({kBatchAutoTrim, kBatchAmplify, kBatchEcho, kBatchReverb});
    QTreeWidget& tree = *commands.Tree();
    tree.clearSelection();
    tree.topLevelItem(0)->setSelected(true);
    tree.topLevelItem(1)->setSelected(true);
    // Dragged onto the lower half of the last row: below it.
    const QRect last = tree.visualItemRect(tree.topLevelItem(3));
    const QPoint below(last.center().x(), last.bottom() - 1);
    std::unique_ptr<QMimeData> rows(tree.model()->mimeData(tree.selectionModel()->selectedRows()));
    QDragEnterEvent pick(below, Qt::MoveAction, rows.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &pick);
    QDropEvent move(below, Qt::MoveAction, rows.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &move);
    EXPECT_EQ(Column(tree, 0),
              (std::vector<QString>{"Eco", "Reverberancia", "Auto Recortar", "Amplificador"}));
    EXPECT_EQ(list.Items()[0].id, kBatchEcho);
    EXPECT_TRUE(tree.topLevelItem(2)->isSelected() && tree.topLevelItem(3)->isSelected());

    // A changed list asks before it is replaced; "Cancelar" keeps it.
    prompts_.QueueAnswer(PromptAnswer::kCancel);
    commands.NewScript();
    EXPECT_EQ(tree.topLevelItemCount(), 4);
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].text, "¿ Desea guardar la Lista de Comandos?");
}

TEST_F(BatchDialogsTest, TheToolsMenuWalksThroughThePagesToARunAndBack) {
    QMenu* tools = frame_->menuBar()->findChild<QMenu*>("toolsMenu");
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->title(), "&Herramientas");
    ASSERT_TRUE(tools->actions().contains(frame_->Action(kCmBatchConverter)));
    EXPECT_EQ(frame_->Action(kCmBatchConverter)->text(), "Convertidor de Grupo");
    EXPECT_TRUE(frame_->Action(kCmBatchConverter)->isEnabled());  // no file needed

    const std::string file = Wave("solo.wav");
    WriteBatchOutputSettings({true, 0, true, ""});
    std::vector<QString> pages;
    std::function<void(QWidget*)> close;  // the run window, once the run has ended
    OnModal("LSelectBatchFileDlg", [&](QWidget* p1) {
        pages.push_back(p1->objectName());
        static_cast<LSelectBatchFileDlg*>(p1)->AddPaths({QString::fromStdString(file)});
        Accept(p1);
        OnModal("LSelectBatchCommandDlg", [&](QWidget* p2) {
            pages.push_back(p2->objectName());
            static_cast<LSelectBatchCommandDlg*>(p2)->AddCommands({kBatchReverb});
            Accept(p2);
            OnModal("LSelectSaveFormatDlg", [&](QWidget* p3) {
                pages.push_back(p3->objectName());
                // Back: the command page shows the list as it was left.
                p3->findChild<QAbstractButton*>("back")->click();
                OnModal("LSelectBatchCommandDlg", [&](QWidget* p4) {
                    pages.push_back(
                        static_cast<LSelectBatchCommandDlg*>(p4)->Tree()->topLevelItem(0)->text(0));
                    Accept(p4);
                    OnModal("LSelectSaveFormatDlg", [&](QWidget* p5) {
                        static_cast<LSelectSaveFormatDlg*>(p5)->OtherFormat()->setChecked(true);
                        static_cast<LSelectSaveFormatDlg*>(p5)->Format()->setCurrentIndex(5);
                        p5->findChild<QAbstractButton*>("convert")->click();
                        close = [&](QWidget* run_page) {
                            auto* window = static_cast<LBatchRunDlg*>(run_page);
                            if (window->Button()->objectName() != "close") {
                                OnModal("LBatchRunDlg", close);  // still running
                                return;
                            }
                            pages.push_back(window->FileLabel()->text());
                            window->Button()->click();
                        };
                        OnModal("LBatchRunDlg", close);
                    });
                });
            });
        });
    });
    frame_->Action(kCmBatchConverter)->trigger();
    EXPECT_EQ(pages, (std::vector<QString>{"LSelectBatchFileDlg", "LSelectBatchCommandDlg",
                                           "LSelectSaveFormatDlg", "Reverberancia",
                                           "Listo: 1 de 1 archivos convertidos."}));
    EXPECT_TRUE(std::filesystem::exists(scratch_.File("solo.aif")));
    EXPECT_TRUE(frame_->isEnabled());
}

// An output that would replace another file of the list is refused on the output page, naming
// both files; nothing runs, and the page is shown again for another choice.
TEST_F(BatchDialogsTest, AnOutputThatWouldReplaceAnotherFileOfTheListIsRefusedBeforeTheRun) {
    const std::string wav = Wave("a.wav");
    const std::string au = scratch_.File("a.au");
    std::ofstream(au) << "the user's own file";
    const std::vector<char> before = Bytes(wav);
    int output_pages = 0;
    OnModal("LSelectBatchFileDlg", [&](QWidget* files) {
        static_cast<LSelectBatchFileDlg*>(files)->AddPaths(
            {QString::fromStdString(au), QString::fromStdString(wav)});
        Accept(files);
        OnModal("LSelectBatchCommandDlg", [&](QWidget* commands) {
            static_cast<LSelectBatchCommandDlg*>(commands)->AddCommands({kBatchAmplify});
            Accept(commands);
            OnModal("LSelectSaveFormatDlg", [&](QWidget* output) {
                ++output_pages;
                static_cast<LSelectSaveFormatDlg*>(output)->OtherFormat()->setChecked(true);
                static_cast<LSelectSaveFormatDlg*>(output)->Format()->setCurrentIndex(0);  // .wav
                output->findChild<QAbstractButton*>("convert")->click();
                OnModal("LSelectSaveFormatDlg", [&](QWidget* again) {
                    ++output_pages;
                    QMetaObject::invokeMethod(again, "reject", Qt::QueuedConnection);
                });
            });
        });
    });
    WriteBatchOutputSettings({true, 0, true, ""});
    frame_->Action(kCmBatchConverter)->trigger();
    EXPECT_EQ(output_pages, 2);
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    const std::string& told = prompts_.Asked()[0].text;
    EXPECT_NE(told.find("\"" + au + "\""), std::string::npos) << told;
    EXPECT_NE(told.find("\"" + wav + "\""), std::string::npos) << told;
    EXPECT_EQ(Bytes(wav), before);
    const std::vector<char> own = Bytes(au);
    EXPECT_EQ(std::string(own.begin(), own.end()), "the user's own file");
}

}  // namespace
}  // namespace sonvara
