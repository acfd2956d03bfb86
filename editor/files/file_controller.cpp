// The file room: new, open, save, save as and close, the close check of every file window,
// and the recent-file list that a closing file joins.

#include <QFileInfo>
#include <algorithm>
#include <ctime>

#include "core/settings.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/files/file_controller.h"
#include "editor/files/file_properties_dialog.h"
#include "editor/files/new_wav_dialog.h"
#include "editor/places/place_controller.h"
#include "editor/transport/transport_controller.h"
#include "editor_model/recent_files.h"
#include "formats/format_table.h"
#include "formats/tag_file.h"

namespace sonvara {
FileController::FileController(EditorWorkspace& workspace, TransportController& transport,
                               PlaceController& places)
    : workspace_(workspace), transport_(transport), places_(places) {
    connect(&workspace_, &EditorWorkspace::fileAdded, this, [this](LSVFileWindow* file) {
        file->SetCloseCheck([this](LSVFileWindow* closing) { return ApproveClose(closing); });
    });
    connect(&workspace_, &EditorWorkspace::fileClosing, this, [this](LSVFileWindow* file) {
        AddToRecentFileList(file->Path(), static_cast<std::int64_t>(std::time(nullptr)));
        emit recentFilesChanged();
    });
}

void FileController::CmNew() {
    int rate = ReadInt("Settings", "DefaultSampleRate", 44100);
    int channels = ReadInt("Settings", "DefaultChannels", 1);
    if (ReadBool("Settings", "PromptSampleAndChannels", true)) {
        NewWavDlg dialog(workspace_.CurrentPrompts(), workspace_.Frame());
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        rate = dialog.SampleRate();
        channels = dialog.Channels();
    }
    auto file = std::make_unique<LSVFileWindow>();
    file->Document().Audio().SetFormat(rate, channels == 2 ? 2 : 1);
    file->SetUntitledNumber(workspace_.UntitledIndex());
    workspace_.AddFileWindow(std::move(file));
}

void FileController::CmOpen() {
    OpenFiles(workspace_.Questions().AskOpenFiles());
}

void FileController::OpenFiles(const QStringList& paths) {
    bool ask_raw_format = true;
    bool loaded = false;
    for (const QString& path : paths) {
        const std::string name = path.toStdString();
        if (LSVFileWindow* open = workspace_.FindOpenFile(name)) {
            workspace_.Activate(open);
            continue;
        }
        // Only the first file that loads asks for the raw settings; the rest use them.
        if (LoadFile(name, ask_raw_format)) {
            ask_raw_format = false;
            loaded = true;
        }
    }
    workspace_.Changed();
    // The General page's "play when opened": the file opened last (the one in front) plays. As
    // a play the user did not start, a missing output is told once, not at every open.
    if (loaded && ReadBool("Settings", "PlayWhenOpen", true)) {
        transport_.PlayFrom(workspace_.CurrentFile(), 0);
    }
}

bool FileController::LoadFile(const std::string& path, bool ask_raw_format, bool as_untitled) {
    auto file = std::make_unique<LSVFileWindow>();
    if (!workspace_.LoadAudio(path, file->Document().Audio(), ask_raw_format, nullptr)) {
        return false;
    }
    // The tags the file has are the document's own, not a change.
    file->Document().SetTags(ReadFileTags(path));
    file->Document().SetModified(as_untitled);
    if (as_untitled) {
        file->SetUntitledNumber(workspace_.UntitledIndex());
    } else {
        file->SetPath(path);
    }
    places_.LoadBookMarkList(workspace_.AddFileWindow(std::move(file)));
    return true;
}

bool FileController::SaveFile(LSVFileWindow* file, SaveMode mode) {
    LEditDocument& document = file->Document();
    bool made_mono = false;
    // A VOX save makes a stereo document mono first, as an edit the user can undo.
    LSVSaveToSink save(document.Audio(), file->Path(), mode, [&] {
        workspace_.StopPlaying(file);
        document.StartModifyCurrentFile("Convertir a Mono");
        made_mono = true;
    });
    // The samples keep the width of the file the document came from (a save under a new name
    // too, where the new format holds it), and the document's tags go with them.
    save.SetOptions({file->PreviousPath(), {}, document.Tags(), {}});
    const ProcessResult result = workspace_.RunProcess(save, file);
    if (result != PROCESS_DONE && made_mono) {
        document.CancelModifyCurrentFile();  // a failed save leaves the document as it was
    }
    file->RefreshView();
    if (result == PROCESS_DONE) {
        // The bookmarks follow the audio only once it is in place.
        places_.SaveBookMarkList(file);
        document.SetModified(false);
    } else {
        file->SetPath(file->PreviousPath());
    }
    workspace_.Changed();
    return result == PROCESS_DONE;
}

bool FileController::SaveAs(LSVFileWindow* file) {
    const QString path = workspace_.AskPathToWrite(
        [&] { return workspace_.Questions().AskSaveAsPath(QString::fromStdString(file->Path())); });
    if (path.isEmpty()) {
        return false;
    }
    file->SetPreviousPath(file->Path());
    file->SetPath(path.toStdString());
    return SaveFile(file, SaveMode::kNewName);
}

void FileController::CmFileProperties() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    FilePropertiesDlg dialog(file->Path(), file->DisplayName(), file->Document(),
                             workspace_.Frame());
    if (dialog.exec() == QDialog::Accepted) {
        file->Document().SetTags(dialog.Tags());
        workspace_.Changed();
    }
}

