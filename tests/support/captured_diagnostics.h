#pragma once
// Collects the developer diagnostics reported while it lives (thread-safe).

#include <mutex>
#include <string>
#include <vector>

#include "core/diagnostics.h"

namespace sonvara::testing {

class CapturedDiagnostics {
  public:
    CapturedDiagnostics();
    ~CapturedDiagnostics();
    CapturedDiagnostics(const CapturedDiagnostics&) = delete;
    CapturedDiagnostics& operator=(const CapturedDiagnostics&) = delete;

    std::vector<std::string> Texts() const;
    bool Contains(const std::string& text) const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
    DiagnosticSink previous_;
};

}  // namespace sonvara::testing
