// The bookmark commands: setting a bookmark at the cursor, the bookmark window, going to
// a bookmark, and the bookmark list file read after a file loads and written before it is saved.

#include <algorithm>
#include <ctime>

#include "core/settings.h"
#include "editor/common/dialog_parts.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/places/place_controller.h"
#include "editor/transport/transport_controller.h"
#include "project/record_fields.h"

namespace sonvara {
namespace {

std::uint32_t Now() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

// The display name `file` had under its previous path.
std::string PreviousDisplayName(const LSVFileWindow& file) {
    const std::string& path = file.PreviousPath();
    if (path.empty()) {
        return "Sin título " + std::to_string(file.UntitledNumber());
    }
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void PlaceController::CmSetBookMark() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    const LEditDocument& document = file->Document();
    const std::uint32_t ms =
        FramesToMilliseconds(document.Positions().cursor, document.Audio().GetSampleRate());
    const std::optional<std::string> name = workspace_.AskName(
        "Marcador (Bookmark)", "Ingrese el nombre del marcador (Bookmark)",
        QString::fromStdString(file->DisplayName() + "@" + MillisecondsText(ms)));
    if (!name) {
        return;
    }
    std::vector<LSVBookMark>& list = places_.bookmarks;
    const auto same = std::find_if(list.begin(), list.end(),
                                   [&](const LSVBookMark& mark) { return mark.name == *name; });
    if (same != list.end()) {
        const PromptAnswer answer =
            workspace_.CurrentPrompts().Ask({"El Marcador (BookMark) Existe",
                                             "Esta marca de nombre ya existe.¿Quiere reemplazarla?",
                                             PromptIcon::kQuestion, PromptButtons::kYesNoCancel});
        if (answer == PromptAnswer::kCancel || answer == PromptAnswer::kOk) {
            return;
        }
        if (answer == PromptAnswer::kYes) {
            list.erase(same);
        }
    }
    list.push_back({*name, file->DisplayName(), ms, 1, Now()});
    file->Document().SetModified(true);
    RefreshPlaces();
}

void PlaceController::CmOpenBookMark() {
    if (places_.bookmark_window == nullptr) {
        places_.bookmark_window = new BookMarkDlg(*this);
    }
    BringForward(*places_.bookmark_window);
}

void PlaceController::GoToBookMark(std::size_t index) {
    if (index >= places_.bookmarks.size()) {
        return;
    }
    LSVBookMark& mark = places_.bookmarks[index];
    mark.visits = static_cast<std::uint8_t>(std::min(mark.visits + 1, 255));
    mark.last_visit = Now();
    const auto file =
        std::find_if(workspace_.Files().begin(), workspace_.Files().end(),
                     [&](LSVFileWindow* open) { return open->DisplayName() == mark.file; });
    if (file == workspace_.Files().end()) {
        RefreshPlaces();
        return;
    }
    workspace_.Activate(*file);
    LEditDocument& document = (*file)->Document();
    const std::int32_t frame = static_cast<std::int32_t>(std::min<std::int64_t>(
        MillisecondsToFrames(mark.position_ms, document.Audio().GetSampleRate()),
        document.Audio().GetLength()));
    workspace_.ModifySelection(frame, frame, frame);
    (*file)->MoveCursor(frame);
    if (ReadBool("Settings", "PlayBookMark", false)) {
        transport_.PlayFrom(*file, frame);
    }
    RefreshPlaces();
}

void PlaceController::LoadBookMarkList(LSVFileWindow* file) {
    std::vector<LSVBookMark> read;
    const BookMarkListResult result =
        sonvara::LoadBookMarkList(BookMarkListPath(file->Path()), read);
    if (result == BookMarkListResult::kOtherVersion || result == BookMarkListResult::kDamaged) {
        workspace_.CurrentPrompts().Ask(
            {"Error de Archivo", kStoredVersionMessage, PromptIcon::kWarning, PromptButtons::kOk});
        return;
    }
    // The marks belong to this file whatever name it had when they were written.
    for (LSVBookMark& mark : read) {
        mark.file = file->DisplayName();
        places_.bookmarks.push_back(mark);
    }
    RefreshPlaces();
}

bool PlaceController::SaveBookMarkList(LSVFileWindow* file) {
    // A save under a new name takes the file's marks with it.
    const std::string before = PreviousDisplayName(*file);
    for (LSVBookMark& mark : places_.bookmarks) {
        if (mark.file == before) {
            mark.file = file->DisplayName();
        }
    }
    std::string error;
    if (!sonvara::SaveBookMarkList(BookMarkListPath(file->Path()), places_.bookmarks,
                                   file->DisplayName(), error)) {
        workspace_.CurrentPrompts().Ask(
            {"Error de Archivo", error, PromptIcon::kWarning, PromptButtons::kOk});
        return false;
    }
    return true;
}

void PlaceController::ForgetBookMarks(const LSVFileWindow* file) {
    const std::string name = file->DisplayName();
    const bool shared = std::any_of(
        workspace_.Files().begin(), workspace_.Files().end(),
        [&](LSVFileWindow* open) { return open != file && open->DisplayName() == name; });
    if (!shared) {
        std::erase_if(places_.bookmarks,
                      [&](const LSVBookMark& mark) { return mark.file == name; });
    }
}

}  // namespace sonvara

namespace sonvara {

void PlaceController::RefreshPlaces() {
    if (places_.bookmark_window != nullptr) {
        places_.bookmark_window->Refresh();
    }
    if (places_.region_window != nullptr) {
        places_.region_window->Refresh();
    }
    for (LSVFileWindow* file : workspace_.Files()) {
        ShowPlacesIn(file);
    }
    workspace_.Changed();
}

}  // namespace sonvara
