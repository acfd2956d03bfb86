// The batch converter: script files, command items and their stored fallbacks, and runs over
// several files.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "audio/wav/wave_file.h"
#include "batch/batch_command.h"
#include "batch/batch_converter.h"
#include "batch/batch_script.h"
#include "core/settings.h"
#include "formats/format_table.h"
#include "formats/load_save.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/run_process.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

class BatchTest : public testing::DocumentTest {
  protected:
    BatchTest() : previous_store_(UseSettingsStore(nullptr)) {}
    ~BatchTest() override { UseSettingsStore(previous_store_); }

    // A 16-bit mono WAV of `frames` frames at a constant `level`.
    std::string Wave(const std::string& name, std::int32_t frames, Sample level = 0x40000) {
        const std::string path = scratch_.File(name);
        std::vector<Sample> samples(static_cast<std::size_t>(frames), level);
        LSoundSinkRef sink = LWaveFile::OpenSinkPCM(path, 8000, 0, 16, 1);
        sink->Write(samples.data(), frames);
        EXPECT_TRUE(sink->Finish());
        return path;
    }

    static std::vector<Sample> Samples(const std::string& path) {
        LCutListAudio document;
        SVLoadFile load(path, document, false);
        EXPECT_EQ(testing::RunProcess(load), PROCESS_DONE) << path;
        return ReadList(document);
    }

    static LBatchCommandItem Item(std::uint32_t id, const std::vector<int>& numbers) {
        return MakeBatchItem(*FindBatchCommand(id), numbers);
    }

    ProcessResult Run(SVBatchConverter& converter, ProgressView* view = nullptr) {
        return testing::RunProcess(converter, view, &prompts_);
    }

    testing::ScriptedPrompts prompts_;

  private:
    std::shared_ptr<SettingsStore> previous_store_;
};

TEST_F(BatchTest, ScriptsReadBackAsWrittenAndStopAtAShortSizeField) {
    const std::vector<LBatchCommandItem> items = {
        Item(kBatchEcho, {800, 50}), Item(kBatchAutoTrim, {}), {99, {1, 2, 3}}};
    const std::string path = scratch_.File("list.svb");
    ASSERT_TRUE(WriteBatchScript(path, items));
    BatchScriptRead read = ReadBatchScript(path);
    EXPECT_TRUE(read.error.empty());
    EXPECT_EQ(read.items, items);

    EXPECT_TRUE(ParseBatchScript({0}).items.empty());  // the version byte alone
    EXPECT_TRUE(ParseBatchScript({0}).error.empty());
    EXPECT_EQ(ParseBatchScript({1}).error, kBatchScriptVersionMessage);
    EXPECT_EQ(ParseBatchScript({}).error, kBatchScriptVersionMessage);

    std::vector<std::uint8_t> bytes = SerializeBatchScript(items);
    // A size field cut short ends the list; a data block cut short keeps what is there, and a
    // size larger than the file allocates nothing beyond it.
    bytes.push_back(3);
    EXPECT_EQ(ParseBatchScript(bytes).items.size(), 3u);
    std::vector<std::uint8_t> huge = {0, 4, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 7, 7};
    read = ParseBatchScript(huge);
    ASSERT_EQ(read.items.size(), 1u);
    EXPECT_EQ(read.items[0].data, (std::vector<std::uint8_t>{7, 7}));
    EXPECT_EQ(ReadBatchScript(scratch_.File("missing.svb")).error, kBatchScriptOpenMessage);
}

