#include "editor/tools/manual_opener.h"

#include <utility>

#include "core/external_program.h"

namespace sonvara {
namespace {

constexpr char kOpenerProgram[] = "xdg-open";
constexpr int kWatchMilliseconds = 100;
// An opener that fails does so at once; five seconds is far more than it takes.
constexpr int kWatchLooks = 50;

}  // namespace

ManualOpener::ManualOpener(std::function<void(const std::string&)> failed)
    : failed_(std::move(failed)) {
    watch_.setInterval(kWatchMilliseconds);
    connect(&watch_, &QTimer::timeout, this, &ManualOpener::Watch);
}

ManualOpener::~ManualOpener() {
    LetRun();
}

void ManualOpener::Open(const QString& manual) {
    LetRun();
    manual_ = manual.toStdString();
    std::string error;
    opener_ = ChildProcess::Spawn(kOpenerProgram, {manual_}, false, &error);
    if (opener_ == nullptr) {
        failed_(std::string("No se puede abrir el navegador del escritorio: falta el programa \"") +
                kOpenerProgram + "\" (paquete xdg-utils). El manual está en \"" + manual_ +
                "\"; ábralo con su navegador.");
        return;
    }
    looks_ = 0;
    watch_.start();
}

void ManualOpener::Watch() {
    if (!opener_->HasEnded()) {
        if (++looks_ >= kWatchLooks) {
            LetRun();
        }
        return;
    }
    watch_.stop();
    const int status = opener_->ExitStatus();
    opener_.reset();
    if (status != 0) {
        failed_(
            "No se puede abrir el manual: el escritorio no tiene un navegador que lo muestre. "
            "El manual está en \"" +
            manual_ + "\"; ábralo con su navegador.");
    }
}

void ManualOpener::LetRun() {
    watch_.stop();
    if (opener_ != nullptr && !opener_->HasEnded()) {
        opener_->Release();
    }
    opener_.reset();
}

}  // namespace sonvara
