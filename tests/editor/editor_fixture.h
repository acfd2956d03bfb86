#pragma once
// The editor's frame for tests: its file dialogs answered from queues, the questions from a
// script, the settings in memory and the working folder in a scratch folder.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QStringList>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/settings.h"
#include "editor/common/file_questions.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/edit/edit_controller.h"
#include "editor/files/file_controller.h"
#include "editor/frame/main_window.h"
#include "editor/places/place_controller.h"
#include "editor/tools/tool_controller.h"
#include "editor/transport/transport_controller.h"
#include "tests/document/document_fixture.h"
#include "tests/support/scripted_prompts.h"
#include "tests/view/gui_test_app.h"

namespace sonvara {

inline const std::string kDataFolder = std::string(SONVARA_SOURCE_DIR) + "/tests/data/wav/";
// The rate of the documents the tests make, and the frames of the stereo test file
// ("in_stereo.wav", 8000 Hz).
inline constexpr std::int32_t kRate = 8000;
inline constexpr std::int32_t kStereoFileFrames = 2003;

// Interleaved stereo samples, a stretch of them (frames `from` to `to`) and parts joined.
using Frames = std::vector<Sample>;
inline Frames Slice(const Frames& frames, std::int32_t from, std::int32_t to) {
    return Frames(frames.begin() + std::ptrdiff_t{2} * from,
                  frames.begin() + std::ptrdiff_t{2} * to);
}
inline Frames Join(const std::vector<Frames>& parts) {
    Frames joined;
    for (const Frames& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

// The child of `parent` named `name`, a failure when there is none.
template <typename T>
T* Control(QWidget* parent, const char* name) {
    T* control = parent->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
}

class WaveRecording;

// A recording of what reaches an output, paced by the clock or (`stepped`) by the test.
std::shared_ptr<WaveRecording> MakeRecording(bool stepped);

// The frame with its file dialogs answered from queues (an empty queue is a cancel), playing into
// a recording output (a clock-paced one of its own when none is given).
class TestFrame : public MainDialog, public FileQuestions {
  public:
    explicit TestFrame(std::shared_ptr<WaveRecording> recording = nullptr);

    std::deque<QStringList> open_answers;
    std::deque<QString> save_answers;
    int save_dialogs = 0;
    // The files chosen to mix or insert.
    std::deque<QString> audio_file_answers;
    // The names typed for bookmarks and regions (an empty queue is a cancel), the projects and
    // region files chosen.
    std::deque<std::string> name_answers;
    std::deque<QString> project_answers;
    std::deque<QString> region_answers;

    QStringList AskOpenFiles() override { return Next(open_answers); }
    QString AskAudioFile(const char*) override { return Next(audio_file_answers); }
    std::optional<std::string> AskName(const QString&, const QString&, const QString&) override {
        if (name_answers.empty()) {
            return std::nullopt;
        }
        return Next(name_answers);
    }
    QString AskProjectPath(bool) override { return Next(project_answers); }
    QString AskRegionPath() override { return Next(region_answers); }
    QString AskSaveAsPath(const QString&) override {
        ++save_dialogs;
        return Next(save_answers);
    }

  private:
    template <typename T>
    static T Next(std::deque<T>& queue) {
        if (queue.empty()) {
            return {};
        }
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

class EditorTest : public testing::DocumentTest {
  protected:
    explicit EditorTest(bool stepped_output = false) : recording_(MakeRecording(stepped_output)) {
        previous_settings_ = UseSettingsStore(std::make_shared<MemorySettingsStore>());
        // Opening a file plays it by default; the tests that want that say so.
        WriteBool("Settings", "PlayWhenOpen", false);
        frame_ = std::make_unique<TestFrame>(recording_);
        frame_->Rooms().workspace.SetPrompts(&prompts_);
        frame_->show();
    }
    ~EditorTest() override {
        frame_.reset();
        UseSettingsStore(previous_settings_);
    }

    // A copy of a test file in the scratch folder, so that saves do not touch the originals.
    std::string Copy(const std::string& name) {
        const std::string path = scratch_.File(name);
        std::filesystem::copy_file(kDataFolder + name, path);
        return path;
    }

    // The frames of `path` as the editor loads it.
    std::int32_t LoadedLength(const std::string& path) {
        TestFrame reader;
        reader.Rooms().workspace.SetPrompts(&prompts_);
        reader.Rooms().files.OpenFiles({QString::fromStdString(path)});
        return reader.Rooms().workspace.Files().size() == 1
                   ? reader.Rooms().workspace.Files()[0]->Document().Audio().GetLength()
                   : -1;
    }

    QString Title(LSVFileWindow* file) { return file->parentWidget()->windowTitle(); }
    // Lets closed windows go.
    static void Settle() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QApplication& app_ = testing::GuiApp();
    testing::ScopedEnv data_home_{"XDG_DATA_HOME", scratch_.File("data")};
    std::shared_ptr<SettingsStore> previous_settings_;
    testing::ScriptedPrompts prompts_;
    // What reaches the frame's output.
    std::shared_ptr<WaveRecording> recording_;
    std::unique_ptr<TestFrame> frame_;
};

}  // namespace sonvara