TEST_F(BatchTest, ItemsWithoutFullDataUseTheStoredValues) {
    WriteInt("StoredValues", "EchoTime", 1200);
    WriteInt("StoredValues", "ReverbTime", 300);
    const LBatchCommandItem echo = Item(kBatchEcho, {640, -20});
    EXPECT_EQ(BatchItemValues(echo).numbers, (std::vector<int>{640, -20}));
    EXPECT_EQ(BatchItemDescription(echo),
              " Tiempo de Eco (mins.) = 640, Ganancia de Eco (%) = -20");
    const LBatchCommandItem short_echo{kBatchEcho, {1, 2, 3, 4, 5}};  // 5 of 6 bytes
    EXPECT_EQ(BatchItemValues(short_echo).numbers, (std::vector<int>{1200, 50}));
    // The list shows 50 as the level of a reverb without data, whatever is stored.
    EXPECT_EQ(BatchItemDescription({kBatchReverb, {}}),
              "Tiempo de la Reverberancia (mins.) = 300, Nivel de Reverberancia (%) = 50");
    EXPECT_EQ(BatchItemValues({kBatchReverb, {}}).numbers, (std::vector<int>{300, 100}));
    EXPECT_EQ(BatchItemValues({kBatchConstantSpeed, {}}).numbers, std::vector<int>{100});
    EXPECT_EQ(BatchItemDescription(Item(kBatchCompressor, {-20, 2, -3})),
              "Umbral (db) = -20, Ratio = 2:1, Límite (db) = -3");
    EXPECT_EQ(BatchItemDescription({kBatchAutoGain, {}}), "");
    // Longer data is accepted; its first bytes count.
    LBatchCommandItem longer = Item(kBatchAmplify, {250});
    longer.data.push_back(9);
    EXPECT_EQ(BatchItemValues(longer).numbers, std::vector<int>{250});
}

// The editor's rate dialog kept its rate under "StoreValues", where the rate command never looked.
// Both use "StoredValues" now; a rate found only in the old place is taken from there, once.
TEST_F(BatchTest, ARateCommandWithoutDataTakesTheEditorsLastRate) {
    WriteInt("StoreValues", "ConvertSampleRate", 22050);
    EXPECT_EQ(BatchItemValues({kBatchConvertRate, {}}).numbers, std::vector<int>{22050});
    EXPECT_EQ(ReadInt("StoredValues", "ConvertSampleRate", 0), 22050);
    WriteInt("StoredValues", "ConvertSampleRate", 16000);
    EXPECT_EQ(BatchItemValues({kBatchConvertRate, {}}).numbers, std::vector<int>{16000});
}

TEST_F(BatchTest, ValuesAreCheckedAsTheDialogsCheckThem) {
    EXPECT_TRUE(CheckBatchValues(*FindBatchCommand(kBatchEcho), {800, 50}));
    EXPECT_EQ(CheckBatchValues(*FindBatchCommand(kBatchEcho), {5, 200}).Message(),
              "El tiempo de Eco debe ser entre 10 y 3000ms. Por favor, intente de nuevo .");
    EXPECT_EQ(CheckBatchValues(*FindBatchCommand(kBatchAmplify), {401}).Message(),
              "La Ganancia Amplificada debe ser menor que 400%. Por favor, intente de nuevo.");
    EXPECT_FALSE(CheckBatchValues(*FindBatchCommand(kBatchAmplify), {40000}));  // not an int16
    EXPECT_FALSE(CheckBatchValues(*FindBatchCommand(kBatchAmplify), {}));
    EXPECT_FALSE(CheckBatchValues(*FindBatchCommand(kBatchCompressor), {0, 7, 0}));
    EXPECT_EQ(FindBatchCommand("Normalizador"), FindBatchCommand(kBatchNormalize));
    EXPECT_EQ(FindBatchCommand("7"), FindBatchCommand(kBatchEcho));
    EXPECT_EQ(FindBatchCommand("20"), nullptr);
    EXPECT_FALSE(CheckBatchValues(*FindBatchCommand("18"), {-3, -1}));  // louder than -5 LUFS
}

