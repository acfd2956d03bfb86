#pragma once
// MainDialog: the editor's frame ("LMMWC"): the MDI area with one LSVFileWindow per open file,
// the menus, tool bar and file-window context menu built from the command table, the status field
// with the four time fields, and the runtime the processes run against (the Qt message loop, the
// progress dialog and the prompts). Every command's action carries its id in the "commandId"
// property. Commands act on the file whose window is active; a command that runs a process or a
// dialog gives the activation back to its file afterwards. Files dropped on the frame open.
//
// The frame owns the transport (one player on a wave output) and follows playback: the play
// cursor moves in both views of the playing file's window at the screen's refresh, and the
// cursor's time field with it. Playback stops before the playing file closes or its document
// changes.
//
// The file dialogs are virtual so that a test can answer them; the prompts can be replaced for
// the same reason, and the wave outputs are given at construction (the system's ALSA devices
// when none are). Interface thread only.

#include <QMainWindow>
#include <QRect>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/progress_dialog.h"
#include "document/edit_commands.h"
#include "editor/common/qt_runtime.h"
#include "editor/frame/command_table.h"
#include "editor_model/effect_preview.h"
#include "editor_model/macro_keys.h"
#include "editor_model/transport.h"
#include "formats/load_save.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;

namespace sonvara {

class CdDriveList;
class LDBDisplay;
struct FramePlaces;
class LSVFileWindow;
class WaveInProvider;
class WaveOutProvider;
struct MixPasteParameters;
struct EffectEntry;

// The time fields of the status bar, in their order there.
enum class TimeField { kSelectionStart, kSelectionEnd, kSelectionLength, kCursor };

// `frame` moved and cut so that it lies inside `desktop`.
QRect ClipToDesktop(QRect frame, const QRect& desktop);

class MainDialog : public QMainWindow, private TransportHost {
    Q_OBJECT

  public:
    // Plays on the system's outputs.
    MainDialog();
    // Plays on `outputs`.
    explicit MainDialog(std::unique_ptr<WaveOutProvider> outputs);
    ~MainDialog() override;

    // Questions go to `prompts` from now on (null: the message boxes again). Not owned.
    void SetPrompts(Prompts* prompts);
    // The CD drives the import offers (null: the machine's own); `drives` must outlive the frame.
    void SetCdDrives(CdDriveList* drives) { cd_drives_ = drives; }
    // The wave inputs recordings come from (null: the machine's own); `inputs` must outlive the
    // frame.
    void SetWaveInputs(WaveInProvider* inputs) { inputs_ = inputs; }
    Prompts& CurrentPrompts() { return *prompts_; }
    QtProgressView& ProgressDialog() { return progress_; }

    QAction* Action(int command) const;
    QToolBar* ToolBar() const { return tool_bar_; }
    // The window menu's entries for the open windows, in opening order, as it shows them.
    std::vector<QAction*> WindowListActions();
    const std::vector<LSVFileWindow*>& Files() const { return files_; }
    LSVFileWindow* CurrentFile() const { return current_; }
    QMdiArea* MdiArea() const { return mdi_; }
    QString StatusText() const;
    // The text a time field shows; refreshed every 500 ms and shortly after a view's marks moved.
    QString TimeFieldText(TimeField field) const;
    // The recent-file entries of the file menu, in menu order.
    std::vector<QAction*> RecentFileActions() const;

    // Shows the frame maximized or at its stored place ("MainWindow" in the settings).
    void ShowPlaced();

    // Opens, as modified untitled files, the unsaved files and recordings that an editor which
    // died left in the working folder, and says so.
    void RecoverUnsavedFiles();
    // Opens `paths` in order as the open command does after its dialog.
    void OpenFiles(const QStringList& paths);
    // A second start handed over `paths` (perhaps none): the frame comes to the front, restored
    // when minimized, and opens the files.
    void OpenHandedOver(const QStringList& paths);
    // Makes `file` the current file and activates its window.
    void Activate(LSVFileWindow* file);

    LTransport& Transport() { return *transport_; }
    // A preview for an effect dialog of the current file (null when there is none) on the
    // transport's player and the chosen output; what played stops first.
    std::unique_ptr<LEffectPreview> MakeEffectPreview();
    // The file whose document plays, or null.
    LSVFileWindow* PlayingFile() const;
    // The tool bar's level meter, showing the levels of the sound heard.
    LDBDisplay* LevelMeter() const { return meter_; }
    // Whether Shift is held now (a Shift-click on play loops).
    bool ShiftHeld() const;

