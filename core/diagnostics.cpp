#include "core/diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace sonvara {
namespace {

std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

DiagnosticSink& Sink() {
    static DiagnosticSink sink;
    return sink;
}

void DefaultSink(std::string_view text) {
    static const bool enabled = std::getenv("SONVARA_DIAGNOSTICS") != nullptr;
    if (enabled) {
        std::fprintf(stderr, "sonvara: %.*s\n", static_cast<int>(text.size()), text.data());
    }
}

}  // namespace

void Diagnose(std::string_view text) {
    DiagnosticSink sink;
    {
        std::lock_guard lock(SinkMutex());
        sink = Sink();
    }
    if (sink) {
        sink(text);
    } else {
        DefaultSink(text);
    }
}

DiagnosticSink SetDiagnosticSink(DiagnosticSink sink) {
    std::lock_guard lock(SinkMutex());
    DiagnosticSink previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}

}  // namespace sonvara
