// The tools menu: the tone generator makes a new file of what its dialog asks, and the frequency
// analysis window shows that file's spectrum where its cursor is, in either width, following the
// cursor when it moves.

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "document/cut_list_reader.h"
#include "editor/tools/fft_dialog.h"
#include "editor/tools/loudness_dialog.h"
#include "editor/tools/tone_generator_dialog.h"
#include "effects/loudness_meter.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/run_process.h"
#include "view/frequency_window.h"

namespace sonvara {
namespace {

class ToolsMenuTest : public EditorTest {
  protected:
    // Triggers command `id` and runs `script` in its modal dialog of type `Dialog` once it shows
    // (after a process's progress dialog, say).
    template <typename Dialog>
    void RunWithDialog(int id, const std::function<void(Dialog&)>& script) {
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                poll.stop();
                script(*dialog);
            }
        });
        poll.start();
        frame_->Action(id)->trigger();
    }

    // Runs the tone generator, filling its dialog with `frequency` Hz for `milliseconds` at
    // 44100 Hz; a refused value is corrected to 1000 Hz and tried again.
    void Generate(const QString& frequency, const QString& milliseconds) {
        RunWithDialog<LToneGeneratorDlg>(kCmToneGenerator, [&](LToneGeneratorDlg& dialog) {
            dialog.ShapeField()->setCurrentIndex(static_cast<int>(ToneShape::kSine));
            dialog.findChild<QLineEdit*>("frequency")->setText(frequency);
            dialog.findChild<QLineEdit*>("milliseconds")->setText(milliseconds);
            dialog.findChild<QComboBox*>("rate")->setEditText("44100");
            dialog.accept();
            if (dialog.isVisible()) {
                dialog.findChild<QLineEdit*>("frequency")->setText("1000");
                dialog.accept();
            }
        });
    }

    // The columns of `graph` where the curve is highest, as drawn.
    static std::pair<int, int> HighestColumns(LFrequencyWindow& graph) {
        const QImage image = graph.grab().toImage();
        int top = image.height();
        std::pair<int, int> columns = {-1, -1};
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < top + 1 && y < image.height(); ++y) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.red() > 200 && pixel.green() > 200 && pixel.blue() < 120) {
                    columns = y < top ? std::pair{x, x} : std::pair{columns.first, x};
                    top = y;
                    break;
                }
            }
        }
        return columns;
    }

    // The caption with the pointer at (x, y) of `graph`.
    static QString CaptionAt(LFrequencyWindow& graph, int x, int y) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), graph.mapToGlobal(QPointF(x, y)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&graph, &move);
        return graph.Caption();
    }
};

