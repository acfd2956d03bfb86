#include "editor/effects/equalizer_dialog.h"

#include <array>

#include "effects/effect_sources.h"

namespace sonvara {
namespace {

// Frequency lines at a round step, labelled, at least kLabelGap pixels apart.
std::vector<GraphTick> FrequencyTicks(double length) {
    constexpr double kLabelGap = 64;
    constexpr std::array<int, 5> kSteps = {1000, 2000, 2500, 5000, 10000};
    int step = kSteps.back();
    for (const int candidate : kSteps) {
        if (candidate / LEqualizerDlg::kHzPerUnit * length / 255.0 >= kLabelGap) {
            step = candidate;
            break;
        }
    }
    std::vector<GraphTick> ticks;
    for (int hz = 0; hz <= 20000; hz += step) {
        QString label = hz == 0 ? "0 Hz" : QString("%1 kHz").arg(hz / 1000.0);
        ticks.push_back({hz / LEqualizerDlg::kHzPerUnit, label.replace('.', ',')});
    }
    return ticks;
}

}  // namespace

LEqualizerDlg::LEqualizerDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent)
    : LPointListDlg(prompts, kEqualizerPointsFile, "Ecualizador", preview, EqualizerSource,
                    parent) {
    setObjectName("LEqualizerDlg");
    Graph().SetAxes(FrequencyTicks, PercentAxis(1.0 / kPercentPerUnit, 150));
}

QString LEqualizerDlg::ReadOut(int x, int y) const {
    return QString::asprintf("%d Hz, %d %%", static_cast<int>(x * kHzPerUnit),
                             static_cast<int>(y * kPercentPerUnit));
}

}  // namespace sonvara
