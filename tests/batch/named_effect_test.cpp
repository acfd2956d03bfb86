// Effects named by text: every effect reads back from its own text, typed values land on the
// bytes the editor's graphs give them, and bad texts are refused with a message that says why.

#include <gtest/gtest.h>

#include <random>

#include "batch/named_effect.h"
#include "effects/envelope.h"
#include "effects/registry/effect_registry.h"

namespace sonvara {
namespace {

// A random effect of every kind the parser makes, with values anywhere in their ranges.
NamedEffect RandomEffect(std::mt19937& random) {
    auto below = [&](std::int64_t n) {
        return std::uniform_int_distribution<std::int64_t>(0, n - 1)(random);
    };
    auto time = [&] {
        return below(2) != 0 ? EffectTime{true, below(10001)}
                             : EffectTime{false, below(std::int64_t{1} << 31)};
    };
    NamedEffect effect;
    if (below(9) == 8) {
        // A registered effect with values: any its fields' widths hold that its check accepts.
        std::vector<const EffectEntry*> typed;
        for (const EffectEntry& entry : Effects().All()) {
            if (!entry.fields.empty() && !entry.fields[0].IsPoints()) {
                typed.push_back(&entry);
            }
        }
        const EffectEntry& entry =
            *typed[static_cast<std::size_t>(below(static_cast<std::int64_t>(typed.size())))];
        effect.kind = NamedEffectKind::kRegistered;
        effect.effect = entry.id;
        do {
            effect.values.numbers.clear();
            for (const EffectField& field : entry.fields) {
                const std::int64_t lowest = std::max<std::int64_t>(WidthLowest(field.width), -3000);
                effect.values.numbers.push_back(static_cast<int>(
                    lowest +
                    below(std::min<std::int64_t>(WidthHighest(field.width), 3000) - lowest + 1)));
            }
        } while (!entry.Check(effect.values));
        return effect;
    }
    effect.kind = static_cast<NamedEffectKind>(below(8));
    const std::size_t points = static_cast<std::size_t>(2 + below(63));
    switch (effect.kind) {
        case NamedEffectKind::kFadeIn:
        case NamedEffectKind::kFadeOut:
            effect.times.resize(static_cast<std::size_t>(below(2)));
            break;
        case NamedEffectKind::kFadeOutAndTrim:
            effect.times.resize(2);
            break;
        case NamedEffectKind::kSilence:
            effect.times.resize(static_cast<std::size_t>(2 * below(2)));
            break;
        case NamedEffectKind::kEqualizer:
            for (std::size_t i = 0; i < points; ++i) {
                effect.equalizer.push_back(
                    {static_cast<std::uint8_t>(below(256)), static_cast<std::uint8_t>(below(256))});
            }
            std::sort(effect.equalizer.begin(), effect.equalizer.end(),
                      [](auto a, auto b) { return a.x < b.x; });
            break;
        case NamedEffectKind::kEnvelope: {
            for (std::size_t i = 0; i < points; ++i) {
                effect.envelope.push_back({time(), static_cast<std::uint8_t>(below(256))});
            }
            // Each kind of time in order; the two kinds interleave freely.
            std::vector<std::int64_t> amounts[2];
            for (const EnvelopeTextPoint& point : effect.envelope) {
                amounts[point.at.percent].push_back(point.at.amount);
            }
            std::sort(amounts[0].begin(), amounts[0].end(), std::greater<>());
            std::sort(amounts[1].begin(), amounts[1].end(), std::greater<>());
            for (EnvelopeTextPoint& point : effect.envelope) {
                point.at.amount = amounts[point.at.percent].back();
                amounts[point.at.percent].pop_back();
            }
            break;
        }
        default:
            break;
    }
    for (EffectTime& t : effect.times) {
        t = time();
    }
    return effect;
}

TEST(NamedEffectTest, EveryEffectReadsBackFromItsText) {
    std::mt19937 random(24);
    for (int i = 0; i < 3000; ++i) {
        const NamedEffect effect = RandomEffect(random);
        const std::string text = NamedEffectText(effect);
        const Result<NamedEffect> read = ParseNamedEffect(text);
        ASSERT_TRUE(read) << text << ": " << read.Message();
        ASSERT_EQ(*read, effect) << text;
    }
    for (const char* command : {"Eco:800,50", "3", "Compresor de Rango Dinámico:-20,2,0"}) {
        const Result<NamedEffect> read = ParseNamedEffect(command);
        ASSERT_TRUE(read) << read.Message();
        EXPECT_EQ(read->kind, NamedEffectKind::kBatchCommand);
        const Result<NamedEffect> again = ParseNamedEffect(NamedEffectText(*read));
        ASSERT_TRUE(again) << command;
        EXPECT_EQ(*again, *read) << command;
    }
}

TEST(NamedEffectTest, TypedValuesLandOnTheGraphsBytes) {
    // Every frequency the equalizer graph shows for a point (its truncated read-out) gives
    // that point's x back.
    for (int x = 0; x < 256; ++x) {
        const auto shown = static_cast<int>(x * 78.43137254901961);
        const Result<std::uint8_t> frequency = ParseFrequency(std::to_string(shown));
        ASSERT_TRUE(frequency) << shown;
        EXPECT_EQ(*frequency, x) << shown;
    }
    struct Level {
        const char* text;
        LevelScale scale;
        int y;
    };
    for (const Level& level :
         {Level{"100%", LevelScale::kEqualizer, 128}, Level{"100", LevelScale::kEnvelope, 128},
          Level{"50 %", LevelScale::kEqualizer, 64}, Level{"200%", LevelScale::kEnvelope, 255},
          Level{"199.22%", LevelScale::kEqualizer, 255}, Level{"0dB", LevelScale::kEnvelope, 128},
          Level{"-6dB", LevelScale::kEqualizer, 64}, Level{"+5.98 dB", LevelScale::kEqualizer, 255},
          Level{"-200dB", LevelScale::kEnvelope, 0}}) {
        const Result<std::uint8_t> y = ParseLevel(level.text, level.scale);
        ASSERT_TRUE(y) << level.text;
        EXPECT_EQ(*y, level.y) << level.text;
    }
    struct Time {
        const char* text;
        EffectTime time;
    };
    for (const Time& time :
         {Time{"1.5", {false, 1500}}, Time{" 1.5s ", {false, 1500}}, Time{"250ms", {false, 250}},
          Time{"1:02:03.5", {false, 3723500}}, Time{"90:00", {false, 5400000}},
          Time{"5.", {false, 5000}}, Time{".5S", {false, 500}}, Time{"12.5%", {true, 1250}}}) {
        const Result<EffectTime> read = ParseEffectTime(time.text);
        ASSERT_TRUE(read) << time.text;
        EXPECT_EQ(*read, time.time) << time.text;
    }
}

TEST(NamedEffectTest, EnvelopeTimesTakeThePlacesTheEngineGivesThePoints) {
    // At 1000 Hz a millisecond is a frame: a point typed at the frame where the engine puts x
    // is put there again, whatever the length (shorter than 255 frames too).
    std::mt19937 random(7);
    for (std::int32_t length : {0, 1, 100, 254, 255, 256, 1000, 20000, 123457}) {
        for (int i = 0; i < 200; ++i) {
            const auto x = static_cast<std::uint8_t>(random() % 256);
            const std::int64_t frame = EnvelopePointFrame(length, x);
            const Result<PointList> list =
                EnvelopePointList({{{false, frame}, 128}, {{true, 10000}, 128}}, length, 1000);
            ASSERT_TRUE(list) << list.Message();
            EXPECT_EQ(EnvelopePointFrame(length, list->points[0].x), frame) << length;
        }
    }
    const Result<PointList> past_the_end =
        EnvelopePointList({{{false, 1001}, 0}, {{false, 1002}, 0}}, 1000, 1000);
    EXPECT_FALSE(past_the_end);
    EXPECT_EQ(past_the_end.Message(), "el tiempo 1.001s pasa del final del archivo (0:00:01.000)");
    const Result<PointList> out_of_order =
        EnvelopePointList({{{false, 900}, 0}, {{true, 5000}, 0}}, 1000, 1000);
    EXPECT_FALSE(out_of_order);
    EXPECT_EQ(out_of_order.Message(),
              "los puntos van en orden de tiempo: \"50%\" viene después de \"0.9s\"");
}

TEST(NamedEffectTest, BadTextsAreRefusedSayingWhy) {
    struct Case {
        std::string text;
        std::string problem;
    };
    const std::string points64 = [] {
        std::string text = "equalizer:0:100%";
        for (int i = 0; i < 64; ++i) {
            text += ",20000:100%";
        }
        return text;
    }();
    for (const Case& c : {
             Case{"wobble", "efecto desconocido: \"wobble\" (sonvara-batch --help)"},
             Case{"reverse:", "\"reverse\" se escribe así: reverse"},
             Case{"fade-out-trim:1s",
                  "\"fade-out-trim\" se escribe así: fade-out-trim:FIN,DURACIÓN"},
             Case{"silence:1,2,3", "\"silence\" se escribe así: silence[:DESDE,HASTA]"},
             Case{"equalizer", "\"equalizer\" se escribe así: equalizer:FRECUENCIA:NIVEL,..."},
             Case{"fade-in:",
                  "tiempo no válido: \"\" (segundos: 1.5 o 1.5s; 250ms; 1:30.5; o un "
                  "porcentaje del archivo: 25%)"},
             Case{"fade-in:-1s",
                  "tiempo no válido: \"-1s\" (segundos: 1.5 o 1.5s; 250ms; 1:30.5; "
                  "o un porcentaje del archivo: 25%)"},
             Case{"fade-in:1:75",
                  "tiempo no válido: \"1:75\" (segundos: 1.5 o 1.5s; 250ms; "
                  "1:30.5; o un porcentaje del archivo: 25%)"},
             Case{"fade-in:1e3",
                  "tiempo no válido: \"1e3\" (segundos: 1.5 o 1.5s; 250ms; 1:30.5; "
                  "o un porcentaje del archivo: 25%)"},
             Case{"fade-in:101%", "porcentaje no válido: \"101%\" (de 0% a 100% del archivo)"},
             Case{"fade-in:2147484s", "tiempo demasiado largo: \"2147484s\""},
             Case{"equalizer:100:50%",
                  "se necesitan de 2 a 64 puntos FRECUENCIA:NIVEL, "
                  "separados por comas"},
             Case{points64, "se necesitan de 2 a 64 puntos FRECUENCIA:NIVEL, separados por comas"},
             Case{"equalizer:100:50%,,", "punto no válido: \"\" (FRECUENCIA:NIVEL)"},
             Case{"equalizer:0:100%,20.1k:0",
                  "frecuencia no válida: \"20.1k\" (de 0 a 20000 Hz, "
                  "como 1000, 1000Hz o 2.5kHz)"},
             Case{"equalizer:0:100%,1000:x",
                  "nivel no válido: \"x\" (un porcentaje como 50% o "
                  "decibelios como -6dB)"},
             Case{"equalizer:0:100%,1000:-5%",
                  "nivel no válido: \"-5%\" (un porcentaje como 50% "
                  "o decibelios como -6dB)"},
             Case{"equalizer:0:100%,1000:199.7%",
                  "nivel demasiado alto: \"199.7%\" (el máximo "
                  "es 199.22% o +6dB)"},
             Case{"envelope:0:0,1:6.1dB",
                  "nivel demasiado alto: \"6.1dB\" (el máximo es 200% o "
                  "+6dB)"},
             Case{"equalizer:4000:100%,1000:50%",
                  "los puntos van en orden de frecuencia: "
                  "\"1000\" viene después de \"4000\""},
             Case{"envelope:0:0%,1:30:100%,80s:50%",
                  "los puntos van en orden de tiempo: \"80s\" "
                  "viene después de \"90s\""},
             Case{"Eco:5,50",
                  "El tiempo de Eco debe ser entre 10 y 3000ms. Por favor, intente de "
                  "nuevo ."},
             // Registered effects: their check's message, or how they are written.
             Case{"echo:5ms,50%",
                  "El tiempo de Eco debe ser entre 10 y 3000ms. Por favor, intente de "
                  "nuevo ."},
             Case{"echo", "\"echo\" se escribe así: echo:800ms,50%"},
             Case{"echo:800ms", "\"echo\" se escribe así: echo:800ms,50%"},
             Case{"echo:800ms,50%,1", "\"echo\" se escribe así: echo:800ms,50%"},
             Case{"auto-gain:1", "\"auto-gain\" se escribe así: auto-gain"},
             Case{"compressor:0dB,9:1,0dB",
                  "valor no válido para ratio (0 a 6): \"9:1\" (un número entero o uno de "
                  "1:1 3:2 2:1 3:1 4:1 5:1 Limit)"},
             Case{"high-pass:1kHz",
                  "valor no válido para frecuencia (Hz): \"1kHz\" (un número entero (250Hz))"},
         }) {
        const Result<NamedEffect> read = ParseNamedEffect(c.text);
        EXPECT_FALSE(read) << c.text;
        EXPECT_EQ(read.Message(), c.problem) << c.text;
    }
}

}  // namespace
}  // namespace sonvara
