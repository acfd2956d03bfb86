#pragma once
// LSVWaveWindow: the waveform of one document, one vertical line per pixel column, with the
// position (cursor) and the selection marks. A click sets the position, a drag sets the marks.
// The column values come from ComputeWaveColumns; the window only keeps the view and paints.
// Interface thread only.

#include <QWidget>
#include <cstdint>

#include "document/cut_list_audio.h"
#include "view/wave_columns.h"

namespace sonvara {

class LSVWaveWindow : public QWidget {
    Q_OBJECT

  public:
    explicit LSVWaveWindow(QWidget* parent = nullptr);

    // Takes a copy of the document and draws it with `options`; the view stays until the next
    // SetRequest.
    void Start(const LCutListAudio& document, const WaveDrawOptions& options);
    // Shows `length` frames from `start`.
    void SetRequest(std::int32_t start, std::int32_t length);
    void SetPosition(std::int32_t start, std::int32_t width);
    void SetDataEnd(std::int32_t frames);
    void SetMarks(std::int32_t from, std::int32_t to);

    std::int32_t MarkFrom() const { return mark_from_; }
    std::int32_t MarkTo() const { return mark_to_; }
    std::int32_t PositionStart() const { return position_start_; }
    const WaveColumnMapping& Mapping() const { return mapping_; }
    const WaveColumns& Columns() const { return columns_; }
    // Columns: the client width less the two border pixels, 1 to 2048.
    int ColumnCount() const;

  signals:
    // A click (button released) set the position.
    void positionSet(std::int32_t frame);
    // The marks changed during a drag or at its end.
    void marksChanged(std::int32_t from, std::int32_t to);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void Recompute();
    std::int32_t FrameAt(int x) const;
    void ApplyDrag(std::int32_t frame);

    LCutListAudio document_;
    WaveDrawOptions options_;
    bool started_ = false;
    std::int32_t request_start_ = 0;
    std::int32_t request_length_ = 0;
    WaveColumnMapping mapping_;
    WaveColumns columns_;
    std::int32_t position_start_ = 0;
    std::int32_t position_width_ = 0;
    std::int32_t data_end_ = 0;
    std::int32_t mark_from_ = 0;
    std::int32_t mark_to_ = 0;
    std::int32_t drag_origin_ = 0;
    bool dragging_ = false;
};

}  // namespace sonvara
