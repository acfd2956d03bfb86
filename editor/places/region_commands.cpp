// The region commands: a region of the selection, the region window, and what that
// window asks for: a region copied into a new file, regions put together into a new
// file, a region saved as an audio file.

#include <algorithm>

#include "document/edit_commands.h"
#include "editor/common/dialog_parts.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/places/assemble_region_dialog.h"
#include "editor/places/place_controller.h"
#include "formats/load_save.h"
#include "project/assemble_regions.h"
#include "project/record_fields.h"

namespace sonvara {

void PlaceController::CmSetRegion() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    const LEditDocument& document = file->Document();
    const FrameRange range = ClampedSelection(document);
    const std::int32_t rate = document.Audio().GetSampleRate();
    const std::uint32_t start_ms = FramesToMilliseconds(range.start, rate);
    const std::uint32_t end_ms = FramesToMilliseconds(std::max(range.start, range.end), rate);
    QString proposed = QString::fromStdString(
        file->DisplayName() + "@" + MillisecondsText(start_ms) + "-" + MillisecondsText(end_ms));
    std::vector<LSVRegion>& regions = places_.regions;
    std::optional<std::string> name;
    for (;;) {
        name = workspace_.AskName("Región", "Ingrese el nombre de la región", proposed);
        if (!name) {
            return;
        }
        const auto same =
            std::find_if(regions.begin(), regions.end(),
                         [&](const LSVRegion& region) { return region.name == *name; });
        if (same == regions.end()) {
            break;
        }
        const PromptAnswer answer = workspace_.CurrentPrompts().Ask(
            {"Sonvara", "Una región con el mismo nombre ya existe.¿Quiere reemplazarla?",
             PromptIcon::kQuestion, PromptButtons::kYesNoCancel});
        if (answer == PromptAnswer::kYes) {
            regions.erase(same);
            break;
        }
        if (answer != PromptAnswer::kNo) {
            return;
        }
        proposed = QString::fromStdString(*name);
    }
    LSVRegion region{*name, file->Path(), start_ms, end_ms, {}};
    document.Audio().EfCopy(range.start, std::max(range.start, range.end), region.audio);
    regions.push_back(std::move(region));
    RefreshPlaces();
}

void PlaceController::CmOpenRegionLibrary() {
    if (places_.region_window == nullptr) {
        places_.region_window = new RegionDlg(*this);
    }
    BringForward(*places_.region_window);
}

void PlaceController::CmAssembleRegions() {
    AssembleRegionDlg dialog(*this);
    if (dialog.exec() == QDialog::Accepted) {
        AssembleRegions(dialog.Order());
    }
}

void PlaceController::CopyRegionToNew(std::size_t index) {
    if (index >= places_.regions.size()) {
        return;
    }
    workspace_.OpenAsNewFile(places_.regions[index].audio);
}

bool PlaceController::AssembleRegions(const std::vector<std::size_t>& order) {
    std::vector<const LCutListAudio*> parts;
    for (std::size_t index : order) {
        if (index < places_.regions.size()) {
            parts.push_back(&places_.regions[index].audio);
        }
    }
    LCutListAudio result;
    const AssembleOptions options = ReadAssembleOptions();
    if (workspace_.RunProcess(
            [&](ProcessHost& host) {
                return sonvara::AssembleRegions(parts, options, host, result);
            },
            nullptr) != PROCESS_DONE) {
        return false;
    }
    workspace_.OpenAsNewFile(std::move(result));
    return true;
}

void PlaceController::SaveRegion(std::size_t index) {
    if (index >= places_.regions.size()) {
        return;
    }
    const QString path =
        workspace_.AskPathToWrite([this] { return workspace_.Questions().AskRegionPath(); });
    if (path.isEmpty()) {
        return;
    }
    // A copy: a save that makes the sound mono (VOX) leaves the region as it is.
    LCutListAudio audio = places_.regions[index].audio;
    LSVSaveToSink save(audio, path.toStdString(), SaveMode::kNewName);
    workspace_.RunProcess(save, nullptr);
}

}  // namespace sonvara