    // The modification pattern of the commands that change the current file's document: stop
    // playback and record an undo point named `name`; then, after the change, put the cursor at
    // `pos`, redraw, and (with "AutoPlaybackAfterEffects") play from `preroll` frames earlier.
    void StartModifyCurrentFile(const std::string& name);
    void EndModifyCurrentFile(std::int32_t pos, std::int32_t preroll);

    // The selection model of the current file. ModifySelection stores the selection [start, end)
    // and the cursor in its document, within [0, length], and calls ApplySelection, which shows
    // them: the four time fields, the marks and the cursor in both views, and the menus when the
    // selection's validity changed. A view's mouse selection is stored and drawn in both views at
    // once, and applied 50 ms later, so that a drag does not rewrite the fields at every step.
    void ModifySelection(std::int32_t start, std::int32_t end, std::int32_t cursor);
    void ApplySelection();

    // One effect with its values, as applied and as repeated: the name of its undo step, and its
    // run on a selection of a document (a run that changes the selection's length moves the
    // range's end to the end of the changed audio).
    struct AppliedEffect {
        std::string name;
        std::function<ProcessResult(ProcessHost& host, LCutListAudio& document, FrameRange& range)>
            run;
    };

    // The internal clipboard, shared by every open file.
    const LAudioClipboard& Clipboard() const { return clipboard_; }
    // Whether the internal clipboard holds at least a millisecond of audio to paste.
    bool ClipboardHoldsAudio() const;

    // The bookmarks and regions of every file, the open project and their windows
    // (frame_places.h).
    FramePlaces& Places() { return *places_; }
    // Goes to bookmark `index`: counts the visit and, when its file is open, makes that file
    // current with the cursor at the mark (playing from there with "PlayBookMark").
    void GoToBookMark(std::size_t index);
    // The bookmark and region windows and the marks in the views show the lists anew.
    void RefreshPlaces();
    // Regions: a new untitled file holding region `index`, marked modified; the regions given,
    // in order, put together into a new untitled file (false when that failed or was cancelled);
    // region `index` saved as an audio file the user names.
    void CopyRegionToNew(std::size_t index);
    bool AssembleRegions(const std::vector<std::size_t>& order);
    void SaveRegion(std::size_t index);
    // Opens the project at `path` after closing the open one (asking to save it).
    void LoadProject(const std::string& path);
    // The key macros, filled from "keys.dat" at start; the options' keys page edits them.
    std::vector<LSVMacroKeys>& Macros() { return macros_; }
    // Runs the first macro bound to `key` (a key value), each command to its end before the
    // next; false when no macro is bound to it. Key presses in the frame come here before its
    // own keys, so a macro wins over a built-in key.
    bool ProcessMacroKeyDown(std::uint32_t key);