bool FileController::CmSave() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return false;
    }
    if (file->Path().empty()) {
        return SaveAs(file);
    }
    if (const FileFormat* format = FileFormatOf(file->Path()); format && !format->writes) {
        const std::string text =
            format->decoder == ExternalDecoder::kRealAudio
                ? "Guardar en formato de archivo de audio real no es posible. ¿Quiere guardar en "
                  "otro formato (wav, mp3, gsm, vox)?"
                : std::string("Guardar en formato ") + format->name +
                      " no es posible. ¿Quiere guardar en otro formato?";
        const PromptAnswer answer = workspace_.CurrentPrompts().Ask(
            {"Sonvara", text, PromptIcon::kQuestion, PromptButtons::kYesNoCancel});
        return answer == PromptAnswer::kYes && SaveAs(file);
    }
    file->SetPreviousPath(file->Path());
    return SaveFile(file, SaveMode::kPlain);
}

bool FileController::CmSaveAs() {
    LSVFileWindow* file = workspace_.CurrentFile();
    return file != nullptr && SaveAs(file);
}

bool FileController::SaveChanges(LSVFileWindow* file) {
    if (!file->IsModified()) {
        return true;
    }
    const PromptAnswer answer = workspace_.CurrentPrompts().Ask(
        {"Sonvara", "Guarde los cambios en \"" + file->DisplayName() + "\"?", PromptIcon::kQuestion,
         PromptButtons::kYesNoCancel});
    if (answer == PromptAnswer::kCancel || answer == PromptAnswer::kOk) {
        return false;
    }
    if (answer == PromptAnswer::kYes) {
        // The close goes on whatever the save's outcome.
        if (file->Path().empty()) {
            SaveAs(file);
        } else {
            file->SetPreviousPath(file->Path());
            SaveFile(file, SaveMode::kPlain);
        }
    }
    return true;
}

bool FileController::ApproveClose(LSVFileWindow* file) {
    auto approved = std::find(approved_.begin(), approved_.end(), file);
    if (approved != approved_.end()) {
        approved_.erase(approved);
    } else if (!SaveChanges(file)) {
        return false;
    }
    workspace_.Forget(file);
    return true;
}

void FileController::CloseApproved(LSVFileWindow* file) {
    approved_.push_back(file);
    file->parentWidget()->close();
}

bool FileController::CmClose() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr || !SaveChanges(file)) {
        return false;
    }
    CloseApproved(file);
    return true;
}

bool FileController::CmCloseAll() {
    const std::vector<LSVFileWindow*> files = workspace_.Files();
    for (LSVFileWindow* file : files) {
        if (!SaveChanges(file)) {
            return false;
        }
    }
    for (LSVFileWindow* file : files) {
        CloseApproved(file);
    }
    return true;
}

}  // namespace sonvara
