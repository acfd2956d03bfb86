#pragma once
// LLiveTakeView: a take as it is recorded, drawn from the input's level reports (the recorded
// sound itself is the recorder's until the take ends): a bar for each report about the middle
// line, the whole take squeezed into the view's width as it grows.

#include <QWidget>
#include <vector>

#include "devices/sound_player.h"

namespace sonvara {

class LLiveTakeView : public QWidget {
    Q_OBJECT

  public:
    explicit LLiveTakeView(QWidget* parent = nullptr);

    void Clear();
    // One more report: the loudest of its channels.
    void Add(const SoundLevels& levels);
    int Reports() const { return static_cast<int>(heights_.size()); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<float> heights_;
};

}  // namespace sonvara
