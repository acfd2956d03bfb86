#pragma once
// The editor's commands, one row each: id, Spanish label, keys, icon, tool tip, where the command
// shows (menu, tool bar, the file window's context menu), when it is enabled or checked, and what
// it does. The frame builds its menus, tool bar and context menu from this table and runs its
// enabling over it; a command that is not built is not a row.

#include <QKeyCombination>
#include <functional>
#include <span>

namespace sonvara {

class EditController;
class EditorWorkspace;
class EffectController;
class FileController;
class PlaceController;
class ToolController;
class TransportController;

// The rooms of the editor, which the commands act through: the open files and the runtime they
// share, then one controller per room.
struct EditorRooms {
    EditorWorkspace& workspace;
    FileController& files;
    EditController& edit;
    EffectController& effects;
    TransportController& transport;
    PlaceController& places;
    ToolController& tools;
};

enum CommandId : int {
    kCmNew = 1001,
    kCmOpen = 1002,
    kCmLoadCDTrack = 1011,
    kCmClose = 1003,
    kCmSave = 1004,
    kCmSaveAs = 1005,
    kCmFileProperties = 1017,
    kCmOpenProject = 1013,
    kCmCloseProject = 1014,
    kCmSaveProject = 1015,
    kCmSaveProjectAs = 1016,
    kCmConvertSampleRate = 1006,
    kCmMono = 1007,
    kCmStereo = 1008,
    kCmSend = 1009,
    kCmOptions = 1010,
    kCmExit = 1048,
    kCmRecentFirst = 1050,  // to 1060: recent file 1 to 11
    kCmRecentSeparator = 1061,
    kCmUndo = 2001,
    kCmCut = 2002,
    kCmCopy = 2003,
    kCmPaste = 2004,
    kCmPasteFromSystem = 2025,
    kCmPasteMix = 2005,
    kCmPasteMixFromSystem = 2026,
    kCmDelete = 2006,
    kCmSelectAll = 2007,
    kCmMixFile = 2008,
    kCmRepeat = 2009,
    kCmTrim = 2010,
    kCmTrimStart = 2011,
    kCmTrimEnd = 2012,
    kCmAutoTrim = 2013,
    kCmSilence = 2014,
    kCmInsertSilenceStart = 2015,
    kCmInsertSilenceCursor = 2016,
    kCmInsertSilenceEnd = 2017,
    kCmInsertFileStart = 2018,
    kCmInsertFileCursor = 2019,
    kCmInsertFileEnd = 2020,
    kCmCopyToNew = 2021,
    kCmSelectToStart = 2022,
    kCmSelectToEnd = 2023,
    kCmRedo = 2030,
    kCmRecord = 3001,
    kCmPlay = 3002,
    kCmPlaySlow = 3003,
    kCmPlayNormal = 3004,
    kCmPlayFast = 3005,
    kCmStop = 3006,
    kCmStart = 3007,
    kCmRewind = 3008,
    kCmForward = 3009,
    kCmEnd = 3010,
    kCmPlayer = 3011,
    // The effects: each entry of the effect registry brings its own id; these name the built-in
    // ones for the code that refers to one of them.
    kCmAmplify = 4001,
    kCmNormalize = 4002,
    kCmEqualizer = 4003,
    kCmEcho = 4004,
    kCmReverb = 4005,
    kCmFadeIn = 4006,
    kCmFadeOut = 4007,
    kCmEnvelope = 4008,
    kCmAutoGainControl = 4009,
    kCmNoiseReduction = 4010,
    kCmLowCutFilter = 4011,
    kCmCompressor = 4012,
    kCmFadeOutAndTrim = 4013,
    kCmSimpleSpeedPitch = 4014,
    kCmConstantPitchSpeed = 4015,
    kCmConstantSpeedPitch = 4016,
    kCmDCOffsetCorrection = 4017,
    kCmReverse = 4018,
    kCmRepeatEffect = 4030,
    kCmZoomIn = 5001,
    kCmZoomOut = 5002,
    kCmZoomSelection = 5003,
    kCmZoomWhole = 5004,
    kCmZoomVertical = 5005,
    kCmDisplayPosNeg = 5007,
    kCmDisplayLeftRight = 5008,
    kCmCascade = 5009,
    kCmTileHorizontal = 5010,
    kCmTileVertical = 5011,
    kCmArrangeIcons = 5012,
    kCmCloseAll = 5040,
    kCmFrequencyAnalyze = 7001,
    kCmToneGenerator = 7002,
    kCmNextWindow = 5050,
    kCmPreviousWindow = 5051,
    kCmWindowFirst = 5060,  // the open windows listed in the window menu, in opening order
    kCmSetBookMark = 8001,
    kCmOpenBookMark = 8003,
    kCmSetRegion = 8004,
    kCmAssembleRegions = 8005,
    kCmOpenRegionLibrary = 8009,
    kCmHelp = 6000,
    kCmAbout = 6013,
    kCmBatchConverter = 7003,
    kCmTextToSpeech = 7004,
    kCmLoudnessAnalysis = 7005,
};

// kChannels is a submenu of the file menu, kInsertSilence and kInsertFile of the edit menu;
// kEffects is the effects menu and the groups after it its submenus.
enum class CommandMenu {
    kFile,
    kChannels,
    kEdit,
    kInsertSilence,
    kInsertFile,
    kView,
    kTransport,
    kPlaces,  // bookmarks and regions
    kTools,
    kWindow,
    kHelp,
    kEffects,
    kVolume,
    kFilters,
    kDynamics,
    kTimePitch,
    kDelay
};

// Whether `menu` is the effects menu or one of its groups.
bool IsEffectMenu(CommandMenu menu);

// What a command needs before it is enabled.
// kSelection: the current file has a valid selection; kClipboard: the internal clipboard holds at
// least a millisecond of audio.
enum class EnabledWhen {
    kAlways,
    kFileOpen,
    kFileModified,
    kStereoFile,
    kCanUndo,
    kCanRedo,
    kSelection,
    kClipboard
};

// What a checkable command's check shows of the current file.
enum class CheckedWhen { kNotCheckable, kMono, kStereo, kVerticalZoom, kPosNeg, kLeftRight };

// The tool bar's groups, in their order there, with separators between them.
enum class ToolGroup { kNone, kFile, kTransport, kZoom };

struct Command {
    int id;
    CommandMenu menu;
    bool separator_before;
    const char* label;        // UTF-8; the keys after a tab are only shown
    QKeyCombination keys[2];  // the shortcuts, unused ones empty
    const char* icon;         // freedesktop icon name (drawn by us when the theme has none)
    const char* tip;          // tool-bar tool tip, UTF-8; null: the label
    EnabledWhen enabled;
    CheckedWhen checked;
    ToolGroup tool_group;
    bool context_menu;  // also in the file window's context menu
    std::function<void(const EditorRooms& rooms)> run;
};

// Every command, in menu order.
std::span<const Command> Commands();

// The row of `id`, or null.
const Command* FindCommand(int id);

// Whether the command acts while its tool-bar button is held (pressed, then released) rather
// than when it is clicked: the winds.
bool ActsWhileHeld(int id);

}  // namespace sonvara
