#pragma once
// The batch converter's face in sonvara-batch: `run`, `script show` and `commands`.

#include <optional>
#include <string>
#include <vector>

#include "tools/batch_prompts.h"

namespace sonvara {

struct BatchRunOptions {
    std::optional<std::string> script;       // --script
    std::vector<std::string> commands;       // --command, in order
    std::optional<std::string> format;       // --format EXT|same
    std::optional<std::string> out;          // --out DIR|same
    std::optional<std::string> save_script;  // --save-script
    std::vector<std::string> files;
    std::vector<std::string>* saved = nullptr;  // when set, receives the files saved
    int jobs = 0;  // --jobs: files worked on at once; 0 for the number of processors
    // --wait-turn: a file's own run of --jobs, whose output waits for its turn (batch_jobs.h).
    bool wait_turn = false;
    // For --jobs: this program and the options that each file's own run repeats.
    std::string program;
    std::vector<std::string> run_options;
};

// Each returns the exit status (0 done, 1 cancelled, 2 failed) and writes what went wrong to
// stderr.
int RunBatch(const BatchRunOptions& options, BatchPrompts& prompts);
int ShowBatchScript(const std::string& path);
int ListBatchCommands();
// One line per file format: its name, its extensions, whether it is written too, and for a
// format read through a decoder component, that it needs one.
int ListFileFormats();

}  // namespace sonvara