  public slots:
    void CmNew();
    void CmOpen();
    // Imports the CD tracks the user picks and opens them.
    void CmLoadCDTrack();
    bool CmSave();
    bool CmSaveAs();
    bool CmClose();
    bool CmCloseAll();
    void CmConvertSampleRate();
    void CmConvertChannel(int channels);
    // The options sheet; after a change of the working folder the editor closes.
    void CmOptions();
    // The edit commands on the current file: each stops its playback first, changes the document
    // as one undoable step (nothing without the selection it needs) and shows the result.
    void CmUndo();
    void CmRedo();
    void CmCut();
    // Copy also offers the copied audio on the system clipboard, rendered as a WAV when another
    // program asks for it.
    void CmCopy();
    // Behind the progress dialog, as the clipboard may be converted to the file's format first.
    void CmPaste();
    // Pastes the WAV data or WAV file another program put on the system clipboard; what cannot
    // be read is refused with its reason before anything changes.
    void CmPasteFromSystem();
    void CmClear();
    void CmTrim();
    void CmTrimStart();
    void CmTrimEnd();
    void CmEditSilence();
    // Mixes the internal clipboard, or (`from_system`) what another program put on the system
    // clipboard, into the selection, as the mix dialog asks. The undo point comes before the
    // dialog and stays when it is cancelled; a failed or cancelled mix takes it back.
    void CmPasteMix(bool from_system);
    // Mixes a chosen audio file into the selection, as the mix dialog asks.
    void CmMixFile();
    // The selection again after itself, as many times as the repeat dialog asks.
    void CmRepeatLoop();
    // Removes the quiet start and end of the file ("AutoTrimThreshold" in [Settings]).
    void CmAutoTrim();
    // Silence of the length the dialog asks, or a chosen audio file, at the start, the cursor or
    // the end.
    void CmInsertSilence(InsertPlace place);
    void CmInsertFile(InsertPlace place);
    // A new untitled file holding the selection, modified; neither file records an undo step.
    void CmCopyToNew();
    // An effect of the registry on the current file's selection (effect_commands.cpp): it asks
    // its values (from the stored ones, stored back on OK) where it has any, then changes the
    // selection as one undoable step behind the progress dialog; a cancelled or failed effect
    // leaves the document as it was. A change of length leaves the selection on the changed
    // audio.
    void CmEffect(const EffectEntry& effect);
    // The last effect applied, with the same values, on the current selection, without a dialog.
    void CmRepeatEffect();
    // Bookmarks, regions and projects (bookmark_commands.cpp, region_commands.cpp,
    // project_commands.cpp).
    void CmSetBookMark();
    void CmOpenBookMark();
    void CmSetRegion();
    void CmOpenRegionLibrary();
    void CmAssembleRegions();
    void CmOpenProject();
    bool CmCloseProject();
    bool CmSaveProject();
    bool CmSaveProjectAs();
    void CmSelectAll();
    void CmSelectToStart();
    void CmSelectToEnd();
    void CmStart();
    void CmEnd();
    // Play (F9): the selection, or from the cursor; `loop`: again and again.
    void CmPlay(bool loop = false);
    // Stores "PlaySpeed" (0 slow, 1 normal, 2 fast) and plays.
    void CmPlayAtSpeed(int speed);
    void CmStop();
    // Scrub (Space): plays when idle, then loops a snippet at the heard place.
    void CmScrub();
    // The winds while held (keys, tool-bar buttons); `select`: the selection follows the cursor.
    void PressWind(Wind wind, bool select = false);
    void ReleaseWind(Wind wind);
    // Records in the record dialog into the current file (a new one when none is open), in place
    // of its selection, as one undoable step "Record" for each recording handed over.
    void CmRecord();
    // The player dialog over the current file's sound, on the frame's player: what plays stops
    // first, and the frame's transport has the player back when the dialog closes.
    void CmPlayer();
    // A menu's wind: starts it, or ends it when it runs.
    void CmToggleWind(Wind wind);
    // Hands the current file, saved first when modified or untitled, to the desktop's mail
    // program as an attachment of a new mail.
    void CmSend();
    // Reads a text aloud into a new untitled file through the speech synthesizer.
    void CmTextToSpeech();
    // Opens the user manual in the desktop's browser.
    void CmHelp();
    void CmAbout();
    // Side by side (`across`) or one above the other, sharing the area evenly.
    void CmTile(bool across);
    // The minimized windows in a row along the bottom of the area, wrapping upwards.
    void CmArrangeIcons();
    // The spectrum at the cursor in a window that follows the current file (not modal).
    void CmFrequencyAnalyze();
    // A new file of a tone, DTMF digits or noise, as the tone generator's dialog asks.
    void CmToneGenerator();
    // The batch converter: the files, the command list and where the results go, each on its
    // page, then the run in its own window.
    void CmBatchConverter();

  protected:
    // The open dialog: the chosen files, none when cancelled.
    virtual QStringList AskOpenFiles();
    // The save dialog: the chosen path, empty when cancelled.
    virtual QString AskSaveAsPath(const QString& current);
    // The dialog choosing one file to mix or insert ("Open Audio Files"), starting in the folder
    // kept as `folder` in [Settings] and keeping the chosen one there: its path, empty when
    // cancelled.
    virtual QString AskAudioFile(const char* folder);
    // The one-line text dialog: the text typed (at most 259 bytes), nothing when cancelled.
    virtual std::optional<std::string> AskName(const QString& title, const QString& prompt,
                                               const QString& proposed);
    // The project dialogs ("Abrir Proyecto", "Guardar el Proyecto como") and the region's save
    // dialog: the chosen path, empty when cancelled.
    virtual QString AskProjectPath(bool save);
    virtual QString AskRegionPath();
    // The save dialog titled `title` with the audio formats under `filter`, starting at `start`;
    // the chosen path, whose folder is kept as `folder` in [Settings]; empty when cancelled.
    QString AskAudioSavePath(const QString& title, const char* folder, const QString& start,
                             const char* filter);
    // A path from `ask` until it names no file or the user agrees to replace the file it names
    // (No asks again): that path, empty when the user cancels.
    QString AskPathToWrite(const std::function<QString()>& ask);

    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The transport's keys, which act on press and release: the winds, scrub.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Reads the macros of "keys.dat"; a file of another version is said after the start.
    void LoadMacros();
    // A key press or shortcut check in the frame bound to a macro: the macro runs at the first
    // press, a held key's repeats do nothing, and no shortcut sees the key. False for other keys.
    bool FilterMacroKey(QObject* watched, QEvent* event);

