#pragma once
// LPointListDlg: what the equalizer and envelope dialogs share. The graph editor shows the list
// kept in the data folder (read when the dialog opens, a missing or empty one being the flat
// default) with the dialog's read-out as its caption; "Abrir..." and "Guardar..." read and write
// point-list files, "Plano" brings back the flat line at unity. OK writes the list back to the
// data folder; when that fails the user is told and the dialog stays open. With a preview, the
// "Ver antes" button plays the effect of the list as it stands, and while it plays every change
// is heard (the changes of kPreviewDelayMs are heard together: a stroke changes the list at
// every mouse move).

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "core/prompts.h"
#include "effects/effect_process.h"
#include "effects/point_list.h"
#include "view/point_graph.h"

class QTimer;

namespace sonvara {

class LEffectPreview;
class PreviewButton;

// Level lines every 50 % from 0 to `top` %, a level of p % lying at y = p × `y_per_percent`.
GraphAxis PercentAxis(double y_per_percent, int top);

class LPointListDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kPreviewDelayMs = 60;

    // The list as edited.
    const PointList& Points() const;
    LBrainWaveWindow& Graph() { return *graph_; }
    // Where the list is kept: `stored_file` in the data folder.
    const std::string& StoredPath() const { return stored_path_; }

  public slots:
    void accept() override;
    // Reads a point-list file chosen by the user into the graph; a file that cannot be read is
    // told and leaves the graph as it was.
    void LoadFile();
    // Writes the graph's list to a file chosen by the user; a failure is told.
    void SaveFile();

  protected:
    // The effect of a list, for the preview.
    using EffectOfList = std::function<EffectSourceFactory(const PointList&)>;

    // `preview` may be null: no preview is offered. It must outlive the dialog.
    LPointListDlg(Prompts& prompts, std::string_view stored_file, const QString& title,
                  LEffectPreview* preview, EffectOfList effect, QWidget* parent);

    // The read-out of (x, y) in the graph's caption.
    virtual QString ReadOut(int x, int y) const = 0;
    // The file the user chooses to read or to write; "" when cancelled.
    virtual QString AskOpenPath();
    virtual QString AskSavePath();

  private:
    void TellFileError(const char* what, const QString& path);

    Prompts& prompts_;
    std::string stored_path_;
    LBrainWaveWindow* graph_;
    PreviewButton* preview_ = nullptr;
    QTimer* preview_delay_ = nullptr;
};

}  // namespace sonvara
