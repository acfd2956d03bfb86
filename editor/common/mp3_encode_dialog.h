#pragma once
// LMp3EncodeDlg: edits how MP3 files are encoded ("Opciones para el Codificador Mp3"). A constant
// bit rate with its rate and high quality, or a variable one between two rates at a quality 0..9;
// error protection; the channel mode. The controls of the mode not chosen are disabled. OK with a
// variable bit rate whose lowest rate is above its highest is refused with a message and the
// dialog stays open.

#include <QDialog>

#include "formats/format_prompts.h"

class QCheckBox;
class QComboBox;
class QRadioButton;
class QSpinBox;

namespace sonvara {

// The bit rates offered, kbit/s: those of MPEG audio layer III at its sample rates.
inline constexpr int kMp3BitRates[] = {8,  16,  24,  32,  40,  48,  56,  64,  80,
                                       96, 112, 128, 144, 160, 192, 224, 256, 320};

class LMp3EncodeDlg : public QDialog {
    Q_OBJECT

  public:
    // Starts from `settings`; a bit rate that is not offered shows as the nearest one offered, a
    // quality above 9 as 9 and a channel mode above 3 as joint stereo, as the encoder takes them.
    LMp3EncodeDlg(Prompts& prompts, const Mp3EncoderSettings& settings, QWidget* parent);

    // The settings as the controls show them.
    Mp3EncoderSettings Settings() const;

  public slots:
    void accept() override;

  private:
    void EnableForMode();

    Prompts& prompts_;
    QRadioButton* constant_;
    QRadioButton* variable_;
    QComboBox* cbr_rate_;
    QCheckBox* high_quality_;
    QComboBox* vbr_min_;
    QComboBox* vbr_max_;
    QSpinBox* vbr_quality_;
    QCheckBox* error_protection_;
    QComboBox* channel_mode_;
};

}  // namespace sonvara
