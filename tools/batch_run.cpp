#include "tools/batch_run.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "batch/batch_command.h"
#include "batch/batch_converter.h"
#include "batch/batch_script.h"
#include "core/message_loop.h"
#include "core/terminal_progress_view.h"
#include "formats/format_table.h"
#include "tools/batch_jobs.h"
#include "tools/exit_status.h"

namespace sonvara {
namespace {

// --format and --out laid over the "BatchConverter" settings; false with a message when wrong.
bool ApplyOutputOptions(const BatchRunOptions& options, BatchOutputSettings& output) {
    if (options.format) {
        if (*options.format == "same") {
            output.same_format = true;
        } else {
            const std::string extension =
                options.format->starts_with(".") ? *options.format : "." + *options.format;
            output.same_format = false;
            output.format = -1;
            const std::span<const std::string> formats = WrittenExtensions();
            for (std::size_t i = 0; i < formats.size(); ++i) {
                if (formats[i] == extension) {
                    output.format = static_cast<int>(i);
                }
            }
            if (output.format < 0) {
                Fail("formato de salida desconocido: \"" + *options.format + "\"");
                return false;
            }
        }
    }
    if (options.out) {
        output.same_folder = *options.out == "same";
        if (!output.same_folder) {
            output.folder = *options.out;
        }
    }
    return true;
}

// A file's own run of --jobs, its output complete, waits here until the files before it are done:
// a "y" on standard input gives it its turn, the input's end without one cancels it.
bool WaitForTurn() {
    char turn = 0;
    ssize_t got = 0;
    do {
        got = ::read(STDIN_FILENO, &turn, 1);
    } while (got < 0 && errno == EINTR);
    return got == 1 && turn == 'y';
}

}  // namespace

int RunBatch(const BatchRunOptions& options, BatchPrompts& prompts) {
    std::vector<LBatchCommandItem> items;
    if (options.script) {
        BatchScriptRead read = ReadBatchScript(*options.script);
        if (!read.error.empty()) {
            return Fail(std::string(read.error) + " (" + *options.script + ")");
        }
        if (const Result<void> check = CheckBatchScript(*options.script, read.items); !check) {
            return Fail(check.Message());
        }
        items = std::move(read.items);
    }
    for (const std::string& order : options.commands) {
        Result<LBatchCommandItem> item = ParseBatchCommand(order);
        if (!item) {
            return Fail(item.Message());
        }
        items.push_back(std::move(*item));
    }
    if (options.save_script) {
        if (!WriteBatchScript(*options.save_script, items)) {
            return Fail(std::string(kBatchScriptOpenMessage) + " (" + *options.save_script + ")");
        }
        if (options.files.empty()) {
            return kExitDone;
        }
    }
    if (options.files.empty()) {
        return Fail("run necesita al menos un ARCHIVO (--help)");
    }
    BatchOutputSettings output = ReadBatchOutputSettings();
    if (!ApplyOutputOptions(options, output) || !PrepareBatchOutputFolder(prompts, output)) {
        return kExitFailed;
    }
    if (const Result<void> check = CheckBatchOutputs(options.files, output); !check) {
        return Fail(check.Message());
    }
    const int jobs = options.jobs > 0 ? options.jobs : AvailableProcessors();
    if (jobs > 1 && options.files.size() > 1 && options.saved == nullptr) {
        return RunBatchJobs(options.program, options.run_options, options.files, jobs);
    }
    SVBatchConverter converter(options.files, std::move(items), output);
    if (options.wait_turn) {
        converter.SetBeforeReplace(WaitForTurn);
    }
    QueueMessageLoop loop;
    TerminalProgressView view;
    ProcessHost host{loop, view, prompts};
    if (converter.Run(host) == PROCESS_DONE) {
        if (options.saved != nullptr) {
            *options.saved = converter.Outputs();
        }
        return kExitDone;
    }
    if (converter.Stopped()) {
        std::fprintf(stderr, "sonvara-batch: cancelado en \"%s\"\n",
                     converter.FailedFile().c_str());
        return kExitCancelled;
    }
    return Fail("falló \"" + converter.FailedFile() + "\" en el paso \"" + converter.FailedStep() +
                "\"");
}

int ShowBatchScript(const std::string& path) {
    const BatchScriptRead read = ReadBatchScript(path);
    if (!read.error.empty()) {
        return Fail(std::string(read.error) + " (" + path + ")");
    }
    std::printf("Comando\tOpciones\n");
    for (const LBatchCommandItem& item : read.items) {
        const BatchCommandInfo* command = FindBatchCommand(item.id);
        if (command == nullptr) {
            std::printf("(desconocido: %u)\t\n", item.id);
            continue;
        }
        std::printf("%.*s\t%s\n", static_cast<int>(command->name.size()), command->name.data(),
                    BatchItemDescription(item).c_str());
    }
    return kExitDone;
}

int ListFileFormats() {
    for (const FileFormat& format : FileFormats()) {
        std::string extensions;
        for (const char* extension : format.extensions) {
            if (extension != nullptr) {
                extensions += std::string(extensions.empty() ? "" : " ") + "." + extension;
            }
        }
        const char* use = format.writes ? "lee y escribe"
                          : format.decoder != ExternalDecoder::kNone
                              ? "lee con su componente decodificador"
                              : "lee";
        std::printf("%-20s %-16s %s\n", format.name, extensions.c_str(), use);
    }
    return kExitDone;
}

int ListBatchCommands() {
    for (const BatchCommandInfo& command : BatchCommands()) {
        std::string parameters =
            command.check_text ? "URI[:puerto=valor,...] (sonvara-batch plugins)" : "";
        for (const EffectField& field : command.fields) {
            if (field.IsPoints()) {
                parameters = "(los puntos de \"" + field.point_file + "\")";
                break;
            }
            parameters += parameters.empty() ? "" : ", ";
            parameters += field.batch_label;
        }
        std::printf("%2u  %.*s%s%s\n", command.id, static_cast<int>(command.name.size()),
                    command.name.data(), parameters.empty() ? "" : ": ", parameters.c_str());
    }
    return kExitDone;
}

}  // namespace sonvara
