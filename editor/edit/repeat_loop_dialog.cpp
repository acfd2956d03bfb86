#include "editor/edit/repeat_loop_dialog.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "editor/common/dialog_parts.h"

namespace sonvara {

LSVRepeatLoopDlg::LSVRepeatLoopDlg(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), parameters_(ReadStored(kRepeatStored)) {
    setObjectName("LSVRepeatLoopDlg");
    setWindowTitle("Repetir");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    times_ = MakeNumberField(*this, "times", parameters_.times);
    form->addRow("Número de repeticiones:", times_);
    layout->addLayout(form);
    AddOkCancelButtons(*this, *layout);
}

void LSVRepeatLoopDlg::accept() {
    const std::optional<int> times = NumberIn(*times_, prompts_);
    if (!times) {
        return;
    }
    const RepeatParameters parameters{*times};
    if (!PassesCheck(Check(parameters), prompts_)) {
        return;
    }
    parameters_ = parameters;
    // A value that cannot be stored is only not offered next time.
    WriteStored(kRepeatStored, parameters_);
    QDialog::accept();
}

}  // namespace sonvara