    // TransportHost
    void DeviceFailed(const std::string& reason) override;
    void PlaybackEnded(const std::string& reason) override;
    void LevelsChanged(const SoundLevels& levels) override;
    // Moves the play cursor to the frame heard now; stops following when playback stopped.
    void FollowPlayback();
    // Starts following playback of `file` when anything plays.
    void StartFollowing(LSVFileWindow* file);
    // The cursor where playback left it, in the views and the time fields.
    void ShowStopped(LSVFileWindow* file);
    // Stops playback when it plays `file`'s document.
    void StopPlaying(const LSVFileWindow* file);
    // The play that follows an edit of `file` (with the auto-play setting on).
    void PlayFrom(LSVFileWindow* file, std::int32_t frame);
    // The held buttons of the winds on the tool bar.
    void AddHeldButton(const Command& command);

    void PlaceFrame();
    QRect DesktopRect() const;
    // The menus, the tool bar and the frame's own keys, from the command table.
    void BuildCommands();
    // Runs command `id` on the file whose window is active.
    void Dispatch(int id);
    void RebuildWindowMenu();
    // The file's window title: its name, with "*" while it is modified.
    void UpdateTitle(LSVFileWindow* file);
    // A new file window's place: maximized while the frame keeps its windows maximized, else
    // down and right of the active one, at a size that shows the waveform.
    void PlaceFileWindow(QMdiSubWindow* window);
    void BuildStatusFields();
    void UpdateTimeFields();
    // A selection a view of `file` reported: stored and drawn now, applied by the 50 ms timer.
    void ReportSelection(LSVFileWindow* file, std::int32_t start, std::int32_t end,
                         std::int32_t cursor);
    // Shift+Home and Shift+End: the cursor goes to the start or the end and the selection runs
    // from where the cursor was to there.
    void SelectWithCursorTo(bool to_end);
    // Runs a conversion of the current file's document as an undoable change; a cancelled or
    // failed conversion takes the undo point back.
    void ConvertCurrentFile(const std::string& name, std::int32_t rate, int channels);
    void RebuildRecentMenu();
    // `as_untitled`: audio with no file of its own (the speech of a text), untitled and modified.
    bool LoadFile(const std::string& path, bool ask_raw_format, bool as_untitled = false);
    // Loads `path` into `audio` behind the progress dialog, telling the user when it cannot be
    // read; `target`'s window is active again afterwards.
    bool LoadAudio(const std::string& path, LCutListAudio& audio, bool ask_raw_format,
                   LSVFileWindow* target);
    // Reads what another program put on the system clipboard into `source`, telling the user
    // why when it is not audio; false then or when the load was cancelled.
    bool ReadSystemClipboard(LAudioClipboard& source, LSVFileWindow* file);
    // Runs the mix of `paste` into the current file, whose modification `name` has started, and
    // ends it; a failed or cancelled mix takes the modification back.
    void MixIntoCurrentFile(const std::string& name, const LCutListAudio& paste,
                            const MixPasteParameters& parameters);
    LSVFileWindow* AddFileWindow(std::unique_ptr<LSVFileWindow> file);
    // A new untitled window holding `audio`, marked modified (it has never been saved), made the
    // current one.
    void OpenAsNewFile(LCutListAudio audio);
    // Runs `process` behind the progress dialog; `target`'s window is active again afterwards.
    ProcessResult RunProcess(LProgressDialog& process, LSVFileWindow* target = nullptr);
    ProcessResult RunProcess(const std::function<ProcessResult(ProcessHost&)>& run,
                             LSVFileWindow* target);
    // Puts `recording` into `file` in place of `place`, which then runs over the recording, as the
    // undoable step "Record".
    void PutRecording(LSVFileWindow* file, const LCutListAudio& recording, FrameRange& place);
    // Stops the current file's playback, runs `edit` on its document and shows the result; a
    // `whole` view afterwards for the commands that leave a different file.
    void EditCurrentFile(const std::function<void(LEditDocument&)>& edit, bool whole = false);
    // Applies `effect` to the current file's valid selection as one undoable step; the cursor
    // goes to the selection's start and the result plays from a second before it.
    void ApplyEffect(const AppliedEffect& effect);
    // Asks the values of an effect for the current file's valid selection, playback stopped, in
    // the `Dialog` that `make` makes with a preview of the file; nothing when cancelled.
    template <typename Dialog, typename Make>
    auto AskEffectValues(const Make& make);
    // The repeat entry's text and enabling after the last effect.
    void UpdateRepeatEffect();
    // Pastes `source` into the current file behind the progress dialog.
    void PasteIntoCurrentFile(const LAudioClipboard& source);
    bool SaveFile(LSVFileWindow* file, SaveMode mode);
    bool SaveAs(LSVFileWindow* file);
    // Asks whether to save a modified file; false when the user cancelled.
    bool SaveChanges(LSVFileWindow* file);
    // The close check of a file window: asks unless the question was answered already.
    bool ApproveClose(LSVFileWindow* file);
    void Forget(LSVFileWindow* file);
    int UntitledIndex() const;
    void EnableMenuOptions();
    void SetWindowCaption();
    LSVFileWindow* FindOpenFile(const std::string& path) const;
    // The bookmark list file of `file`: read after it loads, written after its audio is saved
    // (a save under a new name takes the marks along); its bookmarks go when it closes.
    void LoadBookMarkList(LSVFileWindow* file);
    bool SaveBookMarkList(LSVFileWindow* file);
    void ForgetBookMarks(const LSVFileWindow* file);
    // Asks whether to save the open project (when a file or region is open) and closes it,
    // discarding its files without asking about each; false when the user cancelled.
    bool SaveChangesToProject();
    bool SaveProject(const std::string& path);
    // The bookmarks of `file` as markers and the regions taken from it as shaded spans in its
    // views.
    void ShowPlacesIn(LSVFileWindow* file);
    // A place of `file` dragged in a view to `start`: a bookmark moves there (the file becomes
    // modified); a region takes the same length of the file's audio from there.
    void MovePlace(LSVFileWindow* file, bool region, std::size_t index, std::int32_t start);

