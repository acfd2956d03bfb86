// The frame's project commands: open, close, save and save as, and the caption that names the
// open project. A project holds every open file with its positions, the bookmarks and the
// regions (project/project_file.h); opening one closes the open project first.

#include <QFileInfo>
#include <algorithm>

#include "editor/common/file_window.h"
#include "editor/frame/main_window.h"
#include "editor/places/frame_places.h"
#include "project/project_file.h"

namespace sonvara {

void MainDialog::SetWindowCaption() {
    const std::string& project = places_->project_path;
    setWindowTitle(project.empty()
                       ? QString("Sonvara")
                       : "Sonvara - " +
                             QFileInfo(QString::fromStdString(project)).completeBaseName());
}

void MainDialog::CmOpenProject() {
    const QString path = AskProjectPath(false);
    if (!path.isEmpty()) {
        LoadProject(path.toStdString());
    }
}

void MainDialog::LoadProject(const std::string& path) {
    if (path == places_->project_path || !SaveChangesToProject()) {
        return;
    }
    LSVProject project;
    LSVLoadProject load(path, project);
    const ProcessResult result = RunProcess(load, nullptr);
    // A project that failed part way keeps the files read before the failure.
    std::vector<LSVFileWindow*> opened;
    for (LSVProjectFile& stored : project.files) {
        auto file = std::make_unique<LSVFileWindow>();
        file->SetPath(stored.path);
        file->SetPreviousPath(stored.previous_path);
        if (stored.path.empty()) {
            file->SetUntitledNumber(UntitledIndex());
        }
        file->Document().Audio() = std::move(stored.audio);
        LSVFileWindow* added = AddFileWindow(std::move(file));
        added->Document().Positions() = stored.positions;
        added->RefreshView();
        opened.push_back(added);
    }
    if (result != PROCESS_DONE) {
        prompts_->Ask({"Error",
                       "SonvaraNo puede cargar el proyecto. El proyecto puede estar corrupto o "
                       "dañado. Por favor, trate nuevamente.",
                       PromptIcon::kError, PromptButtons::kOk});
        RefreshPlaces();
        return;
    }
    places_->bookmarks.insert(places_->bookmarks.end(), project.bookmarks.begin(),
                              project.bookmarks.end());
    for (LSVRegion& region : project.regions) {
        places_->regions.push_back(std::move(region));
    }
    places_->project_path = path;
    SetWindowCaption();
    if (!opened.empty()) {
        Activate(opened[std::min<std::size_t>(static_cast<std::size_t>(project.current),
                                              opened.size() - 1)]);
    }
    RefreshPlaces();
}

bool MainDialog::SaveChangesToProject() {
    if (!places_->regions.empty() || !files_.empty()) {
        const PromptAnswer answer =
            prompts_->Ask({"Sonvara", "¿Guardar los cambios del actual proyecto?",
                           PromptIcon::kQuestion, PromptButtons::kYesNoCancel});
        if (answer == PromptAnswer::kCancel || answer == PromptAnswer::kOk) {
            return false;
        }
        if (answer == PromptAnswer::kYes &&
            !(places_->project_path.empty() ? CmSaveProjectAs() : CmSaveProject())) {
            return false;
        }
    }
    CmStop();
    places_->project_path.clear();
    places_->regions.clear();
    const std::vector<LSVFileWindow*> files = files_;
    for (LSVFileWindow* file : files) {
        approved_.push_back(file);
        file->parentWidget()->close();
    }
    places_->bookmarks.clear();
    current_ = nullptr;
    SetWindowCaption();
    RefreshPlaces();
    return true;
}

bool MainDialog::CmCloseProject() {
    return SaveChangesToProject();
}

bool MainDialog::CmSaveProject() {
    CmStop();
    if (current_ == nullptr &&
        prompts_->Ask({"Sonvara",
                       "Este proyecto no contiene ningún archivo.¿Quiere continuar guardándolo?",
                       PromptIcon::kQuestion, PromptButtons::kYesNo}) != PromptAnswer::kYes) {
        return false;
    }
    if (places_->project_path.empty()) {
        return CmSaveProjectAs();
    }
    if (!SaveProject(places_->project_path)) {
        prompts_->Ask({"Error", "SonvaraNo puede guardar el proyecto.", PromptIcon::kError,
                       PromptButtons::kOk});
        return false;
    }
    return true;
}

bool MainDialog::CmSaveProjectAs() {
    CmStop();
    QString path;
    for (;;) {
        path = AskProjectPath(true);
        if (path.isEmpty()) {
            return false;
        }
        if (!QFileInfo::exists(path)) {
            break;
        }
        const PromptAnswer answer = prompts_->Ask(
            {"Sonvara", "Otro proyecto con el mismo nombre ya existe.¿Quiere reemplazarlo?",
             PromptIcon::kQuestion, PromptButtons::kYesNoCancel});
        if (answer == PromptAnswer::kYes) {
            break;
        }
        if (answer != PromptAnswer::kNo) {
            return false;
        }
    }
    if (!SaveProject(path.toStdString())) {
        prompts_->Ask({"Error", "Sonvara could not save the project.", PromptIcon::kError,
                       PromptButtons::kOk});
        return false;
    }
    places_->project_path = path.toStdString();
    SetWindowCaption();
    return true;
}

bool MainDialog::SaveProject(const std::string& path) {
    LSVProject project;
    for (LSVFileWindow* file : files_) {
        project.files.push_back({file->Path(), file->PreviousPath(), file->DisplayName(),
                                 file->Document().Positions(), file->Document().Audio()});
        if (file == current_) {
            project.current = static_cast<int>(project.files.size() - 1);
        }
    }
    project.bookmarks = places_->bookmarks;
    project.regions = places_->regions;
    LSVSaveProject save(path, project);
    return RunProcess(save, current_) == PROCESS_DONE;
}

}  // namespace sonvara