TEST_F(BatchTest, ScriptValuesGoThroughTheChecksOfTypedValues) {
    const BatchCommandInfo& silence = *FindBatchCommand(kBatchSilenceAtEnd);
    for (int ms : {-1, kLongestSilenceMs + 1, 2147483647}) {
        EXPECT_FALSE(CheckBatchValues(silence, {ms})) << ms;
    }
    EXPECT_TRUE(CheckBatchValues(silence, {0}));
    EXPECT_TRUE(CheckBatchValues(silence, {kLongestSilenceMs}));

    // The first refused item names the script, its place, its command and its values; items
    // without their whole data run with the stored values and are not refused here.
    const std::vector<LBatchCommandItem> good = {Item(kBatchAmplify, {50}), {kBatchEcho, {1}}};
    EXPECT_TRUE(CheckBatchScript("good.svb", good));
    // 13 bytes on disk: the version, the id, the size and 2147483647 ms.
    const std::vector<std::uint8_t> bytes = {0, 1, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F};
    std::vector<LBatchCommandItem> items = ParseBatchScript(bytes).items;
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(CheckBatchScript("s.svb", items).Message(),
              "s.svb: orden 1, \"Insertar Silencio al comienzo\" (tiempo (ms) = 2147483647): El "
              "tiempo de Silencio debe ser entre 0 y 10800000ms (3 horas). Por favor, intente de "
              "nuevo.");
    items = {Item(kBatchAmplify, {50}), Item(kBatchEcho, {5, 200})};
    EXPECT_EQ(CheckBatchScript("e.svb", items).Message(),
              "e.svb: orden 2, \"Eco\" (tiempo (ms) = 5, ganancia (%) = 200): El tiempo de Eco "
              "debe ser entre 10 y 3000ms. Por favor, intente de nuevo .");
}

// An LV2 plug-in's item keeps its URI and values as text: a saved list runs them wherever the
// plug-in is installed and is refused, naming it, where it is not.
TEST_F(BatchTest, APluginItemKeepsItsUriAndValuesAndNamesAMissingPlugin) {
    const Result<LBatchCommandItem> amp =
        ParseBatchCommand("lv2:http://plugin.org.uk/swh-plugins/amp:gain=-6.0206");
    ASSERT_TRUE(amp) << amp.Message();
    EXPECT_EQ(BatchCommandText(*amp), "19:http://plugin.org.uk/swh-plugins/amp:gain=-6.0206");
    const std::vector<LBatchCommandItem> saved =
        ParseBatchScript(SerializeBatchScript({*amp, Item(kBatchAmplify, {50})})).items;
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0], *amp);
    EXPECT_TRUE(CheckBatchScript("amp.svb", saved));
    // The list shows the plug-in by name with the values that differ from its defaults.
    EXPECT_EQ(BatchItemDescription(*amp), "Simple amplifier: gain=-6.0206");
    EXPECT_EQ(
        BatchItemDescription(*ParseBatchCommand("19:http://plugin.org.uk/swh-plugins/amp:gain=0")),
        "Simple amplifier: valores por defecto");

    const std::string input = Wave("in.wav", 3000);
    const std::vector<Sample> before = Samples(input);
    SVBatchConverter converter({input}, saved, BatchOutputSettings{});
    ASSERT_EQ(Run(converter), PROCESS_DONE) << converter.FailedStep();
    const std::vector<Sample> after = Samples(input);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        ASSERT_NEAR(after[i], before[i] / 4, 16) << i;  // half, then half again
    }

    const LBatchCommandItem missing{kBatchPlugin, {'u', 'r', 'n', ':', 'g', 'o', 'n', 'e'}};
    EXPECT_EQ(CheckBatchScript("gone.svb", {Item(kBatchAmplify, {50}), missing}).Message(),
              "gone.svb: orden 2, \"Complemento LV2\": El complemento LV2 \"urn:gone\" no está "
              "instalado en este equipo.");
    EXPECT_EQ(ParseBatchCommand("19:urn:gone").Message(),
              "El complemento LV2 \"urn:gone\" no está instalado en este equipo.");
    // A list that was not checked fails at the item, saying why, the file as it was.
    SVBatchConverter unchecked({input}, {missing}, BatchOutputSettings{});
    EXPECT_EQ(Run(unchecked), PROCESS_FAILED);
    EXPECT_EQ(unchecked.FailedStep(), "Complemento LV2");
    ASSERT_FALSE(prompts_.Asked().empty());
    EXPECT_EQ(prompts_.Asked().back().text,
              "El complemento LV2 \"urn:gone\" no está instalado en este equipo.");
    EXPECT_EQ(Samples(input), after);
}

