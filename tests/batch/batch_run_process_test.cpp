// The editor's file-by-file batch run: a cancel ends the whole run at once, however the user
// answered about failures; without an observer a failure ends it as on the command line.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "audio/wav/wave_file.h"
#include "batch/batch_run_process.h"
#include "core/settings.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/run_process.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

class GoingOn : public BatchRunObserver {
  public:
    void FileStarted(std::size_t, std::size_t, const std::string& path) override {
        started.push_back(path);
    }
    void FileFailed(const BatchFileFailure&) override {}
    bool GoOnAfterFailure() override { return true; }

    std::vector<std::string> started;
};

class BatchRunTest : public testing::DocumentTest {
  protected:
    BatchRunTest() : previous_store_(UseSettingsStore(nullptr)) {}
    ~BatchRunTest() override { UseSettingsStore(previous_store_); }

    std::string Wave(const std::string& name) {
        const std::string path = scratch_.File(name);
        std::vector<Sample> samples(80000, 0x40000);
        LSoundSinkRef sink = LWaveFile::OpenSinkPCM(path, 8000, 0, 16, 1);
        sink->Write(samples.data(), 80000);
        EXPECT_TRUE(sink->Finish());
        return path;
    }

  private:
    std::shared_ptr<SettingsStore> previous_store_;
};

TEST_F(BatchRunTest, ACancelEndsTheRunEvenWhenFailuresGoOn) {
    const std::vector<std::string> files = {Wave("a.wav"), Wave("b.wav"), Wave("c.wav")};
    const BatchOutputSettings output{false, 5, true, ""};
    const std::vector<LBatchCommandItem> items = {
        MakeBatchItem(*FindBatchCommand(kBatchEcho), {100, 30})};
    GoingOn observer;
    LBatchRun run(files, items, output, &observer);
    testing::CancelAfter view(3);
    EXPECT_EQ(testing::RunProcess(run, &view), PROCESS_STOPPED);
    EXPECT_EQ(observer.started.size(), 1u);
    EXPECT_TRUE(run.Failures().empty());
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("b.aif")));
}

TEST_F(BatchRunTest, WithoutAnObserverAFailureEndsTheRunWithItsReason) {
    const std::string broken = scratch_.File("broken.au");
    std::ofstream(broken) << "not a sun audio file";
    const std::vector<std::string> files = {broken, Wave("b.wav")};
    LBatchRun run(files, {}, {false, 0, true, ""}, nullptr);
    testing::ScriptedPrompts prompts;
    EXPECT_EQ(testing::RunProcess(run, nullptr, &prompts), PROCESS_FAILED);
    ASSERT_EQ(run.Failures().size(), 1u);
    EXPECT_EQ(run.Failures()[0].file, broken);
    EXPECT_TRUE(run.Failures()[0].reason.starts_with("no se pudo cargar"));
    EXPECT_TRUE(run.Outputs().empty());
    EXPECT_TRUE(prompts.Asked().empty());  // the message became the reason
}

}  // namespace
}  // namespace sonvara
