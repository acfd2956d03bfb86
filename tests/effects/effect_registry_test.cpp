// The registry of effects: every built-in entry is there once with what its users need, values
// typed as text read back as they were written, each entry's generic check and conversions agree
// with its typed parameters, and effects described only at run time join the registry.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>

#include "core/settings.h"
#include "effects/registry/built_in_effects.h"
#include "effects/registry/effect_registry.h"

namespace sonvara {
namespace {

TEST(EffectRegistry, EveryBuiltInEffectIsListedOnceWithWhatItsUsersNeed) {
    const EffectRegistry& registry = Effects();
    ASSERT_EQ(registry.All().size(), BuiltInEffects().size());
    std::set<std::string> ids;
    std::set<int> commands;
    std::set<std::uint32_t> batch_ids;
    for (const EffectEntry& effect : registry.All()) {
        SCOPED_TRACE(effect.id);
        EXPECT_TRUE(ids.insert(effect.id).second);
        EXPECT_TRUE(commands.insert(effect.menu.command).second);
        EXPECT_FALSE(effect.names.menu.empty());
        EXPECT_FALSE(effect.names.undo.empty());
        EXPECT_TRUE(effect.apply);
        EXPECT_EQ(registry.Find(effect.id), &effect);
        EXPECT_EQ(registry.FindByCommand(effect.menu.command), &effect);
        if (effect.batch_id) {
            EXPECT_TRUE(batch_ids.insert(*effect.batch_id).second);
            EXPECT_EQ(registry.FindByBatchId(*effect.batch_id), &effect);
            EXPECT_FALSE(effect.names.batch.empty());
        }
        // A dialog of fields has fields to show and a preview to play; the dialog order names
        // each field once.
        if (effect.dialog == EffectDialog::kFields) {
            EXPECT_FALSE(effect.fields.empty());
            EXPECT_TRUE(effect.preview);
            EXPECT_FALSE(effect.dialog_name.empty());
        }
        if (!effect.dialog_order.empty()) {
            EXPECT_EQ(std::set<std::size_t>(effect.dialog_order.begin(), effect.dialog_order.end())
                          .size(),
                      effect.fields.size());
        }
        EXPECT_EQ(effect.dialog == EffectDialog::kNone, effect.fields.empty());
    }
    // The batch converter's effect commands: 3 to 15, and 18 after its conversions (16, 17).
    EXPECT_EQ(batch_ids,
              (std::set<std::uint32_t>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 18}));
    EXPECT_EQ(registry.Find("wobble"), nullptr);
    EXPECT_EQ(registry.FindByBatchId(16), nullptr);
}

// Any value a field's batch width holds is written as text and read back; a choice is written as
// its text. Bad texts are refused naming the field.
TEST(EffectRegistry, TypedValuesReadBackAsWritten) {
    std::mt19937 random(11);
    for (const EffectEntry& effect : Effects().All()) {
        for (const EffectField& field : effect.fields) {
            if (field.IsPoints()) {
                continue;
            }
            std::uniform_int_distribution<std::int64_t> any(WidthLowest(field.width),
                                                            WidthHighest(field.width));
            for (int i = 0; i < 200; ++i) {
                const auto value = static_cast<int>(
                    i < 2 ? (i == 0 ? WidthLowest(field.width) : WidthHighest(field.width))
                          : any(random));
                const std::string text = FieldValueText(field, value);
                const Result<int> read = ParseFieldValue(field, text);
                ASSERT_TRUE(read) << effect.id << " " << text << ": " << read.Message();
                EXPECT_EQ(*read, value) << effect.id << " " << text;
            }
            for (const char* bad : {"", "x", "1.5", "12 ms%", "99999999999"}) {
                const Result<int> read = ParseFieldValue(field, bad);
                EXPECT_FALSE(read) << effect.id << " " << bad;
                EXPECT_NE(read.Message().find(field.batch_label), std::string::npos) << bad;
            }
        }
    }
    const EffectEntry& echo = *Effects().Find("echo");
    EXPECT_EQ(*ParseFieldValue(echo.fields[0], " 800 MS "), 800);
    EXPECT_EQ(*ParseFieldValue(echo.fields[1], "+50"), 50);
    EXPECT_EQ(FieldValueText(Effects().Find("compressor")->fields[1], 2), "2:1");
}

// Each entry's generic check reads the values in its layout's order, so a value refused by the
// typed check is refused by the entry with the same message, and the conversions to and from
// the typed parameters keep every field.
TEST(EffectRegistry, GenericChecksAndConversionsAgreeWithTheTypedParameters) {
    struct Case {
        const char* id;
        std::vector<int> numbers;
        Result<void> typed;
    };
    const std::vector<Case> cases = {
        {"echo", {5, 50}, Check(EchoParameters{.time_ms = 5, .gain_percent = 50})},
        {"echo", {800, 100}, Check(EchoParameters{.time_ms = 800, .gain_percent = 100})},
        {"echo", {800, 50}, {}},
        {"reverb", {49, 100}, Check(ReverbParameters{.time_ms = 49, .level_percent = 100})},
        {"reverb", {1000, 101}, Check(ReverbParameters{.time_ms = 1000, .level_percent = 101})},
        {"amplify", {401}, Check(AmplifyParameters{.gain_percent = 401})},
        {"normalize", {101}, Check(NormalizeParameters{.peak_percent = 101})},
        {"compressor", {0, 7, 0}, Check(CompressorParameters{0, 7, 0})},
        {"compressor", {-20, 6, 0}, {}},
        {"speed", {301}, Check(SpeedPitchParameters{301, 0})},
        {"pitch", {300}, {}},
        {"high-pass", {-5}, {}},
    };
    for (const Case& c : cases) {
        EffectValues values;
        values.numbers = c.numbers;
        const Result<void> generic = Effects().Find(c.id)->Check(values);
        EXPECT_EQ(generic.Ok(), c.typed.Ok()) << c.id;
        EXPECT_EQ(generic.Message(), c.typed.Message()) << c.id;
    }
    std::mt19937 random(5);
    std::uniform_int_distribution<int> any(-100000, 100000);
    for (int i = 0; i < 100; ++i) {
        const CompressorParameters compressor{any(random), any(random), any(random)};
        const CompressorParameters back =
            FromValues(kCompressorStored, ToValues(kCompressorStored, compressor));
        EXPECT_EQ(back.threshold_db, compressor.threshold_db);
        EXPECT_EQ(back.ratio_index, compressor.ratio_index);
        EXPECT_EQ(back.limit_db, compressor.limit_db);
        const ReverbParameters reverb{any(random), any(random)};
        const EffectValues reverb_values = ToValues(kReverbStored, reverb);
        EXPECT_EQ(reverb_values.numbers, (std::vector<int>{reverb.time_ms, reverb.level_percent}));
        EXPECT_EQ(FromValues(kReverbStored, reverb_values).level_percent, reverb.level_percent);
    }
}

// The stored values are the dialogs' and the scripts' fallbacks; the pitch change's scripts have
// always fallen back on 100 where its dialog starts from 0.
TEST(EffectRegistry, StoredValuesAreReadAndWrittenUnderTheFieldsKeys) {
    const std::shared_ptr<SettingsStore> previous = UseSettingsStore(nullptr);
    const EffectEntry& echo = *Effects().Find("echo");
    EXPECT_EQ(ReadStoredValues(echo.fields).numbers, (std::vector<int>{800, 50}));
    EffectValues values;
    values.numbers = {120, 30};
    ASSERT_TRUE(WriteStoredValues(echo.fields, values));
    EXPECT_EQ(ReadInt("StoredValues", "EchoTime", 0), 120);
    EXPECT_EQ(ReadInt("StoredValues", "EchoGain", 0), 30);
    EXPECT_EQ(ReadStoredValues(echo.fields), values);

    const EffectEntry& pitch = *Effects().Find("pitch");
    EXPECT_EQ(ReadStoredValues(pitch.fields).numbers, std::vector<int>{0});
    EXPECT_EQ(ReadStoredValues(pitch.fields, true).numbers, std::vector<int>{100});
    UseSettingsStore(previous);
}

// An effect known only at run time is all data: its fields, its check and its work.
TEST(EffectRegistry, EffectsDescribedAtRunTimeJoinTheRegistry) {
    EffectRegistry registry;
    EffectEntry plugin{
        .id = "plugin-gain",
        .names = {"Ganancia (complemento)...", "Ganancia (complemento)", ""},
        .fields = {{.setting = {"Plugins/gain", "Gain", 3},
                    .width = ValueWidth::kInt32,
                    .unit = ValueUnit::kDecibels,
                    .lowest = -20,
                    .highest = 20,
                    .label = "Ganancia (dB)",
                    .batch_label = "ganancia (dB)",
                    .listed = "Ganancia (dB)"}},
        .check = [](const EffectValues& v) -> Result<void> {
            if (v.numbers.at(0) > 20) {
                return Failure("demasiado");
            }
            return {};
        },
        .apply = [](const ProcessRunner&, LCutListAudio&, FrameRange&,
                    const EffectValues&) { return PROCESS_DONE; },
        .dialog = EffectDialog::kFields,
        .menu = {EffectGroup::kVolume, true, 4100},
    };
    ASSERT_TRUE(registry.Add(plugin));
    EffectEntry same_id = plugin;
    same_id.menu.command = 4101;
    EXPECT_FALSE(registry.Add(same_id));
    EffectEntry same_command = plugin;
    same_command.id = "other";
    EXPECT_FALSE(registry.Add(same_command));
    ASSERT_EQ(registry.All().size(), 1u);

    const EffectEntry* found = registry.FindByCommand(4100);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*ParseFieldValue(found->fields[0], "-6dB"), -6);
    EffectValues values;
    values.numbers = {21};
    EXPECT_EQ(found->Check(values).Message(), "demasiado");
    EXPECT_EQ(ListedValues(found->fields, ReadStoredValues(found->fields), true),
              "Ganancia (dB) = 3");
}

}  // namespace
}  // namespace sonvara