TEST_F(BatchTest, SameFormatAndFolderOverwritesEveryFile) {
    const std::string a = Wave("a.wav", 4000), b = Wave("b.wav", 6000);
    SVBatchConverter converter({a, b}, {Item(kBatchAmplify, {50}), {77, {}}},
                               BatchOutputSettings{});
    ASSERT_EQ(Run(converter), PROCESS_DONE);
    EXPECT_EQ(converter.Outputs(), (std::vector<std::string>{a, b}));
    for (const std::string& path : {a, b}) {
        const std::vector<Sample> samples = Samples(path);
        ASSERT_FALSE(samples.empty());
        EXPECT_TRUE(std::all_of(samples.begin(), samples.end(),
                                [](Sample s) { return std::abs(s - 0x20000) <= 16; }));
    }
}

TEST_F(BatchTest, AnEmptyListOnlyConvertsAndShortDataRunsWithStoredValues) {
    const std::string input = Wave("in.wav", 3000);
    const std::string out_folder = scratch_.File("out");
    std::filesystem::create_directory(out_folder);
    BatchOutputSettings output{false, 6, false, out_folder};  // ".au" in another folder
    SVBatchConverter convert_only({input}, {}, output);
    ASSERT_EQ(Run(convert_only), PROCESS_DONE);
    EXPECT_EQ(Samples(out_folder + "/in.au"), Samples(input));

    WriteInt("StoredValues", "AmplifyGain", 200);
    SVBatchConverter stored({input}, {{kBatchAmplify, {1}}}, output);
    ASSERT_EQ(Run(stored), PROCESS_DONE);
    const std::vector<Sample> doubled = Samples(out_folder + "/in.au");
    EXPECT_NEAR(doubled[100], 2 * 0x40000, 32);
}

// Each command reads its values in its layout's order: the echo's time, then its gain; the
// silence goes where the command's name says.
TEST_F(BatchTest, ScriptValuesReachTheirCommandsInLayoutOrder) {
    const std::string input = Wave("in.wav", 2000);
    const std::string out_folder = scratch_.File("out");
    std::filesystem::create_directory(out_folder);
    const BatchOutputSettings output{true, 0, false, out_folder};
    auto run = [&](const LBatchCommandItem& item) {
        SVBatchConverter converter({input}, {item}, output);
        EXPECT_EQ(Run(converter), PROCESS_DONE);
        return Samples(out_folder + "/in.wav");
    };

    const std::vector<Sample> echoed = run(Item(kBatchEcho, {100, 50}));  // 800 frames at 8 kHz
    ASSERT_EQ(echoed.size(), 2000u);
    EXPECT_NEAR(echoed[799], 0x40000, 16);
    EXPECT_NEAR(echoed[800], 0x60000, 16);

    const std::vector<Sample> at_start = run(Item(kBatchSilenceAtStart, {100}));
    const std::vector<Sample> at_end = run(Item(kBatchSilenceAtEnd, {100}));
    ASSERT_EQ(at_start.size(), 2800u);
    ASSERT_EQ(at_end.size(), 2800u);
    EXPECT_EQ(at_start[799], 0);
    EXPECT_NEAR(at_start[800], 0x40000, 16);
    EXPECT_NEAR(at_end[1999], 0x40000, 16);
    EXPECT_EQ(at_end[2000], 0);
}

