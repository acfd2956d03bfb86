#include "editor/effects/envelope_dialog.h"

#include <algorithm>

#include "audio/sound_time.h"
#include "effects/effect_sources.h"
#include "view/columns/rulers.h"

namespace sonvara {
namespace {

constexpr double kTimeLabelGap = 80;  // pixels between time labels at least

}  // namespace

LEnvelopeDlg::LEnvelopeDlg(Prompts& prompts, FrameRange selection, std::int32_t sample_rate,
                           LEffectPreview* preview, QWidget* parent)
    : LPointListDlg(
          prompts, kEnvelopePointsFile, "Envolver", preview,
          [selection](const PointList& points) { return EnvelopeSource(points, selection); },
          parent),
      selection_(selection),
      sample_rate_(sample_rate) {
    setObjectName("LEnvelopeDlg");
    auto times = [this](double length) {
        std::vector<GraphTick> ticks;
        const double frames = static_cast<double>(selection_.Length());
        if (frames <= 0 || sample_rate_ <= 0 || length < 1) {
            return ticks;
        }
        for (const RulerTick& tick :
             TimeRulerTicks(selection_.start, frames / length, static_cast<int>(length),
                            sample_rate_, kTimeLabelGap)) {
            if (tick.labelled) {  // the ruler's finer marks would crowd the grid
                ticks.push_back({tick.column * 255.0 / length, QString::fromStdString(tick.label)});
            }
        }
        return ticks;
    };
    Graph().SetAxes(times, PercentAxis(1.0 / kPercentPerUnit, 200));
}

std::int32_t LEnvelopeDlg::FrameAt(int x) const {
    const std::int64_t frames = std::max<std::int64_t>(selection_.Length(), 0);
    return selection_.start + static_cast<std::int32_t>(frames * x / 255);
}

QString LEnvelopeDlg::ReadOut(int x, int y) const {
    LSoundTime time;
    time.SetSamples(FrameAt(x), sample_rate_);
    return QString::asprintf("(%s, %d %%)", time.Hundredths().c_str(),
                             static_cast<int>(y * kPercentPerUnit));
}

}  // namespace sonvara
