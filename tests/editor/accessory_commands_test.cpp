// The tools and help menus and the accessories as the user meets them: "Texto a Palabras",
// "Enviar...", the manual and the about box.

#include <gtest/gtest.h>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "editor/tools/about_dialog.h"
#include "editor/tools/text_to_speech_dialog.h"
#include "editor/tools/user_manual.h"
#include "editor_model/text_to_speech.h"
#include "tests/editor/editor_fixture.h"

namespace sonvara {
namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

QStringList EntriesOf(const QMenu* menu) {
    QStringList entries;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            entries << action->text();
        }
    }
    return entries;
}

class AccessoryCommandsTest : public EditorTest {
  protected:
    AccessoryCommandsTest() {
        std::filesystem::create_directories(bin_);
        WriteBool("Settings", "PromptSampleAndChannels", false);
        WriteBool("Settings", "AutoPlaybackAfterEffects", false);
    }

    // A program on the search path of this test only: it writes its arguments, a line each, to
    // "NAME.args" beside it and ends with `exit_status`.
    void InstallFakeProgram(const std::string& name, int exit_status = 0) {
        std::ofstream script(bin_ + "/" + name);
        script << "#!/bin/sh\n"
                  "for argument in \"$@\"; do printf '%s\\n' \"$argument\"; done > \"$0.part\"\n"
                  "/bin/mv \"$0.part\" \"$0.args\"\n"
                  "exit "
               << exit_status << "\n";
        script.close();
        std::filesystem::permissions(bin_ + "/" + name, std::filesystem::perms::owner_all);
    }

    std::string bin_ = scratch_.File("bin");
    // Nothing but the test's own programs is found on the search path.
    testing::ScopedEnv path_{"PATH", bin_};
};

TEST_F(AccessoryCommandsTest, TheToolsAndHelpMenusHoldTheirCommands) {
    QStringList titles;
    for (const QAction* menu : frame_->menuBar()->actions()) {
        titles << menu->text().remove('&');
    }
    EXPECT_EQ(titles.back(), "Ayuda");
    EXPECT_EQ(titles.indexOf("Herramientas") + 1, titles.indexOf("Ventana"));
    EXPECT_TRUE(EntriesOf(frame_->findChild<QMenu*>("toolsMenu")).contains("Texto a Palabras"));
    EXPECT_EQ(EntriesOf(frame_->findChild<QMenu*>("helpMenu")),
              QStringList({"&Ayuda\tF1", "Acerca Sonvara"}));
    const QStringList file = EntriesOf(frame_->findChild<QMenu*>("fileMenu"));
    EXPECT_EQ(file.indexOf("Enviar...") + 1, file.indexOf("Opciones..."));
}

TEST_F(AccessoryCommandsTest, TextToSpeechOpensTheSpokenTextAsANewUntitledFile) {
    // Without the synthesizer the user is told so before writing a text (no dialog shows).
    frame_->Action(kCmTextToSpeech)->trigger();
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].text, SpeechSynthesizerMissingMessage());

    testing::ScopedEnv system_path{"PATH", "/usr/bin:/bin"};
    if (!FindSpeechSynthesizer()) {
        GTEST_SKIP() << "espeak-ng is not installed";
    }
    bool refused_empty = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = frame_->findChild<LTextToSpeechDlg*>();
        ASSERT_NE(dialog, nullptr);
        dialog->accept();  // no text yet: refused, and the dialog stays
        refused_empty = prompts_.Asked().size() == 2 &&
                        prompts_.Asked().back().caption == "Valor no válido" && dialog->isVisible();
        dialog->TextField()->setPlainText("Buenos días. Esto es una prueba.");
        dialog->VoiceField()->setCurrentIndex(dialog->VoiceField()->findData("es-419"));
        dialog->RateField()->setValue(200);
        // Return is a new line in the text; Ctrl+Return is OK.
        QTest::keyClick(dialog->TextField(), Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClick(dialog->TextField(), Qt::Key_Return, Qt::ControlModifier);
    });
    frame_->Action(kCmTextToSpeech)->trigger();
    EXPECT_TRUE(refused_empty);

    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 1u);
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    EXPECT_TRUE(file->Path().empty());
    EXPECT_EQ(Title(file), "Sin título 1*");
    const LCutListAudio& audio = file->Document().Audio();
    const double seconds = static_cast<double>(audio.GetLength()) / audio.GetSampleRate();
    EXPECT_GT(seconds, 1.0);
    EXPECT_LT(seconds, 6.0);
    // The choice is offered again next time.
    EXPECT_EQ(ReadString("StoredValues", "TextToSpeechVoice", ""), "es-419");
    EXPECT_EQ(ReadInt("StoredValues", "TextToSpeechRate", 0), 200);
}

