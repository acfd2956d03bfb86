#include "batch/batch_converter.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include "batch/batch_stream.h"
#include "core/folders.h"
#include "core/paths.h"
#include "core/settings.h"
#include "formats/decoded_file.h"
#include "formats/format_table.h"
#include "formats/load_save.h"
#include "formats/raw_formats.h"
#include "formats/tag_file.h"

namespace sonvara {
namespace {

constexpr std::string_view kSection = "BatchConverter";

bool IsFolder(const std::string& path) {
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The answers of the save step when the output format differs from the input's: the format's
// own settings were chosen before the run (the remembered WAV codec, the raw-file values), so the
// save takes them as they are. The codec choice is accepted once; if it cannot be used, the save
// fails instead of asking again. Messages go to the run's own prompts.
class StoredFormatPrompts : public FormatPrompts {
  public:
    explicit StoredFormatPrompts(Prompts& outer) : outer_(outer) {}

    PromptAnswer Ask(const PromptMessage& message) override { return outer_.Ask(message); }
    bool ChooseWaveFormat(FormatArea&, const std::vector<FormatChoice>&,
                          const std::string&) override {
        return !std::exchange(asked_, true);
    }
    bool AskRawFileFormat(RawFileFormat&) override { return true; }

  private:
    Prompts& outer_;
    bool asked_ = false;
};

// Holds the messages of a streamed file's first passes until it is known whether the file
// streams: when a stage cannot be made, the file goes through the document instead, which says
// what is the user's concern.
class HeldPrompts : public Prompts {
  public:
    explicit HeldPrompts(Prompts& outer) : outer_(outer) {}

    PromptAnswer Ask(const PromptMessage& message) override {
        held_.push_back(message);
        return AgreeingAnswer(message.buttons);
    }
    void Release() {
        for (const PromptMessage& message : std::exchange(held_, {})) {
            outer_.Ask(message);
        }
    }

  private:
    Prompts& outer_;
    std::vector<PromptMessage> held_;
};

// The save step of a streamed file: the chain written as the document's save writes it.
class LSVSaveSource : public LProgressDialog {
  public:
    LSVSaveSource(LSoundSourceRef source, std::string path, SaveMode mode, SaveOptions options)
        : LProgressDialog("Sonvara"),
          source_(std::move(source)),
          path_(std::move(path)),
          mode_(mode),
          options_(std::move(options)) {}

  protected:
    ProcessResult Body() override {
        SetText("Saving file...", 0);
        return SaveSourceToFile(*this, source_, path_, mode_, options_);
    }

  private:
    LSoundSourceRef source_;
    std::string path_;
    SaveMode mode_;
    SaveOptions options_;
};

}  // namespace

BatchOutputSettings ReadBatchOutputSettings() {
    BatchOutputSettings settings;
    settings.same_format = ReadBool(kSection, "SaveSameFileFormat", true);
    settings.format = ReadInt(kSection, "SaveFileFormat", 0);
    settings.same_folder = ReadBool(kSection, "SameOutputFolder", true);
    settings.folder = ReadString(kSection, "OutputFolder", "");
    return settings;
}

void WriteBatchOutputSettings(const BatchOutputSettings& settings) {
    WriteBool(kSection, "SaveSameFileFormat", settings.same_format);
    WriteInt(kSection, "SaveFileFormat", settings.format);
    WriteBool(kSection, "SameOutputFolder", settings.same_folder);
    if (!settings.same_folder) {
        WriteString(kSection, "OutputFolder", settings.folder);
    }
}

std::optional<std::string> BatchOutputPath(const std::string& input,
                                           const BatchOutputSettings& settings) {
    std::string extension = GetFileExtension(input);
    if (!settings.same_format) {
        const std::span<const std::string> formats = WrittenExtensions();
        if (settings.format < 0 || settings.format >= static_cast<int>(formats.size())) {
            return std::nullopt;
        }
        extension = formats[static_cast<std::size_t>(settings.format)];
    }
    const std::string folder = settings.same_folder ? GetFolderFromPath(input) : settings.folder;
    return FilePathCat(folder, GetFileNameWithoutExtension(input), extension);
}

namespace {

// The file `path` names, for comparing: absolute, with "." and ".." and links resolved as far as
// the path exists.
std::string SameFileKey(const std::string& path) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? std::filesystem::absolute(path).lexically_normal().string() : resolved.string();
}

}  // namespace

Result<void> CheckBatchOutputs(const std::vector<std::string>& inputs,
                               const BatchOutputSettings& settings) {
    std::map<std::string, std::size_t> input_of;  // an input's key: its place in the list
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        input_of.emplace(SameFileKey(inputs[i]), i);
    }
    std::map<std::string, std::size_t> output_of;  // an output's key: the input that makes it
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::optional<std::string> output = BatchOutputPath(inputs[i], settings);
        if (!output) {
            continue;  // the run fails on it with its own message
        }
        const std::string key = SameFileKey(*output);
        if (const auto other = input_of.find(key); other != input_of.end() && other->second != i) {
            return Failure("El resultado de \"" + inputs[i] + "\" sería \"" + *output +
                           "\", que es otro archivo de la lista (\"" + inputs[other->second] +
                           "\"): se perdería. Elija otro formato o carpeta de salida, o quite "
                           "uno de los dos archivos.");
        }
        if (const auto [first, added] = output_of.emplace(key, i); !added) {
            return Failure("\"" + inputs[first->second] + "\" y \"" + inputs[i] +
                           "\" darían el mismo archivo de salida, \"" + *output +
                           "\": uno reemplazaría al otro. Elija otra carpeta de salida, o quite "
                           "uno de los dos archivos.");
        }
    }
    return {};
}

