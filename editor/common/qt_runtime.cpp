#include "editor/common/qt_runtime.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "audio/wav/wave_file_format.h"
#include "editor/common/dialog_parts.h"
#include "editor/common/mp3_encode_dialog.h"
#include "formats/compression_settings.h"
#include "formats/load_save.h"
#include "formats/raw_formats.h"
#include "platform/codec/codec_manager.h"

namespace sonvara {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

QtMessageLoop::QtMessageLoop(QObject* context) : context_(context) {}

void QtMessageLoop::Post(std::function<void()> handler) {
    QObject* context = context_ != nullptr ? context_.data() : QCoreApplication::instance();
    QMetaObject::invokeMethod(context, std::move(handler), Qt::QueuedConnection);
}

void QtMessageLoop::PumpPending() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QtProgressView::QtProgressView(QWidget* frame) : frame_(frame) {}

QtProgressView::~QtProgressView() {
    Close();
}

bool QtProgressView::Open(const std::string& caption) {
    if (dialog_ != nullptr) {
        return false;
    }
    cancel_ = false;
    auto* dialog =
        new QDialog(frame_.data(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog->setObjectName("LProgressDialog");
    dialog->setWindowTitle(Text(caption));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(dialog);
    for (int line = 0; line < 2; ++line) {
        lines_[line] = new QLabel(dialog);
        lines_[line]->setObjectName(QString("line%1").arg(line));
        lines_[line]->setMinimumWidth(320);
        layout->addWidget(lines_[line]);
    }
    bar_ = new QProgressBar(dialog);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    layout->addWidget(bar_);
    layout->addWidget(new QLabel("Sonvara", dialog));
    layout->addWidget(new QLabel("Vellumtone", dialog));
    auto* cancel = new QPushButton("Cancelar", dialog);
    cancel->setObjectName("cancel");
    layout->addWidget(cancel, 0, Qt::AlignRight);
    // The process sees the cancel at its next CheckCancel, after the events were pumped.
    QObject::connect(cancel, &QPushButton::clicked, dialog, [this] {
        cancel_ = true;
        Close();
    });
    dialog_ = dialog;
    if (QWidget* frame = frame_.data()) {
        frame->setEnabled(false);
        frame_disabled_ = true;
    }
    dialog->setEnabled(true);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    return true;
}

void QtProgressView::SetText(int line, const std::string& text) {
    if (dialog_ != nullptr && (line == 0 || line == 1)) {
        lines_[line]->setText(Text(text));
    }
}

void QtProgressView::SetPercent(int percent) {
    if (dialog_ != nullptr) {
        bar_->setValue(percent);
    }
}

void QtProgressView::Close() {
    if (dialog_ != nullptr) {
        QDialog* dialog = dialog_;
        dialog_ = nullptr;
        lines_[0] = lines_[1] = nullptr;
        bar_ = nullptr;
        dialog->hide();
        dialog->deleteLater();
    }
    QWidget* frame = frame_.data();
    if (frame_disabled_ && frame != nullptr) {
        frame->setEnabled(true);
        frame->activateWindow();
        frame->setFocus();
    }
    frame_disabled_ = false;
}

PromptAnswer QtPrompts::Ask(const PromptMessage& message) {
    QMessageBox box(parent_);
    box.setWindowTitle(Text(message.caption));
    box.setText(Text(message.text));
    switch (message.icon) {
        case PromptIcon::kInformation:
            box.setIcon(QMessageBox::Information);
            break;
        case PromptIcon::kWarning:
            box.setIcon(QMessageBox::Warning);
            break;
        case PromptIcon::kError:
            box.setIcon(QMessageBox::Critical);
            break;
        case PromptIcon::kQuestion:
            box.setIcon(QMessageBox::Question);
            break;
    }
    switch (message.buttons) {
        case PromptButtons::kOk:
            box.addButton("Aceptar", QMessageBox::AcceptRole);
            break;
        case PromptButtons::kOkCancel:
            box.addButton("Aceptar", QMessageBox::AcceptRole);
            box.addButton("Cancelar", QMessageBox::RejectRole);
            break;
        case PromptButtons::kYesNo:
            box.addButton("Sí", QMessageBox::YesRole);
            box.addButton("No", QMessageBox::NoRole);
            break;
        case PromptButtons::kYesNoCancel:
            box.addButton("Sí", QMessageBox::YesRole);
            box.addButton("No", QMessageBox::NoRole);
            box.addButton("Cancelar", QMessageBox::RejectRole);
            break;
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == nullptr) {
        return PromptAnswer::kCancel;
    }
    switch (box.buttonRole(clicked)) {
        case QMessageBox::AcceptRole:
            return PromptAnswer::kOk;
        case QMessageBox::YesRole:
            return PromptAnswer::kYes;
        case QMessageBox::NoRole:
            return PromptAnswer::kNo;
        default:
            return PromptAnswer::kCancel;
    }
}

bool QtPrompts::ChooseWaveFormat(FormatArea& format, const std::vector<FormatChoice>& choices,
                                 const std::string& title) {
    if (choices.empty()) {
        return false;
    }
    const WaveFormat current = LWaveFileFormat::FromArea(format);
    QDialog dialog(parent_);
    dialog.setObjectName("LWaveFormatChooser");
    dialog.setWindowTitle(Text(title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    for (const FormatChoice& choice : choices) {
        list->addItem(Text(choice.name + "  " + choice.details));
        const WaveFormat& f = choice.format;
        if (list->currentRow() < 0 && f.format_tag == current.format_tag &&
            f.channels == current.channels && f.samples_per_sec == current.samples_per_sec &&
            f.bits_per_sample == current.bits_per_sample) {
            list->setCurrentRow(list->count() - 1);
        }
    }
    // A coding offered at another rate than the one started from (the document's rate) is
    // still the one to start from.
    for (std::size_t i = 0; i < choices.size() && list->currentRow() < 0; ++i) {
        const WaveFormat& f = choices[i].format;
        if (f.format_tag == current.format_tag && f.bits_per_sample == current.bits_per_sample) {
            list->setCurrentRow(static_cast<int>(i));
        }
    }
    if (list->currentRow() < 0) {
        list->setCurrentRow(0);
    }
    list->setMinimumWidth(420);
    layout->addWidget(list);
    AddOkCancelButtons(dialog, *layout);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) {
        return false;
    }
    const std::optional<FormatArea> area =
        LWaveFileFormat::ToArea(choices[static_cast<std::size_t>(list->currentRow())].format);
    if (!area) {
        return false;
    }
    format = *area;
    return true;
}

bool QtPrompts::AskRawFileFormat(RawFileFormat& format) {
    const RawFileFormat start = ValidRawFileFormat(format);
    QDialog dialog(parent_);
    dialog.setObjectName("LSVVoxSampleRate");
    dialog.setWindowTitle("Propiedades del Archivo");
    auto* layout = new QFormLayout(&dialog);
    auto* encoding = new QComboBox(&dialog);
    encoding->setObjectName("encoding");
    for (int e = 0; e < kRawEncodingCount; ++e) {
        encoding->addItem(RawEncodingName(static_cast<RawEncoding>(e)));
    }
    encoding->setCurrentIndex(start.encoding);
    QComboBox* rate = MakeRateField(dialog, start.rate);
    auto* channels = new QComboBox(&dialog);
    channels->setObjectName("channels");
    channels->addItem("1 - Mono");
    channels->addItem("2 - Stereo");
    channels->setCurrentIndex(start.channels == 2 ? 1 : 0);
    layout->addRow("Formato:", encoding);
    layout->addRow("Tasa de muestra:", rate);
    layout->addRow("Canales:", channels);
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, &dialog);
    SpanishButtons(*buttons);
    QObject::connect(buttons, &QDialogButtonBox::helpRequested, &dialog, [this] {
        Ask({"Propiedades del Archivo",
             "Un archivo sin cabecera (.raw, .vox) no dice cómo están guardadas sus muestras. "
             "Elija el formato de las muestras, la tasa de muestra (de 6000 a 96000 muestras por "
             "segundo; la lista ofrece las usuales y se puede escribir otra) y el número de "
             "canales con que se grabó. Si el sonido se oye demasiado rápido o lento, la tasa no "
             "es la correcta; si solo se oye ruido, el formato no lo es.",
             PromptIcon::kInformation, PromptButtons::kOk});
    });
    // A rate out of range says so and keeps the dialog open.
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (std::optional<PromptMessage> problem =
                CheckRawSampleRate(rate->currentText().trimmed().toInt())) {
            Ask(*problem);
            return;
        }
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    format.rate = rate->currentText().trimmed().toInt();
    format.encoding = encoding->currentIndex();
    format.channels = channels->currentIndex() + 1;
    return true;
}

bool QtPrompts::AskCompressionSettings(CompressedFormat format, CompressionSettings& settings) {
    const CompressionField& field = CompressionFieldOf(format);
    QDialog dialog(parent_);
    dialog.setObjectName("LCompressionDlg");
    dialog.setWindowTitle(field.title);
    // Wide enough for the title beside the window manager's buttons, however short the field.
    dialog.setMinimumWidth(2 * dialog.fontMetrics().horizontalAdvance(field.title) + 120);
    auto* layout = new QFormLayout(&dialog);
    auto* value = new QSpinBox(&dialog);
    value->setObjectName("value");
    value->setRange(field.low, field.high);
    value->setValue(settings.*field.value);
    layout->addRow(field.label, value);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    SpanishButtons(*buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    settings.*field.value = value->value();
    return true;
}

bool QtPrompts::AskMp3EncoderSettings(Mp3EncoderSettings& settings) {
    LMp3EncodeDlg dialog(*this, settings, parent_);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    settings = dialog.Settings();
    return true;
}

}  // namespace sonvara
