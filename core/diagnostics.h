#pragma once
// Developer diagnostics: the fixed texts an operation reports when it is misused or meets a
// condition it cannot handle (for example "LFile::Seek Called on an invalid file"). They are for
// developers, never for users: no log file is written. By default they go to stderr only when the
// environment variable SONVARA_DIAGNOSTICS is set; tests install a sink to check them.

#include <functional>
#include <string_view>

namespace sonvara {

void Diagnose(std::string_view text);

using DiagnosticSink = std::function<void(std::string_view)>;

// Replaces the process-wide sink and returns the previous one. An empty sink restores the default.
DiagnosticSink SetDiagnosticSink(DiagnosticSink sink);

}  // namespace sonvara
