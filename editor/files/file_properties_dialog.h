#pragma once
// FilePropertiesDlg: "Propiedades del archivo": what the current file is (its name, format and
// coding, rate, channels and length, read only) and its tags, which the user edits. Accepting
// gives the edited tags; the command makes them the document's (a change the next save writes).

#include <QDialog>
#include <array>

#include "document/edit_document.h"

class QLineEdit;

namespace sonvara {

class FilePropertiesDlg : public QDialog {
    Q_OBJECT

  public:
    // `path`: the file the document was loaded from or saved to, empty when it has none;
    // `name`: the window's name for it.
    FilePropertiesDlg(const std::string& path, const std::string& name,
                      const LEditDocument& document, QWidget* parent);

    // The tags as the fields hold them, without the spaces around each.
    FileTags Tags() const;
    // The field of kTagFields[index].
    QLineEdit* Field(std::size_t index) const { return fields_[index]; }

  private:
    std::array<QLineEdit*, kTagFields.size()> fields_{};
};

}  // namespace sonvara
