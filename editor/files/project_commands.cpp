// The project commands: open, close, save and save as, and the caption that names the
// open project. A project holds every open file with its positions, the bookmarks and the
// regions (project/project_file.h); opening one closes the open project first.

#include <QFileInfo>
#include <algorithm>
#include <map>
#include <string>

#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/files/file_controller.h"
#include "editor/places/place_controller.h"
#include "editor/transport/transport_controller.h"
#include "formats/compare_file.h"
#include "project/project_file.h"

namespace sonvara {
namespace {

// How a project's bookmarks name its nth untitled file.
std::string UntitledProjectName(int n) {
    return "Sin título " + std::to_string(n);
}

}  // namespace

QString FileController::Caption() const {
    const std::string& project = places_.Places().project_path;
    return project.empty()
               ? QString("Sonvara")
               : "Sonvara - " + QFileInfo(QString::fromStdString(project)).completeBaseName();
}

void FileController::CmOpenProject() {
    const QString path = workspace_.Questions().AskProjectPath(false);
    if (!path.isEmpty()) {
        LoadProject(path.toStdString());
    }
}

void FileController::LoadProject(const std::string& path) {
    if (path == places_.Places().project_path || !SaveChangesToProject()) {
        return;
    }
    LSVProject project;
    LSVLoadProject load(path, project);
    const ProcessResult result = workspace_.RunProcess(load, nullptr);
    // A project that failed part way keeps the files read before the failure.
    std::vector<LSVFileWindow*> opened;
    for (LSVProjectFile& stored : project.files) {
        auto file = std::make_unique<LSVFileWindow>();
        file->SetPath(stored.path);
        file->SetPreviousPath(stored.previous_path);
        if (stored.path.empty()) {
            file->SetUntitledNumber(workspace_.UntitledIndex());
        }
        file->Document().Audio() = std::move(stored.audio);
        LSVFileWindow* added = workspace_.AddFileWindow(std::move(file));
        added->Document().Positions() = stored.positions;
        added->RefreshView();
        opened.push_back(added);
    }
    // A file whose audio on disk is not the project's (edited since, replaced, gone) is a change
    // the user has not saved: closing it asks.
    for (LSVFileWindow* file : opened) {
        if (file->Path().empty()) {
            continue;
        }
        LSVCompareWithFile compare(file->Path(), file->Document().Audio());
        if (workspace_.RunProcess(compare, file) != PROCESS_DONE || !compare.Same()) {
            file->Document().SetModified(true);
        }
    }
    workspace_.Changed();
    if (result != PROCESS_DONE) {
        workspace_.CurrentPrompts().Ask(
            {"Error",
             "SonvaraNo puede cargar el proyecto. El proyecto puede estar corrupto o "
             "dañado. Por favor, trate nuevamente.",
             PromptIcon::kError, PromptButtons::kOk});
        places_.RefreshPlaces();
        return;
    }
    // The bookmarks of the nth untitled file go with the nth untitled file opened.
    std::map<std::string, std::string> untitled_names;
    for (LSVFileWindow* file : opened) {
        if (file->Path().empty()) {
            untitled_names[UntitledProjectName(static_cast<int>(untitled_names.size()) + 1)] =
                file->DisplayName();
        }
    }
    for (LSVBookMark& mark : project.bookmarks) {
        if (const auto name = untitled_names.find(mark.file); name != untitled_names.end()) {
            mark.file = name->second;
        }
    }
    places_.Places().bookmarks.insert(places_.Places().bookmarks.end(), project.bookmarks.begin(),
                                      project.bookmarks.end());
    for (LSVRegion& region : project.regions) {
        places_.Places().regions.push_back(std::move(region));
    }
    places_.Places().project_path = path;
    emit captionChanged();
    if (!opened.empty()) {
        workspace_.Activate(opened[std::min<std::size_t>(static_cast<std::size_t>(project.current),
                                                         opened.size() - 1)]);
    }
    places_.RefreshPlaces();
}

bool FileController::SaveChangesToProject() {
    if (!places_.Places().regions.empty() || !workspace_.Files().empty()) {
        const PromptAnswer answer =
            workspace_.CurrentPrompts().Ask({"Sonvara", "¿Guardar los cambios del actual proyecto?",
                                             PromptIcon::kQuestion, PromptButtons::kYesNoCancel});
        if (answer == PromptAnswer::kCancel || answer == PromptAnswer::kOk) {
            return false;
        }
        if (answer == PromptAnswer::kYes &&
            !(places_.Places().project_path.empty() ? CmSaveProjectAs() : CmSaveProject())) {
            return false;
        }
    }
    transport_.CmStop();
    places_.Places().project_path.clear();
    places_.Places().regions.clear();
    const std::vector<LSVFileWindow*> files = workspace_.Files();
    for (LSVFileWindow* file : files) {
        CloseApproved(file);
    }
    places_.Places().bookmarks.clear();
    emit captionChanged();
    places_.RefreshPlaces();
    return true;
}

bool FileController::CmCloseProject() {
    return SaveChangesToProject();
}

bool FileController::CmSaveProject() {
    transport_.CmStop();
    if (workspace_.CurrentFile() == nullptr &&
        workspace_.CurrentPrompts().Ask(
            {"Sonvara", "Este proyecto no contiene ningún archivo.¿Quiere continuar guardándolo?",
             PromptIcon::kQuestion, PromptButtons::kYesNo}) != PromptAnswer::kYes) {
        return false;
    }
    if (places_.Places().project_path.empty()) {
        return CmSaveProjectAs();
    }
    if (!SaveProject(places_.Places().project_path)) {
        workspace_.CurrentPrompts().Ask({"Error", "SonvaraNo puede guardar el proyecto.",
                                         PromptIcon::kError, PromptButtons::kOk});
        return false;
    }
    return true;
}

bool FileController::CmSaveProjectAs() {
    transport_.CmStop();
    QString path;
    for (;;) {
        path = workspace_.Questions().AskProjectPath(true);
        if (path.isEmpty()) {
            return false;
        }
        if (!QFileInfo::exists(path)) {
            break;
        }
        const PromptAnswer answer = workspace_.CurrentPrompts().Ask(
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
        workspace_.CurrentPrompts().Ask({"Error", "Sonvara could not save the project.",
                                         PromptIcon::kError, PromptButtons::kOk});
        return false;
    }
    places_.Places().project_path = path.toStdString();
    emit captionChanged();
    return true;
}

bool FileController::SaveProject(const std::string& path) {
    LSVProject project;
    project.bookmarks = places_.Places().bookmarks;
    int untitled = 0;
    for (LSVFileWindow* file : workspace_.Files()) {
        std::string name = file->DisplayName();
        // An untitled file is numbered anew when the project opens: its bookmarks name it by
        // its place among the project's untitled files.
        if (file->Path().empty()) {
            const std::string stored = UntitledProjectName(++untitled);
            for (LSVBookMark& mark : project.bookmarks) {
                if (mark.file == name) {
                    mark.file = stored;
                }
            }
            name = stored;
        }
        project.files.push_back({file->Path(), file->PreviousPath(), name,
                                 file->Document().Positions(), file->Document().Audio()});
        if (file == workspace_.CurrentFile()) {
            project.current = static_cast<int>(project.files.size() - 1);
        }
    }
    project.regions = places_.Places().regions;
    LSVSaveProject save(path, project);
    return workspace_.RunProcess(save, workspace_.CurrentFile()) == PROCESS_DONE;
}

}  // namespace sonvara