TEST_F(ToolsMenuTest, TheSpectrumOfAGeneratedToneFollowsTheCursor) {
    // 30000 Hz is above half the rate: refused, and the dialog stays for the correction.
    Generate("30000", "1000");
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].text,
              "La frecuencia debe estar entre 1 Hz y la mitad de la tasa de muestra.");
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 1u);
    LSVFileWindow* file = frame_->Rooms().workspace.Files()[0];
    EXPECT_EQ(file->Document().Audio().GetLength(), 44100);
    EXPECT_EQ(file->Document().Audio().GetSampleRate(), 44100);
    EXPECT_TRUE(file->IsModified());

    frame_->Action(kCmFrequencyAnalyze)->trigger();
    auto* dialog = frame_->findChild<LSVFFTDlg*>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    // Nothing of the check box's text is cut.
    QApplication::processEvents();
    EXPECT_GE(dialog->FourTimesBox()->width(), dialog->FourTimesBox()->sizeHint().width());
    dialog->resize(1000, 500);
    QApplication::processEvents();
    LFrequencyWindow& graph = *dialog->Graph();
    const int width = graph.width();

    // 1 kHz is band 93 of 2048, or of the 512 in the four-times mode.
    for (const auto& [four_times, bands] : {std::pair{false, 2048}, std::pair{true, 512}}) {
        SCOPED_TRACE(bands);
        if (dialog->FourTimesBox()->isChecked() != four_times) {
            QTest::mouseClick(dialog->FourTimesBox(), Qt::LeftButton, {},
                              QPoint(8, dialog->FourTimesBox()->height() / 2));
        }
        EXPECT_EQ(graph.Bands(), bands);
        const auto [first, last] = HighestColumns(graph);
        EXPECT_LE(last - first, width / bands + 2);
        EXPECT_NEAR((first + last) / 2 * bands / width, 93, bands / width + 1);
        EXPECT_TRUE(CaptionAt(graph, 0, 0).startsWith("0 Hz, "));
        // The right edge: the top of the span, 5512 or 22050 Hz, less the bands of a column.
        const int top = four_times ? 5512 : 22050;
        const int hertz = CaptionAt(graph, width - 1, 0).section(' ', 0, 0).toInt();
        EXPECT_LE(hertz, top);
        EXPECT_GE(hertz, top - 10.77 * (bands / width + 1.5));
    }
    // The level at the pointer's height: +96 dB at the top, -64 at the bottom.
    EXPECT_EQ(CaptionAt(graph, width / 2, 0).section(", ", 1), "96 db");
    EXPECT_EQ(CaptionAt(graph, width / 2, graph.height() - 1).section(", ", 1), "-63 db");

    // The cursor at the end: only silence follows, below the bottom edge.
    frame_->Rooms().workspace.ModifySelection(44100, 44100, 44100);
    QTest::qWait(3 * LSVFFTDlg::kFollowMilliseconds);
    EXPECT_EQ(dialog->PlaceText(), "Desde 0:00:01.00");
    EXPECT_EQ(HighestColumns(graph).first, -1);
    EXPECT_EQ(*std::max_element(graph.Levels().begin(), graph.Levels().end()), -127);

    // OK keeps the four-times mode; with no file left the menu entry is off.
    dialog->accept();
    EXPECT_TRUE(ReadBool("Settings", "FreqFourTimes", false));
    Settle();
    EXPECT_EQ(frame_->findChild<LSVFFTDlg*>(), nullptr);
    prompts_.QueueAnswer(PromptAnswer::kNo);
    frame_->Rooms().files.CmCloseAll();
    EXPECT_FALSE(frame_->Action(kCmFrequencyAnalyze)->isEnabled());
}

TEST_F(ToolsMenuTest, TheLoudnessOfTheSelectionOrTheFileIsShownToCopy) {
    Generate("1000", "4000");
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 1u);
    LSVFileWindow* file = frame_->Rooms().workspace.Files()[0];
    const LCutListAudio& audio = file->Document().Audio();
    for (const bool selection : {true, false}) {
        SCOPED_TRACE(selection);
        const FrameRange range =
            selection ? FrameRange{44100, 3 * 44100} : FrameRange{0, audio.GetLength()};
        frame_->Rooms().workspace.ModifySelection(range.start, selection ? range.end : range.start,
                                                  range.start);
        LPRMeasureLoudness direct(LSoundSourceRef(new LSRCCutListAudio(audio)), range.start,
                                  range.end);
        ASSERT_EQ(testing::RunProcess(direct), PROCESS_DONE);
        QString measured;
        QString values;
        RunWithDialog<LLoudnessDlg>(kCmLoudnessAnalysis, [&](LLoudnessDlg& dialog) {
            measured = dialog.findChild<QLabel*>("measured")->text();
            values = dialog.Values();
            QTest::mouseClick(dialog.findChild<QPushButton*>("copy"), Qt::LeftButton);
            dialog.reject();
        });
        EXPECT_EQ(measured, selection ? "Sin título 1, la selección de 0:00:01.00 a 0:00:03.00"
                                      : "Sin título 1, todo el archivo (0:00:04.00)");
        EXPECT_EQ(values, QString::fromStdString(LoudnessText(direct.Report())).trimmed());
        EXPECT_TRUE(values.startsWith("Sonoridad integrada: -"));
        EXPECT_EQ(QApplication::clipboard()->text(), values);
    }
}

}  // namespace
}  // namespace sonvara
