// The frame's region commands: a region of the selection, the region window, and what that
// window asks of the frame: a region copied into a new file, regions put together into a new
// file, a region saved as an audio file.

#include <algorithm>

#include "editor/common/file_window.h"
#include "editor/frame/main_window.h"
#include "editor/places/assemble_region_dialog.h"
#include "editor/places/frame_places.h"
#include "project/assemble_regions.h"
#include "project/record_fields.h"

namespace sonvara {

void MainDialog::CmSetRegion() {
    LSVFileWindow* file = current_;
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
    std::vector<LSVRegion>& regions = places_->regions;
    std::optional<std::string> name;
    for (;;) {
        name = AskName("Región", "Ingrese el nombre de la región", proposed);
        if (!name) {
            return;
        }
        const auto same =
            std::find_if(regions.begin(), regions.end(),
                         [&](const LSVRegion& region) { return region.name == *name; });
        if (same == regions.end()) {
            break;
        }
        const PromptAnswer answer = prompts_->Ask(
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

void MainDialog::CmOpenRegionLibrary() {
    if (places_->region_window == nullptr) {
        places_->region_window = new RegionDlg(*this);
    }
    places_->region_window->show();
    places_->region_window->raise();
    places_->region_window->activateWindow();
}

void MainDialog::CmAssembleRegions() {
    AssembleRegionDlg dialog(*this);
    if (dialog.exec() == QDialog::Accepted) {
        AssembleRegions(dialog.Order());
    }
}

void MainDialog::CopyRegionToNew(std::size_t index) {
    if (index >= places_->regions.size()) {
        return;
    }
    OpenAsNewFile(places_->regions[index].audio);
}

bool MainDialog::AssembleRegions(const std::vector<std::size_t>& order) {
    std::vector<const LCutListAudio*> parts;
    for (std::size_t index : order) {
        if (index < places_->regions.size()) {
            parts.push_back(&places_->regions[index].audio);
        }
    }
    LCutListAudio result;
    const AssembleOptions options = ReadAssembleOptions();
    if (RunProcess(
            [&](ProcessHost& host) {
                return sonvara::AssembleRegions(parts, options, host, result);
            },
            nullptr) != PROCESS_DONE) {
        return false;
    }
    OpenAsNewFile(std::move(result));
    return true;
}

void MainDialog::SaveRegion(std::size_t index) {
    if (index >= places_->regions.size()) {
        return;
    }
    const QString path = AskPathToWrite([this] { return AskRegionPath(); });
    if (path.isEmpty()) {
        return;
    }
    // A copy: a save that makes the sound mono (VOX) leaves the region as it is.
    LCutListAudio audio = places_->regions[index].audio;
    LSVSaveToSink save(audio, path.toStdString(), SaveMode::kNewName);
    RunProcess(save, nullptr);
}

}  // namespace sonvara
