#include "components/decode_processes.h"

#include <chrono>
#include <memory>

#include "components/component_location.h"
#include "core/external_program.h"

namespace sonvara {

ProcessResult LWMADecode::Body() {
    SetText("Decoding Windows Media Audio", 0);
    SetProgress(0.0);
    std::unique_ptr<ChildProcess> decoder;
    for (const std::string& program : ComponentCandidates(kWmaComponent, kWmaDecoderProgram)) {
        decoder = ChildProcess::Spawn(program, {Input(), Output()}, false, nullptr);
        if (decoder != nullptr) {
            break;
        }
    }
    if (decoder == nullptr) {
        ShowError(
            "The wma decoder component has not yet been installed on this computer. The "
            "component \"wmakx\" can be downloaded free from " +
            std::string(kComponentDownloadPage));
        return PROCESS_FAILED;
    }
    // The decoder tells nothing of its progress: the bar moves a little less each quarter second.
    double remaining = 0.97;
    for (;;) {
        SetProgress(1.0 - remaining);
        remaining *= 0.99;
        if (WaitPumping(*decoder, std::chrono::milliseconds(250))) {
            break;
        }
    }
    if (CheckCancel()) {
        decoder->Kill();
        return PROCESS_STOPPED;
    }
    if (decoder->ExitStatus() != 0) {
        ShowError("The wma decoder component could not decode \"" + Input() + "\".");
        return PROCESS_FAILED;
    }
    SetProgress(1.0);
    return PROCESS_DONE;
}

}  // namespace sonvara
