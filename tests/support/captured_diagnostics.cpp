#include "tests/support/captured_diagnostics.h"

#include <algorithm>

namespace sonvara::testing {

CapturedDiagnostics::CapturedDiagnostics() {
    previous_ = SetDiagnosticSink([this](std::string_view text) {
        std::lock_guard lock(mutex_);
        texts_.emplace_back(text);
    });
}

CapturedDiagnostics::~CapturedDiagnostics() {
    SetDiagnosticSink(std::move(previous_));
}

std::vector<std::string> CapturedDiagnostics::Texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
}

bool CapturedDiagnostics::Contains(const std::string& text) const {
    std::lock_guard lock(mutex_);
    return std::find(texts_.begin(), texts_.end(), text) != texts_.end();
}

}  // namespace sonvara::testing
