#include "editor/edit/insert_silence_dialog.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "editor/common/dialog_parts.h"

namespace sonvara {

LSVInsertSilenceDlg::LSVInsertSilenceDlg(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), parameters_(ReadStored(kSilenceStored)) {
    setObjectName("LSVInsertSilenceDlg");
    setWindowTitle("Insertar Silencio");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    time_ = MakeNumberField(*this, "time", parameters_.time_ms);
    form->addRow("Tiempo de silencio (ms):", time_);
    layout->addLayout(form);
    AddOkCancelButtons(*this, *layout);
}

void LSVInsertSilenceDlg::accept() {
    const std::optional<int> time = NumberIn(*time_, prompts_);
    if (!time) {
        return;
    }
    const SilenceParameters parameters{*time};
    if (!PassesCheck(Check(parameters), prompts_)) {
        return;
    }
    parameters_ = parameters;
    // A value that cannot be stored is only not offered next time.
    WriteStored(kSilenceStored, parameters_);
    QDialog::accept();
}

}  // namespace sonvara
