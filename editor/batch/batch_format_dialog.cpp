#include "editor/batch/batch_format_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "audio/wav/wave_file_format.h"
#include "formats/compression_settings.h"
#include "formats/format_table.h"
#include "formats/load_save.h"
#include "formats/mp3_encoder_settings.h"

namespace sonvara {
namespace {

enum FormatIndex { kWav = 0, kMp3 = 1, kGsm = 2, kVox = 3, kRaw = 4, kAif = 5, kAu = 6 };

// The compressed format (FLAC, Ogg Vorbis, Opus, M4A) of the output list's `index`, if it is one.
std::optional<CompressedFormat> CompressedFormatAt(int index) {
    const std::span<const std::string> formats = WrittenExtensions();
    if (index < 0 || index >= static_cast<int>(formats.size())) {
        return std::nullopt;
    }
    const FileFormat* format = FileFormatOf("x" + formats[static_cast<std::size_t>(index)]);
    return format == nullptr ? std::nullopt : CompressedFormatOf(*format);
}

bool HasFormatSettings(int index) {
    return index == kWav || index == kMp3 || index == kVox || index == kRaw ||
           CompressedFormatAt(index).has_value();
}

}  // namespace

LSelectSaveFormatDlg::LSelectSaveFormatDlg(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName("LSelectSaveFormatDlg");
    setWindowTitle("Convertidor de Grupo");
    const BatchOutputSettings stored = ReadBatchOutputSettings();
    auto* layout = new QVBoxLayout(this);

    auto* format_box = new QGroupBox("Formato de los archivos convertidos", this);
    auto* format_grid = new QGridLayout(format_box);
    same_format_ = new QRadioButton("El mismo formato de cada archivo", format_box);
    same_format_->setObjectName("sameFormat");
    other_format_ = new QRadioButton("Formato:", format_box);
    other_format_->setObjectName("otherFormat");
    format_ = new QComboBox(format_box);
    format_->setObjectName("format");
    for (const std::string& extension : WrittenExtensions()) {
        format_->addItem(QString::fromStdString(extension));
    }
    format_->setCurrentIndex(stored.format >= 0 && stored.format < format_->count() ? stored.format
                                                                                    : 0);
    format_settings_ = new QPushButton("Configuración del Formato...", format_box);
    format_settings_->setObjectName("formatSettings");
    format_grid->addWidget(same_format_, 0, 0, 1, 3);
    format_grid->addWidget(other_format_, 1, 0);
    format_grid->addWidget(format_, 1, 1);
    format_grid->addWidget(format_settings_, 1, 2);
    format_grid->setColumnStretch(1, 1);
    layout->addWidget(format_box);

    auto* folder_box = new QGroupBox("Carpeta de los archivos convertidos", this);
    auto* folder_grid = new QGridLayout(folder_box);
    same_folder_ = new QRadioButton("La misma carpeta de cada archivo", folder_box);
    same_folder_->setObjectName("sameFolder");
    other_folder_ = new QRadioButton("Carpeta:", folder_box);
    other_folder_->setObjectName("otherFolder");
    folder_ = new QLineEdit(QString::fromStdString(stored.folder), folder_box);
    folder_->setObjectName("folder");
    folder_->setMinimumWidth(folder_->fontMetrics().averageCharWidth() * 48);
    browse_ = new QPushButton("Examinar...", folder_box);
    browse_->setObjectName("browse");
    folder_grid->addWidget(same_folder_, 0, 0, 1, 3);
    folder_grid->addWidget(other_folder_, 1, 0);
    folder_grid->addWidget(folder_, 1, 1);
    folder_grid->addWidget(browse_, 1, 2);
    folder_grid->setColumnStretch(1, 1);
    layout->addWidget(folder_box);

    (stored.same_format ? same_format_ : other_format_)->setChecked(true);
    (stored.same_folder ? same_folder_ : other_folder_)->setChecked(true);

    auto* box = new QDialogButtonBox(this);
    QPushButton* back = box->addButton("< Atrás", QDialogButtonBox::ResetRole);
    back->setObjectName("back");
    box->addButton("Convertir", QDialogButtonBox::AcceptRole)->setObjectName("convert");
    box->addButton("Cancelar", QDialogButtonBox::RejectRole);
    layout->addWidget(box);

    for (QRadioButton* radio : {same_format_, other_format_, same_folder_, other_folder_}) {
        connect(radio, &QRadioButton::toggled, this, &LSelectSaveFormatDlg::UpdateControls);
    }
    connect(format_, &QComboBox::currentIndexChanged, this, &LSelectSaveFormatDlg::UpdateControls);
    connect(format_settings_, &QPushButton::clicked, this,
            &LSelectSaveFormatDlg::EditFormatSettings);
    connect(browse_, &QPushButton::clicked, this, [this] {
        if (const QString chosen = AskFolder(); !chosen.isEmpty()) {
            folder_->setText(chosen);
        }
    });
    connect(back, &QPushButton::clicked, this, [this] { done(kBack); });
    connect(box, &QDialogButtonBox::accepted, this, &LSelectSaveFormatDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    UpdateControls();
}

BatchOutputSettings LSelectSaveFormatDlg::Settings() const {
    BatchOutputSettings settings;
    settings.same_format = same_format_->isChecked();
    settings.format = format_->currentIndex();
    settings.same_folder = same_folder_->isChecked();
    settings.folder = folder_->text().trimmed().toStdString();
    return settings;
}

void LSelectSaveFormatDlg::EditFormatSettings() {
    switch (format_->currentIndex()) {
        case kWav: {
            FormatArea format{};
            ChooseRememberedWaveFormat(prompts_, format);
            break;
        }
        case kMp3: {
            Mp3EncoderSettings settings = ReadMp3EncoderSettings();
            if (AskMp3EncoderSettings(prompts_, settings)) {
                WriteMp3EncoderSettings(settings);
            }
            break;
        }
        case kVox:
        case kRaw: {
            RawFileFormat format = ReadRawFileSettings();
            if (AskRawFileFormat(prompts_, format)) {
                WriteRawFileSettings(format);
            }
            break;
        }
        default:
            if (const std::optional<CompressedFormat> compressed =
                    CompressedFormatAt(format_->currentIndex())) {
                CompressionSettings settings = ReadCompressionSettings();
                if (AskCompressionSettings(prompts_, *compressed, settings)) {
                    WriteCompressionSettings(ValidCompressionSettings(settings));
                }
            }
            break;
    }
}

void LSelectSaveFormatDlg::accept() {
    const BatchOutputSettings settings = Settings();
    WriteBatchOutputSettings(settings);
    if (PrepareBatchOutputFolder(prompts_, settings)) {
        QDialog::accept();
    }
}

QString LSelectSaveFormatDlg::AskFolder() {
    return QFileDialog::getExistingDirectory(this, "Localizar la Carpeta de Salida",
                                             folder_->text());
}

void LSelectSaveFormatDlg::UpdateControls() {
    format_->setEnabled(other_format_->isChecked());
    format_settings_->setEnabled(other_format_->isChecked() &&
                                 HasFormatSettings(format_->currentIndex()));
    folder_->setEnabled(other_folder_->isChecked());
    browse_->setEnabled(other_folder_->isChecked());
}

}  // namespace sonvara