TEST_F(BatchTest, AFailureStopsTheRunAtItsFile) {
    const std::string a = Wave("a.wav", 3000), c = Wave("c.wav", 3000);
    const std::string missing = scratch_.File("b.wav");
    const std::vector<Sample> c_before = Samples(c);
    SVBatchConverter converter({a, missing, c}, {Item(kBatchAmplify, {50})}, BatchOutputSettings{});
    EXPECT_EQ(Run(converter), PROCESS_FAILED);
    EXPECT_EQ(converter.FailedFile(), missing);
    EXPECT_EQ(converter.FailedStep(), "cargar");
    EXPECT_EQ(converter.Outputs(), std::vector<std::string>{a});
    EXPECT_EQ(Samples(c), c_before);

    // A command refusing its values fails the file as well; a cancel fails it and says so.
    SVBatchConverter refused({c}, {{kBatchEcho, {5, 0, 0, 0, 50, 0}}}, BatchOutputSettings{});
    EXPECT_EQ(Run(refused), PROCESS_FAILED);
    EXPECT_EQ(refused.FailedStep(), "Eco");
    EXPECT_FALSE(refused.Stopped());
    const std::string long_file = Wave("long.wav", 40000);  // several blocks to cancel in
    const std::vector<Sample> long_before = Samples(long_file);
    testing::CancelAfter cancel(2);
    SVBatchConverter cancelled({long_file}, {Item(kBatchReverb, {1000, 100})},
                               BatchOutputSettings{});
    EXPECT_EQ(Run(cancelled, &cancel), PROCESS_FAILED);
    EXPECT_TRUE(cancelled.Stopped());
    EXPECT_EQ(Samples(long_file), long_before);
    // As does a cancel in a streamed loudness gain's first pass.
    testing::CancelAfter cancel_measure(2);
    SVBatchConverter measured({long_file}, {Item(kBatchLoudness, {-16, -1})},
                              BatchOutputSettings{});
    EXPECT_EQ(Run(measured, &cancel_measure), PROCESS_FAILED);
    EXPECT_TRUE(measured.Stopped());
    EXPECT_EQ(measured.FailedStep(), "Normalizar Sonoridad");
    EXPECT_EQ(Samples(long_file), long_before);

    // An output format outside the list ends the run before the file is touched.
    SVBatchConverter bad_format(
        {c}, {},
        BatchOutputSettings{false, static_cast<int>(WrittenExtensions().size()), true, ""});
    EXPECT_EQ(Run(bad_format), PROCESS_FAILED);
    EXPECT_EQ(bad_format.FailedStep(), "formato de salida");
}

TEST_F(BatchTest, TheOutputFolderIsCreatedOnlyWhenTheUserAgrees) {
    const std::string folder = scratch_.File("new/deeper");
    prompts_.QueueAnswer(PromptAnswer::kNo);
    EXPECT_FALSE(PrepareBatchOutputFolder(prompts_, {true, 0, false, folder}));
    EXPECT_FALSE(std::filesystem::exists(folder));
    prompts_.QueueAnswer(PromptAnswer::kYes);
    EXPECT_TRUE(PrepareBatchOutputFolder(prompts_, {true, 0, false, folder}));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_FALSE(PrepareBatchOutputFolder(prompts_, {true, 0, false, ""}));
    ASSERT_EQ(prompts_.Asked().size(), 3u);
    EXPECT_EQ(prompts_.Asked()[0].text,
              "La carpeta  \"" + folder + "\" No existe. ¿Desea crear una ahora?");
    EXPECT_EQ(prompts_.Asked()[2].text,
              "Carpeta de salida inválida. Por favor, seleccione una carpeta para guardarla.");
    EXPECT_TRUE(PrepareBatchOutputFolder(prompts_, {true, 0, true, ""}));  // the inputs' folders
}

}  // namespace
}  // namespace sonvara
