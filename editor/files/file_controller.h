#pragma once
// FileController: the room of files and projects. New, open (also the recent files and files
// handed over or dropped), the CD import, save and save as, close, the recovery of the files an
// editor that died left unsaved, and the projects: open, close, save and save as. It asks before a
// modified file closes and keeps the recent-file list. Interface thread only.

#include <QObject>
#include <QStringList>
#include <string>
#include <vector>

#include "formats/load_save.h"

namespace sonvara {

class CdDriveList;
class EditorWorkspace;
class LSVFileWindow;
class PlaceController;
class TransportController;

class FileController : public QObject {
    Q_OBJECT

  public:
    FileController(EditorWorkspace& workspace, TransportController& transport,
                   PlaceController& places);

    // The CD drives the import offers (null: the machine's own); `drives` must outlive the
    // controller.
    void SetCdDrives(CdDriveList* drives) { cd_drives_ = drives; }

    // A new empty file, in the format the settings give or the dialog asks.
    void CmNew();
    // The open dialog, then OpenFiles.
    void CmOpen();
    // Opens `paths` in order: an open file comes to the front, only the first that loads asks
    // for a raw file's format.
    void OpenFiles(const QStringList& paths);
    // Opens `path`, with its bookmarks; `as_untitled`: audio with no file of its own (the speech
    // of a text), untitled and modified. False when it could not be read or was cancelled.
    bool LoadFile(const std::string& path, bool ask_raw_format, bool as_untitled = false);
    // Imports the CD tracks the user picks and opens them.
    void CmLoadCDTrack();
    // Opens, as modified untitled files, the unsaved files and recordings that an editor which
    // died left in the working folder, and says so.
    void RecoverUnsavedFiles();
    // Saves the current file (asking its name when it has none); false when it was not saved.
    bool CmSave();
    bool CmSaveAs();
    // The current file's properties and tags; edited tags become the document's.
    void CmFileProperties();
    // Closes the current file, or every file, asking about each modified one; false when the
    // user cancelled.
    bool CmClose();
    bool CmCloseAll();

    void CmOpenProject();
    // Opens the project at `path` after closing the open one (asking to save it).
    void LoadProject(const std::string& path);
    bool CmCloseProject();
    bool CmSaveProject();
    bool CmSaveProjectAs();
    // The frame's caption: "Sonvara", with the open project's name.
    QString Caption() const;

  signals:
    void recentFilesChanged();
    void captionChanged();

  private:
    bool SaveFile(LSVFileWindow* file, SaveMode mode);
    bool SaveAs(LSVFileWindow* file);
    // Asks whether to save a modified file; false when the user cancelled.
    bool SaveChanges(LSVFileWindow* file);
    // The close check of a file window: asks unless the question was answered already.
    bool ApproveClose(LSVFileWindow* file);
    // Closes `file`'s window without asking again.
    void CloseApproved(LSVFileWindow* file);
    // Asks whether to save the open project (when a file or region is open) and closes it,
    // discarding its files without asking about each; false when the user cancelled.
    bool SaveChangesToProject();
    bool SaveProject(const std::string& path);

    EditorWorkspace& workspace_;
    TransportController& transport_;
    PlaceController& places_;
    CdDriveList* cd_drives_ = nullptr;
    std::vector<LSVFileWindow*> approved_;  // closes whose question was answered already
};

}  // namespace sonvara
