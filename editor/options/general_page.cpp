#include "editor/options/general_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/settings.h"
#include "editor/common/settings_writes.h"
#include "editor/files/new_wav_dialog.h"
#include "editor_model/file_types.h"

namespace sonvara {
namespace {

constexpr int kFileTypeColumns = 5;

QCheckBox* MakeBox(const char* label, const char* setting, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(label), parent);
    box->setObjectName(setting);
    return box;
}

}  // namespace

LGeneralPage::LGeneralPage(Prompts& prompts, std::string program, QWidget* parent)
    : QWidget(parent), prompts_(prompts), program_(std::move(program)) {
    setObjectName("LGeneralPage");
    auto* layout = new QVBoxLayout(this);

    auto* types = new QGroupBox("Abrir con Sonvara los archivos de tipo", this);
    auto* grid = new QGridLayout(types);
    for (const FileTypeChoice& choice : FileTypeChoices()) {
        const int n = static_cast<int>(file_types_.size());
        file_types_.push_back(MakeBox(choice.label, choice.setting, types));
        grid->addWidget(file_types_.back(), n / kFileTypeColumns, n % kFileTypeColumns);
    }
    layout->addWidget(types);

    auto* new_file = new QGroupBox("Archivo Nuevo", this);
    auto* new_layout = new QVBoxLayout(new_file);
    prompt_ = new QRadioButton("Guía para la Tasa de Muestra y los Canales", new_file);
    prompt_->setObjectName("PromptSampleAndChannels");
    use_defaults_ = new QRadioButton("Use la Tasa de Muestra y los Canales por Defecto", new_file);
    use_defaults_->setObjectName("UseDefaultSampleAndChannels");
    set_defaults_ =
        new QPushButton("Active la Tasa de Muestra y los Canales por Defecto...", new_file);
    set_defaults_->setObjectName("SetDefaults");
    new_layout->addWidget(prompt_);
    new_layout->addWidget(use_defaults_);
    new_layout->addWidget(set_defaults_, 0, Qt::AlignLeft);
    layout->addWidget(new_file);

    auto* playing = new QGroupBox("Reproducción", this);
    auto* playing_layout = new QVBoxLayout(playing);
    play_when_open_ =
        MakeBox("Ejecute el Archivo Automáticamente cuando se abra", "PlayWhenOpen", playing);
    play_bookmark_ =
        MakeBox("Ejecute el Archivo Automaticamente y vaya al Marcador", "PlayBookMark", playing);
    reduce_volume_ = MakeBox("Reducir el volumen a -8db cuando rebobine o avance.",
                             "ReduceVolWhenRewind", playing);
    playing_layout->addWidget(play_when_open_);
    playing_layout->addWidget(play_bookmark_);
    playing_layout->addWidget(reduce_volume_);
    layout->addWidget(playing);
    layout->addStretch(1);

    connect(use_defaults_, &QRadioButton::toggled, this, &LGeneralPage::EnableControls);
    connect(set_defaults_, &QPushButton::clicked, this, &LGeneralPage::CmSetDefaults);
}

void LGeneralPage::InitDialog() {
    for (std::size_t n = 0; n < file_types_.size(); ++n) {
        file_types_[n]->setChecked(ReadBool("Settings", FileTypeChoices()[n].setting, true));
    }
    (ReadBool("Settings", "PromptSampleAndChannels", true) ? prompt_ : use_defaults_)
        ->setChecked(true);
    play_when_open_->setChecked(ReadBool("Settings", "PlayWhenOpen", true));
    play_bookmark_->setChecked(ReadBool("Settings", "PlayBookMark", false));
    reduce_volume_->setChecked(ReadBool("Settings", "ReduceVolWhenRewind", false));
    EnableControls();
}

void LGeneralPage::EnableControls() {
    set_defaults_->setEnabled(use_defaults_->isChecked());
}

void LGeneralPage::CmSetDefaults() {
    NewWavDlg dialog(prompts_, this, kDefaultFormatSettings);
    dialog.exec();
}

bool LGeneralPage::CmOk() {
    SettingsWrites writes("Settings");
    std::vector<const FileTypeChoice*> checked;
    for (std::size_t n = 0; n < file_types_.size(); ++n) {
        const FileTypeChoice& choice = FileTypeChoices()[n];
        writes.Bool(choice.setting, file_types_[n]->isChecked());
        if (file_types_[n]->isChecked()) {
            checked.push_back(&choice);
        }
    }
    writes.Bool("PromptSampleAndChannels", prompt_->isChecked());
    writes.Bool("PlayWhenOpen", play_when_open_->isChecked());
    writes.Bool("PlayBookMark", play_bookmark_->isChecked());
    writes.Bool("ReduceVolWhenRewind", reduce_volume_->isChecked());
    if (!writes.Report(prompts_)) {
        return false;
    }
    std::string error;
    if (!RegisterFileTypes(checked, program_, error)) {
        prompts_.Ask(
            {"Error",
             "No se pudo registrar Sonvara para abrir los tipos de archivo marcados.\n" + error,
             PromptIcon::kError, PromptButtons::kOk});
        return false;
    }
    return true;
}

}  // namespace sonvara