bool PrepareBatchOutputFolder(Prompts& prompts, const BatchOutputSettings& settings) {
    if (settings.same_folder) {
        return true;
    }
    const PromptMessage invalid{
        "Sonvara", "Carpeta de salida inválida. Por favor, seleccione una carpeta para guardarla.",
        PromptIcon::kWarning, PromptButtons::kOk};
    if (settings.folder.empty()) {
        prompts.Ask(invalid);
        return false;
    }
    if (IsFolder(settings.folder)) {
        return true;
    }
    struct stat status {};
    if (::stat(settings.folder.c_str(), &status) == 0) {  // there, but not a folder
        prompts.Ask(invalid);
        return false;
    }
    const PromptAnswer create = prompts.Ask(
        {"Sonvara", "La carpeta  \"" + settings.folder + "\" No existe. ¿Desea crear una ahora?",
         PromptIcon::kQuestion, PromptButtons::kYesNo});
    if (create != PromptAnswer::kYes) {
        return false;
    }
    if (!CreateFolders(settings.folder, 0777)) {
        prompts.Ask(
            {"Error", "No se puede crear una carpeta.", PromptIcon::kError, PromptButtons::kOk});
        return false;
    }
    return true;
}

ProcessResult ApplyBatchCommand(LProgressDialog& process, const LBatchCommandItem& item,
                                LCutListAudio& document, double from, double to) {
    const BatchCommandInfo* command = FindBatchCommand(item.id);
    if (command == nullptr) {
        return PROCESS_DONE;
    }
    return command->apply(BatchStep{process, document, from, to}, BatchItemValues(item));
}

SVBatchConverter::SVBatchConverter(std::vector<std::string> files,
                                   std::vector<LBatchCommandItem> items, BatchOutputSettings output)
    : LProgressDialog("Convertidor de Grupo"),
      files_(std::move(files)),
      items_(std::move(items)),
      output_(std::move(output)) {}

ProcessResult SVBatchConverter::Fail(const std::string& file, std::string_view step,
                                     ProcessResult result) {
    failed_file_ = file;
    failed_step_ = step;
    stopped_ = result == PROCESS_STOPPED;
    return PROCESS_FAILED;  // a cancel inside a file fails the run as well
}

ProcessResult SVBatchConverter::Body() {
    failed_file_.clear();
    failed_step_.clear();
    stopped_ = false;
    outputs_.clear();
    streamed_files_ = 0;
    if (const Result<void> check = CheckBatchOutputs(files_, output_); !check) {
        ShowError(check.Message());
        return Fail(files_.front(), "salida", PROCESS_FAILED);
    }
    const bool streams = streaming_ && BatchListStreams(items_);
    const double files = static_cast<double>(std::max<std::size_t>(files_.size(), 1));
    for (std::size_t f = 0; f < files_.size(); ++f) {
        const std::string& input = files_[f];
        const double from = static_cast<double>(f) / files;
        const double to = static_cast<double>(f + 1) / files;
        const std::optional<std::string> output = BatchOutputPath(input, output_);
        if (!output) {
            return Fail(input, "formato de salida", PROCESS_FAILED);
        }
        std::string step;
        bool fall_back = !streams;
        ProcessResult result = PROCESS_FAILED;
        if (streams) {
            result = Streamed(input, *output, from, to, step, fall_back);
            streamed_files_ += fall_back ? 0 : 1;
        }
        if (fall_back) {
            result = ThroughDocument(input, *output, from, to, step);
        }
        if (result != PROCESS_DONE) {
            return Fail(input, step, result);
        }
        outputs_.push_back(*output);
    }
    return PROCESS_DONE;
}