    QMdiArea* mdi_;
    QLabel* status_;
    QLabel* time_fields_[4] = {nullptr, nullptr, nullptr, nullptr};
    QTimer* time_timer_ = nullptr;
    QTimer* marks_timer_ = nullptr;
    bool selection_valid_ = false;  // as the menus were last enabled
    QtMessageLoop loop_;
    QtProgressView progress_;
    QtPrompts qt_prompts_;
    Prompts* prompts_;
    CdDriveList* cd_drives_ = nullptr;
    WaveInProvider* inputs_ = nullptr;
    std::unique_ptr<WaveInProvider> system_inputs_;  // made at the first recording without inputs_
    std::map<int, QAction*> actions_;
    LAudioClipboard clipboard_;
    QMenu* file_menu_ = nullptr;
    QMenu* window_menu_ = nullptr;
    QMenu* effects_menu_ = nullptr;
    std::optional<AppliedEffect> last_effect_;
    QToolBar* tool_bar_ = nullptr;
    std::vector<QAction*> window_actions_;  // the open windows' entries and their separator
    std::vector<QAction*> recent_actions_;  // the entries and their separator
    std::vector<LSVFileWindow*> files_;     // in opening order; owned by their sub-windows
    LSVFileWindow* current_ = nullptr;
    std::vector<LSVFileWindow*> approved_;  // closes whose question was answered already

    std::unique_ptr<WaveOutProvider> outputs_;
    std::unique_ptr<LTransport> transport_;
    QTimer* play_timer_ = nullptr;        // the screen's refresh while playing
    LSVFileWindow* following_ = nullptr;  // whose views show the play cursor
    bool wind_selects_ = false;           // a Shift wind: the selection follows the cursor
    std::int32_t selection_anchor_ = 0;
    LDBDisplay* meter_ = nullptr;
    std::unique_ptr<FramePlaces> places_;
    std::vector<LSVMacroKeys> macros_;
};

}  // namespace sonvara
