#pragma once
// Opens the user manual with the desktop's opener (xdg-open) and watches it for a few seconds: an
// opener that is missing or ends in failure (no browser installed) is said, with the manual's
// file, so that the user can open it by hand. An opener still running by then is showing the
// page (the browser runs inside it) and is left to run, after the editor too.

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

namespace sonvara {

class ChildProcess;

class ManualOpener : public QObject {
    Q_OBJECT

  public:
    // `failed` receives the message to show.
    explicit ManualOpener(std::function<void(const std::string&)> failed);
    ~ManualOpener() override;

    void Open(const QString& manual);

  private:
    void Watch();
    void LetRun();

    std::function<void(const std::string&)> failed_;
    std::unique_ptr<ChildProcess> opener_;
    std::string manual_;
    QTimer watch_;
    int looks_ = 0;
};

}  // namespace sonvara