ProcessResult SVBatchConverter::ThroughDocument(const std::string& input, const std::string& output,
                                                double from, double to, std::string& step) {
    const double steps = static_cast<double>(items_.size() + 2);
    auto share = [&](double done) { return from + (to - from) * done / steps; };
    LCutListAudio document;
    SVLoadFile load(input, document, false);
    if (const ProcessResult result = RunStep(load, share(0), share(1)); result != PROCESS_DONE) {
        step = "cargar";
        return result;
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const BatchCommandInfo* command = FindBatchCommand(items_[i].id);
        if (command == nullptr) {
            continue;  // an unknown command is skipped
        }
        const double first = static_cast<double>(i + 1);
        const ProcessResult result =
            ApplyBatchCommand(*this, items_[i], document, share(first), share(first + 1));
        if (result != PROCESS_DONE) {
            step = command->name;
            return result;
        }
    }
    StoredFormatPrompts stored(Host()->prompts);
    LSVSaveToSink save(document, output,
                       output_.same_format ? SaveMode::kPlain : SaveMode::kNewName);
    save.SetOptions(SaveOptionsFor(input));
    if (const ProcessResult result = RunStep(save, share(steps - 1), share(steps), &stored);
        result != PROCESS_DONE) {
        step = "guardar";
        return result;
    }
    return PROCESS_DONE;
}

ProcessResult SVBatchConverter::Streamed(const std::string& input, const std::string& output,
                                         double from, double to, std::string& step,
                                         bool& fall_back) {
    fall_back = false;
    DecodedFile decoded;
    LSoundSourceRef source;
    if (const ProcessResult opened = OpenInputSource(*this, input, false, decoded, source);
        opened != PROCESS_DONE) {
        step = "cargar";
        return opened;
    }
    if (source->GetMaxSample() > FULL_SCALE) {
        // A reader that may pass full scale is limited as it is loaded into a document.
        fall_back = true;
        return PROCESS_FAILED;
    }
    // A first pass opens the input again (its decoded copy, when a decoder made one) and takes
    // half of what is left of the file's share of the bar; the save takes the rest.
    const std::string read_path = decoded.WavePath().empty() ? input : decoded.WavePath();
    double pass_from = from;
    HeldPrompts held(Host()->prompts);
    BatchStream stream(
        source, [read_path] { return OpenSourceForLoad(read_path, ReadRawFileSettings()); },
        [&](LProgressDialog& pass) {
            const double pass_to = (pass_from + to) / 2;
            return RunStep(pass, std::exchange(pass_from, pass_to), pass_to, &held);
        });
    source = LSoundSourceRef();
    for (const LBatchCommandItem& item : items_) {
        const BatchCommandInfo* command = FindBatchCommand(item.id);
        if (command != nullptr && !command->stream(stream, BatchItemValues(item))) {
            if (stream.PassResult() == PROCESS_STOPPED) {
                step = command->name;
                return PROCESS_STOPPED;
            }
            // The document runs the command again and says why it fails (or does not fail,
            // when a first pass failed because the input's length moved under it).
            fall_back = true;
            return PROCESS_FAILED;
        }
    }
    held.Release();
    if (FileKindOf(output) == FileKind::kRaw &&
        ReadRawFileSettings().encoding == static_cast<int>(RawEncoding::kDialogicAdpcm)) {
        // VOX files are mono: the save makes a stereo document mono first.
        stream.Convert(stream.Source()->GetSampleRate(), 1);
    }
    StoredFormatPrompts stored(Host()->prompts);
    LSVSaveSource save(stream.ForSave(), output,
                       output_.same_format ? SaveMode::kPlain : SaveMode::kNewName,
                       SaveOptionsFor(input));
    const ProcessResult result = RunStep(save, pass_from, to, &stored);
    if (result == PROCESS_FAILED && stream.LengthChanged()) {
        fall_back = true;
    }
    step = "guardar";
    return result;
}

SaveOptions SVBatchConverter::SaveOptionsFor(const std::string& input) const {
    // The input's sample width and tags, where the output's format holds them.
    return {input, {}, ReadFileTags(input), before_replace_};
}

bool BatchListStreams(const std::vector<LBatchCommandItem>& items) {
    return std::ranges::all_of(items, [](const LBatchCommandItem& item) {
        const BatchCommandInfo* command = FindBatchCommand(item.id);
        return command == nullptr || command->stream != nullptr;
    });
}

}  // namespace sonvara