TEST_F(AccessoryCommandsTest, SendSavesTheFileFirstAndAttachesItInTheMailProgram) {
    InstallFakeProgram("xdg-email");
    // An untitled file whose save is cancelled is not sent.
    frame_->Rooms().files.CmNew();
    frame_->Action(kCmSend)->trigger();
    EXPECT_EQ(frame_->save_dialogs, 1);

    const std::string path = Copy("in_mono.wav");
    frame_->Rooms().files.OpenFiles({QString::fromStdString(path)});
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    frame_->Rooms().workspace.ModifySelection(0, file->Document().Audio().GetLength() / 2, 0);
    frame_->Rooms().edit.CmClear();
    frame_->Action(kCmSend)->trigger();
    EXPECT_FALSE(file->IsModified());
    EXPECT_EQ(LoadedLength(path), file->Document().Audio().GetLength());
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(bin_ + "/xdg-email.args"), 10000);
    EXPECT_EQ(Contents(bin_ + "/xdg-email.args"), "--attach\n" + path + "\n");
    EXPECT_TRUE(prompts_.Asked().empty());

    // Without the mail program, the user is told where the file is.
    std::filesystem::remove(bin_ + "/xdg-email");
    frame_->Action(kCmSend)->trigger();
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_NE(prompts_.Asked()[0].text.find("xdg-email"), std::string::npos);
    EXPECT_NE(prompts_.Asked()[0].text.find(path), std::string::npos);
}

TEST_F(AccessoryCommandsTest, HelpShowsTheManualInTheBrowserOrSaysWhyNot) {
    testing::ScopedEnv data_dirs{"XDG_DATA_DIRS", scratch_.File("no-data")};
    const std::string folder = scratch_.File("data") + "/sonvara/manual";
    const std::string manual = folder + "/index.html";
    std::filesystem::create_directories(folder);
    std::ofstream(manual) << "<html></html>";
    const std::string opened = bin_ + "/xdg-open.args";
    InstallFakeProgram("xdg-open");

    // The menu entry and its key.
    frame_->Action(kCmHelp)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(opened), 10000);
    EXPECT_EQ(Contents(opened), manual + "\n");
    std::filesystem::remove(opened);
    frame_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    QTest::keyClick(frame_.get(), Qt::Key_F1);
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(opened), 10000);
    QTest::qWait(300);  // the opener was seen to end well
    EXPECT_TRUE(prompts_.Asked().empty());

    // An opener that finds no browser, and no opener: the user is told where the manual is.
    InstallFakeProgram("xdg-open", 3);
    frame_->Action(kCmHelp)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(prompts_.Asked().size(), size_t{1}, 10000);
    EXPECT_NE(prompts_.Asked()[0].text.find("navegador"), std::string::npos);
    EXPECT_NE(prompts_.Asked()[0].text.find(manual), std::string::npos);
    std::filesystem::remove(bin_ + "/xdg-open");
    frame_->Action(kCmHelp)->trigger();
    ASSERT_EQ(prompts_.Asked().size(), 2u);
    EXPECT_NE(prompts_.Asked()[1].text.find("xdg-open"), std::string::npos);
    EXPECT_NE(prompts_.Asked()[1].text.find(manual), std::string::npos);

    std::filesystem::remove_all(scratch_.File("data") + "/sonvara");
    frame_->Action(kCmHelp)->trigger();
    ASSERT_EQ(prompts_.Asked().size(), 3u);
    EXPECT_NE(prompts_.Asked()[2].text.find("No se encuentra el manual"), std::string::npos);
}

TEST_F(AccessoryCommandsTest, TheManualIsFoundBesideTheProgramInABuildAndAnInstallation) {
    // The build copies the manual where an installation puts it.
    const QString built = FindUserManual(
        QString::fromStdString(std::filesystem::path(SONVARA_EDITOR).parent_path().string()));
    ASSERT_FALSE(built.isEmpty());
    EXPECT_EQ(Contents(built.toStdString()),
              Contents(std::string(SONVARA_SOURCE_DIR) + "/docs/manual/index.html"));
    const std::string prefix = scratch_.File("prefix");
    const std::string programs = prefix + "/" SONVARA_PROGRAM_DIR;
    std::filesystem::create_directories(programs);
    std::filesystem::create_directories(prefix + "/share/sonvara/manual");
    std::ofstream(prefix + "/share/sonvara/manual/index.html") << "<html></html>";
    EXPECT_EQ(FindUserManual(QString::fromStdString(programs)),
              QString::fromStdString(prefix + "/share/sonvara/manual/index.html"));
}

TEST_F(AccessoryCommandsTest, TheAboutBoxShowsTheVersionTheLicencesAndTheBuildDate) {
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = frame_->findChild<LAboutDlg*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Acerca Sonvara");
        const QString shown = dialog->findChild<QLabel*>("version")->text();
        EXPECT_TRUE(shown.contains(QRegularExpression(R"(Versión \d+\.\d+\.\d+)")))
            << shown.toStdString();
        const QRegularExpressionMatch date =
            QRegularExpression(R"(Compilado el (\d{4}-\d\d-\d\d))").match(shown);
        const QDate built = QDate::fromString(date.captured(1), Qt::ISODate);
        EXPECT_TRUE(built.isValid() && built <= QDate::currentDate().addDays(1))
            << shown.toStdString();

        auto* credits = dialog->findChild<QTextBrowser*>("credits");
        const QString text = credits->toPlainText();
        for (const QString& named : {QString("Qt ") + qVersion(), QString("ALSA (libasound)"),
                                     QString("FFmpeg"), QString("eSpeak NG"), QString("LAME")}) {
            EXPECT_TRUE(text.contains(named)) << named.toStdString();
        }
        EXPECT_GE(text.count("LGPL"), 3);
        // The whole list shows without scrolling.
        EXPECT_EQ(credits->verticalScrollBar()->maximum(), 0);
        checked = true;
        dialog->reject();
    });
    frame_->Action(kCmAbout)->trigger();
    EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace sonvara
