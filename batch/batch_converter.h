#pragma once
// The batch converter: every file of a list is loaded, every command of a list is applied to the
// whole of it in turn, and the result is saved, in the file's own format and folder or in the
// ones the "BatchConverter" settings name. A file that fails (to load, in a command, to save, or
// because the user cancelled) ends the run there: the files before it are saved, the ones after
// it are not touched. When every command of the list is a stream filter, each file streams from
// its reader through the commands' sources into its writer (batch_stream.h), which gives the same
// bytes without writing the audio into cut files first.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_command.h"
#include "core/progress_dialog.h"
#include "core/prompts.h"
#include "core/result.h"
#include "document/cut_list_audio.h"
#include "formats/load_save.h"

namespace sonvara {

struct BatchOutputSettings {
    bool same_format = true;
    int format = 0;  // into WrittenExtensions() (formats/format_table.h), kept as "SaveFileFormat"
    bool same_folder = true;
    std::string folder;
};

// The "BatchConverter" section of the settings.
BatchOutputSettings ReadBatchOutputSettings();
void WriteBatchOutputSettings(const BatchOutputSettings& settings);

// Where `input` is saved: its own folder or the output folder, its name with its own extension or
// the chosen format's. Nothing when the format index is out of range.
std::optional<std::string> BatchOutputPath(const std::string& input,
                                           const BatchOutputSettings& settings);

// Whether the run of `inputs` can go ahead without one input's result replacing another input or
// another input's result: refused, naming both files, when an output is another input of the
// list or two inputs have the same output. A file replaced by its own result (same format, same
// folder) is allowed. Paths are compared as the files they name (".." and links resolved).
Result<void> CheckBatchOutputs(const std::vector<std::string>& inputs,
                               const BatchOutputSettings& settings);

// The output dialog's check of a separate output folder before a run: a missing folder is
// created when the user agrees; an empty or unusable one is refused with its message. True when
// the run can go ahead (always for the inputs' own folders).
bool PrepareBatchOutputFolder(Prompts& prompts, const BatchOutputSettings& settings);

// Applies one command, with its item's values, to the whole of `document` as a step of `process`
// filling [from, to] of its bar. An unknown command id does nothing.
ProcessResult ApplyBatchCommand(LProgressDialog& process, const LBatchCommandItem& item,
                                LCutListAudio& document, double from, double to);

// Whether a run of `items` streams each file from its reader to its writer: every known command
// of the list is a stream filter (unknown ones are skipped either way).
bool BatchListStreams(const std::vector<LBatchCommandItem>& items);

class SVBatchConverter : public LProgressDialog {
  public:
    SVBatchConverter(std::vector<std::string> files, std::vector<LBatchCommandItem> items,
                     BatchOutputSettings output);

    // After a failed run: the file and the step ("cargar", a command's name, "guardar") that
    // failed.
    const std::string& FailedFile() const { return failed_file_; }
    const std::string& FailedStep() const { return failed_step_; }
    // Whether the failure was the user's cancel.
    bool Stopped() const { return stopped_; }
    // The files saved by the last run, in order.
    const std::vector<std::string>& Outputs() const { return outputs_; }

    // Whether lists of stream filters run as one stream per file (the default) or, like every
    // other list, through an edit document: the outputs are the same.
    void SetStreaming(bool streaming) { streaming_ = streaming; }
    // Asked before each output replaces its target (SaveOptions::before_replace).
    void SetBeforeReplace(std::function<bool()> gate) { before_replace_ = std::move(gate); }
    // The files of the last run that were streamed.
    std::size_t StreamedFiles() const { return streamed_files_; }

  protected:
    ProcessResult Body() override;

  private:
    ProcessResult Fail(const std::string& file, std::string_view step, ProcessResult result);
    SaveOptions SaveOptionsFor(const std::string& input) const;
    // One file through a document: loaded, every command applied, saved. `step` names what
    // failed.
    ProcessResult ThroughDocument(const std::string& input, const std::string& output, double from,
                                  double to, std::string& step);
    // One file as a stream; `fall_back` when it must go through the document after all (a
    // reader that limits its own frames, a length that an envelope needed and that moved, a
    // stage that cannot be made, whose failure the document then tells).
    ProcessResult Streamed(const std::string& input, const std::string& output, double from,
                           double to, std::string& step, bool& fall_back);

    std::vector<std::string> files_;
    std::vector<LBatchCommandItem> items_;
    BatchOutputSettings output_;
    std::string failed_file_;
    std::string failed_step_;
    bool stopped_ = false;
    std::vector<std::string> outputs_;
    bool streaming_ = true;
    std::size_t streamed_files_ = 0;
    std::function<bool()> before_replace_;
};

}  // namespace sonvara
