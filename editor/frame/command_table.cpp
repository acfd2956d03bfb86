#include "editor/frame/command_table.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <algorithm>
#include <iterator>
#include <vector>

#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/edit/edit_controller.h"
#include "editor/effects/effect_controller.h"
#include "editor/files/file_controller.h"
#include "editor/frame/window_arrangement.h"
#include "editor/places/place_controller.h"
#include "editor/tools/tool_controller.h"
#include "editor/transport/transport_controller.h"
#include "effects/registry/effect_registry.h"

namespace sonvara {
namespace {

constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrlAlt = Qt::ControlModifier | Qt::AltModifier;
constexpr Qt::KeyboardModifiers kCtrlPad = Qt::ControlModifier | Qt::KeypadModifier;

// The view commands act on the current file's window, when there is one.
template <void (LSVFileWindow::*act)()>
void OnFile(const EditorRooms& rooms) {
    if (LSVFileWindow* file = rooms.workspace.CurrentFile()) {
        (file->*act)();
    }
}

template <WaveDisplayMode mode>
void ShowMode(const EditorRooms& rooms) {
    if (LSVFileWindow* file = rooms.workspace.CurrentFile()) {
        file->SetDisplayMode(mode);
    }
}

bool ShiftHeld() {
    return (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) != 0;
}

using M = CommandMenu;
using E = EnabledWhen;
using C = CheckedWhen;
using T = ToolGroup;

// clang-format off
const Command kCommandsBeforeEffects[] = {
    {kCmNew, M::kFile, false, "&Nuevo Archivo...\tCtrl+N", {kCtrl | Qt::Key_N}, "document-new",
     "Archivo nuevo (Ctrl+N)", E::kAlways, C::kNotCheckable, T::kFile, false,
     [](const EditorRooms& r) { r.files.CmNew(); }},
    {kCmOpen, M::kFile, false, "&Abrir Archivo...\tCtrl+O", {kCtrl | Qt::Key_O}, "document-open",
     "Abrir archivos de audio (Ctrl+O)", E::kAlways, C::kNotCheckable, T::kFile, false,
     [](const EditorRooms& r) { r.files.CmOpen(); }},
    {kCmLoadCDTrack, M::kFile, false, "&Cargar Pistas de Audio de CD...\tCtrl+L",
     {kCtrl | Qt::Key_L}, nullptr, nullptr, E::kAlways, C::kNotCheckable, T::kNone, false,
     [](const EditorRooms& r) { r.files.CmLoadCDTrack(); }},
    {kCmClose, M::kFile, false, "Cerrar Archivo", {}, nullptr, nullptr, E::kFileOpen,
     C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.files.CmClose(); }},
    {kCmSave, M::kFile, true, "&Guardar Archivo\tCtrl+S", {kCtrl | Qt::Key_S}, "document-save",
     "Guardar el archivo (Ctrl+S)", E::kFileModified, C::kNotCheckable, T::kFile, false,
     [](const EditorRooms& r) { r.files.CmSave(); }},
    {kCmSaveAs, M::kFile, false, "Guardar Archivo Como...", {}, nullptr, nullptr,
     E::kFileOpen, C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.files.CmSaveAs(); }},
    {kCmFileProperties, M::kFile, false, "Propiedades del archivo...", {}, "document-properties",
     nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, false,
     [](const EditorRooms& r) { r.files.CmFileProperties(); }},
    {kCmOpenProject, M::kFile, true, "Abrir Proyecto...", {}, nullptr, nullptr, E::kAlways,
     C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.files.CmOpenProject(); }},
    {kCmCloseProject, M::kFile, false, "Cerrar Proyecto", {}, nullptr, nullptr, E::kAlways,
     C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.files.CmCloseProject(); }},
    {kCmSaveProject, M::kFile, false, "Guardar Proyecto", {}, nullptr, nullptr, E::kAlways,
     C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.files.CmSaveProject(); }},
    {kCmSaveProjectAs, M::kFile, false, "Guardar Proyecto Como...", {}, nullptr, nullptr,
     E::kAlways, C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.files.CmSaveProjectAs(); }},
    {kCmConvertSampleRate, M::kFile, true, "Convertir la Tasa de Muestra", {}, nullptr, nullptr,
     E::kFileOpen, C::kNotCheckable, T::kNone, false,
     [](const EditorRooms& r) { r.edit.CmConvertSampleRate(); }},
    {kCmMono, M::kChannels, false, "Mono", {}, nullptr, nullptr, E::kFileOpen, C::kMono,
     T::kNone, false, [](const EditorRooms& r) { r.edit.CmConvertChannel(1); }},
    {kCmStereo, M::kChannels, false, "Estéreo", {}, nullptr, nullptr, E::kFileOpen, C::kStereo,
     T::kNone, false, [](const EditorRooms& r) { r.edit.CmConvertChannel(2); }},
    {kCmSend, M::kFile, true, "Enviar...", {}, nullptr, nullptr, E::kFileOpen, C::kNotCheckable,
     T::kNone, false, [](const EditorRooms& r) { r.tools.CmSend(); }},
    {kCmOptions, M::kFile, true, "Opciones...", {}, nullptr, nullptr, E::kAlways,
     C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.tools.CmOptions(); }},
    {kCmCloseAll, M::kFile, true, "Cierre Todo", {}, nullptr, nullptr, E::kFileOpen,
     C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.files.CmCloseAll(); }},
    // The recent files go between the separator here and "&Salir".
    {kCmExit, M::kFile, true, "&Salir", {}, nullptr, nullptr, E::kAlways, C::kNotCheckable,
     T::kNone, false, [](const EditorRooms& r) { r.workspace.Frame()->close(); }},

    // Undo and redo name the step they take back or do again (EnableMenuOptions writes it in).
    {kCmUndo, M::kEdit, false, "Deshacer\tCtrl+Z", {kCtrl | Qt::Key_Z}, "edit-undo", nullptr,
     E::kCanUndo, C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmUndo(); }},
    {kCmRedo, M::kEdit, false, "Rehacer\tCtrl+Y", {kCtrl | Qt::Key_Y, kCtrlShift | Qt::Key_Z},
     "edit-redo", nullptr, E::kCanRedo, C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.edit.CmRedo(); }},
    {kCmCut, M::kEdit, true, "Cortar \tCtrl+X", {kCtrl | Qt::Key_X}, "edit-cut", nullptr,
     E::kSelection, C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmCut(); }},
    {kCmCopy, M::kEdit, false, "Copiar \tCtrl+C", {kCtrl | Qt::Key_C}, "edit-copy", nullptr,
     E::kSelection, C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmCopy(); }},
    {kCmPaste, M::kEdit, false, "Pegar \tCtrl+V", {kCtrl | Qt::Key_V}, "edit-paste", nullptr,
     E::kClipboard, C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmPaste(); }},
    // What the system clipboard holds is known only when read: enabled with a file.
    {kCmPasteFromSystem, M::kEdit, false, "Pegar desde el Clipboard de Window", {}, nullptr,
     nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.edit.CmPasteFromSystem(); }},
    // The mixes ask how to mix in a dialog of their own.
    {kCmPasteMix, M::kEdit, false, "Pegar la Mezcla...", {}, nullptr, nullptr, E::kClipboard,
     C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmPasteMix(false); }},
    {kCmPasteMixFromSystem, M::kEdit, false, "Pegar la Mezcla desde el Clipboard de Window...",
     {}, nullptr, nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.edit.CmPasteMix(true); }},
    {kCmDelete, M::kEdit, false, "&Borrar", {QKeyCombination(Qt::Key_Delete)}, "edit-delete",
     nullptr, E::kSelection, C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmClear(); }},
    // The Shift keys of the next two move the cursor as well (the frame's own keys); the menu
    // entries only select.
    {kCmSelectAll, M::kEdit, false, "Seleccionar Todo\tCtrl+A", {kCtrl | Qt::Key_A}, nullptr,
     nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.edit.CmSelectAll(); }},
    {kCmSelectToStart, M::kEdit, false, "Seleccionar Comenzar\tShift+Home", {}, nullptr, nullptr,
     E::kFileOpen, C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmSelectToStart(); }},
    {kCmSelectToEnd, M::kEdit, false, "Seleccionar Finalizar\tShift+End", {}, nullptr, nullptr,
     E::kFileOpen, C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmSelectToEnd(); }},
    {kCmMixFile, M::kEdit, true, "Mezclar el Archivo...", {}, nullptr, nullptr, E::kFileOpen,
     C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmMixFile(); }},
    {kCmRepeat, M::kEdit, false, "Repetir...", {}, nullptr, nullptr, E::kSelection,
     C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmRepeatLoop(); }},
    {kCmTrim, M::kEdit, true, "Recortar\tCtrl+T", {kCtrl | Qt::Key_T}, nullptr, nullptr,
     E::kSelection, C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmTrim(); }},
    // The trims of one side need no selection: they cut at its start or its end as they lie.
    {kCmTrimStart, M::kEdit, false, "Comenzar Recortar\tCtrl+M", {kCtrl | Qt::Key_M}, nullptr,
     nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.edit.CmTrimStart(); }},
    {kCmTrimEnd, M::kEdit, false, "Terminar Recortar\tCtrl+E", {kCtrl | Qt::Key_E}, nullptr,
     nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.edit.CmTrimEnd(); }},
    {kCmAutoTrim, M::kEdit, false, "Auto Recortar", {}, nullptr, nullptr, E::kFileOpen,
     C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmAutoTrim(); }},
    {kCmSilence, M::kEdit, false, "Silencie la Región Seleccionada", {}, nullptr, nullptr,
     E::kSelection, C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmEditSilence(); }},
    // Two submenus of three places each; the context menu shows the submenus.
    {kCmInsertSilenceStart, M::kInsertSilence, false, "Comienzo", {}, nullptr, nullptr,
     E::kFileOpen, C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.edit.CmInsertSilence(InsertPlace::kStart); }},
    {kCmInsertSilenceCursor, M::kInsertSilence, false, "En uso", {}, nullptr, nullptr,
     E::kFileOpen, C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.edit.CmInsertSilence(InsertPlace::kCursor); }},
    {kCmInsertSilenceEnd, M::kInsertSilence, false, "Fin", {}, nullptr, nullptr, E::kFileOpen,
     C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.edit.CmInsertSilence(InsertPlace::kEnd); }},
    {kCmInsertFileStart, M::kInsertFile, false, "Comienzo", {}, nullptr, nullptr, E::kFileOpen,
     C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.edit.CmInsertFile(InsertPlace::kStart); }},
    {kCmInsertFileCursor, M::kInsertFile, false, "En uso", {}, nullptr, nullptr, E::kFileOpen,
     C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.edit.CmInsertFile(InsertPlace::kCursor); }},
    {kCmInsertFileEnd, M::kInsertFile, false, "Fin", {}, nullptr, nullptr, E::kFileOpen,
     C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmInsertFile(InsertPlace::kEnd); }},
    {kCmCopyToNew, M::kEdit, true, "Copiar en el Nuevo", {}, nullptr, nullptr, E::kSelection,
     C::kNotCheckable, T::kNone, true, [](const EditorRooms& r) { r.edit.CmCopyToNew(); }},

    // The effects, grouped by what they change; each acts on the selection. The context menu
    // repeats them as one submenu.
    {kCmRepeatEffect, M::kEffects, false, "Repetir el último efecto\tCtrl+Alt+R",
     {kCtrlAlt | Qt::Key_R}, nullptr, nullptr, E::kSelection, C::kNotCheckable,
     T::kNone, false, [](const EditorRooms& r) { r.effects.CmRepeatEffect(); }},
};

// After the effects, which come from the registry.
const Command kCommandsAfterEffects[] = {
    {kCmZoomIn, M::kView, false, "Zoom In\tCtrl+Plus",
     {kCtrlPad | Qt::Key_Plus, kCtrl | Qt::Key_Plus}, "zoom-in", "Acercar (Ctrl++)",
     E::kFileOpen, C::kNotCheckable, T::kZoom, true, OnFile<&LSVFileWindow::ZoomIn>},
    {kCmZoomOut, M::kView, false, "Zoom Out\tCtrl+Minus",
     {kCtrlPad | Qt::Key_Minus, kCtrl | Qt::Key_Minus}, "zoom-out", "Alejar (Ctrl+-)",
     E::kFileOpen, C::kNotCheckable, T::kZoom, true, OnFile<&LSVFileWindow::ZoomOut>},
    {kCmZoomSelection, M::kView, false, "Zoom Selección\tCtrl+Shift+S", {kCtrlShift | Qt::Key_S},
     "zoom-select", "Ver la selección (Ctrl+Mayús+S)", E::kFileOpen, C::kNotCheckable, T::kZoom,
     true, OnFile<&LSVFileWindow::ZoomSelection>},
    {kCmZoomWhole, M::kView, false, "Zoom Completo\tCtrl+Shift+F", {kCtrlShift | Qt::Key_F},
     "zoom-fit-best", "Ver todo el archivo (Ctrl+Mayús+F)", E::kFileOpen, C::kNotCheckable,
     T::kZoom, true, OnFile<&LSVFileWindow::ZoomWhole>},
    {kCmZoomVertical, M::kView, false, "Zoom Vertical\tCtrl+Shift+V", {kCtrlShift | Qt::Key_V},
     "zoom-fit-height", "Ampliar la altura de la onda (Ctrl+Mayús+V)", E::kFileOpen,
     C::kVerticalZoom, T::kZoom, false, OnFile<&LSVFileWindow::ToggleVerticalZoom>},
    {kCmDisplayPosNeg, M::kView, true, "Despliegue la Forma de la Onda en + /-", {},
     "sonvara-wave-posneg", nullptr, E::kStereoFile, C::kPosNeg, T::kNone, false,
     ShowMode<WaveDisplayMode::kPosNeg>},
    {kCmDisplayLeftRight, M::kView, false, "Despliegue la Forma de la Onda en I / D", {},
     "sonvara-wave-leftright", nullptr, E::kStereoFile, C::kLeftRight, T::kNone, false,
     ShowMode<WaveDisplayMode::kLeftRight>},

    // With no file open, a recording goes into a new one.
    {kCmRecord, M::kTransport, false, "&Grabar\tF5", {Qt::Key_F5}, "media-record", "Grabar (F5)",
     E::kAlways, C::kNotCheckable, T::kTransport, false, [](const EditorRooms& r) {
         if (r.workspace.CurrentFile() == nullptr) {
             r.files.CmNew();
         }
         r.transport.CmRecord();
     }},
    // Shift with play (Shift+F9, a Shift-click) loops; the frame's own key takes Shift+F9.
    {kCmPlay, M::kTransport, false, "&Ejecutar\tF9", {Qt::Key_F9}, "media-playback-start",
     "Reproducir (F9); con Mayús, en bucle", E::kFileOpen, C::kNotCheckable, T::kTransport, false,
     [](const EditorRooms& r) { r.transport.CmPlay(ShiftHeld()); }},
    {kCmPlaySlow, M::kTransport, false, "Ejecutar a Velocidad Lenta\tF11", {Qt::Key_F11},
     nullptr, nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, false,
     [](const EditorRooms& r) { r.transport.CmPlayAtSpeed(0); }},
    {kCmPlayNormal, M::kTransport, false, "Ejecutar a Velocidad Normal\tF10", {Qt::Key_F10},
     nullptr, nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, false,
     [](const EditorRooms& r) { r.transport.CmPlayAtSpeed(1); }},
    {kCmPlayFast, M::kTransport, false, "Ejecutar a Velocidad Rápida\tF12", {Qt::Key_F12},
     nullptr, nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, false,
     [](const EditorRooms& r) { r.transport.CmPlayAtSpeed(2); }},
    {kCmStop, M::kTransport, false, "&Detener\tEsc", {Qt::Key_Escape}, "media-playback-stop",
     "Detener (Esc)", E::kFileOpen, C::kNotCheckable, T::kTransport, false,
     [](const EditorRooms& r) { r.transport.CmStop(); }},
    {kCmStart, M::kTransport, true, "Ir al Inicio\tInicio", {Qt::Key_Home},
     "media-skip-backward", "Ir al inicio (Inicio)", E::kFileOpen, C::kNotCheckable,
     T::kTransport, false, [](const EditorRooms& r) { r.transport.CmStart(); }},
    // The winds act while held; the frame's own keys (F7, F8, Left, Right) and the tool bar's
    // buttons press and release them, and the menu entries start and end them.
    {kCmRewind, M::kTransport, false, "Rebobinar\tF7", {}, "media-seek-backward",
     "Rebobinar (<-)", E::kFileOpen, C::kNotCheckable, T::kTransport, false,
     [](const EditorRooms& r) { r.transport.CmToggleWind(Wind::kRewind); }},
    {kCmForward, M::kTransport, false, "Adelantar Rápido\tF8", {}, "media-seek-forward",
     "Avanzar Rapido (->)", E::kFileOpen, C::kNotCheckable, T::kTransport, false,
     [](const EditorRooms& r) { r.transport.CmToggleWind(Wind::kForward); }},
    {kCmEnd, M::kTransport, false, "Ir al Final\tFinal", {Qt::Key_End}, "media-skip-forward",
     "Ir al final (Fin)", E::kFileOpen, C::kNotCheckable, T::kTransport, false,
     [](const EditorRooms& r) { r.transport.CmEnd(); }},
    {kCmPlayer, M::kTransport, true, "Reproductor...", {}, nullptr, nullptr, E::kFileOpen,
     C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.transport.CmPlayer(); }},

    {kCmSetBookMark, M::kPlaces, false, "Activar el Marcador(Bookmark)\tCtrl+B",
     {kCtrl | Qt::Key_B}, nullptr, nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.places.CmSetBookMark(); }},
    {kCmOpenBookMark, M::kPlaces, false, "Ir al Marcador\tCtrl+Shift+B", {kCtrlShift | Qt::Key_B},
     nullptr, nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, false,
     [](const EditorRooms& r) { r.places.CmOpenBookMark(); }},
    {kCmSetRegion, M::kPlaces, true, "Adjuntar una Región\tCtrl+R", {kCtrl | Qt::Key_R}, nullptr,
     nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, true,
     [](const EditorRooms& r) { r.places.CmSetRegion(); }},
    {kCmOpenRegionLibrary, M::kPlaces, false, "Abrir la Lista de Regiones\tCtrl+Shift+R",
     {kCtrlShift | Qt::Key_R}, nullptr, nullptr, E::kAlways, C::kNotCheckable, T::kNone, false,
     [](const EditorRooms& r) { r.places.CmOpenRegionLibrary(); }},
    {kCmAssembleRegions, M::kPlaces, false, "Juntar las Regiones", {}, nullptr, nullptr,
     E::kAlways, C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.places.CmAssembleRegions(); }},

    {kCmCascade, M::kWindow, false, "Cascada", {}, nullptr, nullptr, E::kFileOpen,
     C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.workspace.Area().cascadeSubWindows(); }},
    {kCmTileHorizontal, M::kWindow, false, "Cuadro Horizontal", {}, nullptr, nullptr,
     E::kFileOpen, C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { TileWindows(r.workspace.Area(), false); }},
    {kCmTileVertical, M::kWindow, false, "Cuadro Vertical", {}, nullptr, nullptr, E::kFileOpen,
     C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { TileWindows(r.workspace.Area(), true); }},
    {kCmArrangeIcons, M::kWindow, false, "Ordenar los Iconos", {}, nullptr, nullptr,
     E::kFileOpen, C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { ArrangeIcons(r.workspace.Area()); }},
    {kCmNextWindow, M::kWindow, true, "Ventana Siguiente\tCtrl+Tab", {kCtrl | Qt::Key_Tab},
     nullptr, nullptr, E::kFileOpen, C::kNotCheckable, T::kNone, false,
     [](const EditorRooms& r) { r.workspace.Area().activateNextSubWindow(); }},
    {kCmPreviousWindow, M::kWindow, false, "Ventana Anterior\tCtrl+Shift+Tab",
     {kCtrlShift | Qt::Key_Backtab}, nullptr, nullptr, E::kFileOpen, C::kNotCheckable,
     T::kNone, false, [](const EditorRooms& r) { r.workspace.Area().activatePreviousSubWindow(); }},

    {kCmFrequencyAnalyze, M::kTools, false, "Análisis de Frecuencia(FFT)", {}, nullptr, nullptr,
     E::kFileOpen, C::kNotCheckable, T::kNone, false,
     [](const EditorRooms& r) { r.tools.CmFrequencyAnalyze(); }},
    {kCmLoudnessAnalysis, M::kTools, false, "Análisis de Sonoridad...", {}, nullptr, nullptr,
     E::kFileOpen, C::kNotCheckable, T::kNone, false,
     [](const EditorRooms& r) { r.tools.CmLoudnessAnalysis(); }},
    {kCmToneGenerator, M::kTools, false, "Generador de Tonos", {}, nullptr, nullptr, E::kAlways,
     C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.tools.CmToneGenerator(); }},
    {kCmBatchConverter, M::kTools, false, "Convertidor de Grupo", {}, nullptr, nullptr,
     E::kAlways, C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.tools.CmBatchConverter(); }},
    {kCmTextToSpeech, M::kTools, false, "Texto a Palabras", {}, nullptr, nullptr, E::kAlways,
     C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.tools.CmTextToSpeech(); }},

    {kCmHelp, M::kHelp, false, "&Ayuda\tF1", {QKeyCombination(Qt::Key_F1)}, "help-contents",
     nullptr, E::kAlways, C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.tools.CmHelp(); }},
    {kCmAbout, M::kHelp, true, "Acerca Sonvara", {}, "help-about", nullptr, E::kAlways,
     C::kNotCheckable, T::kNone, false, [](const EditorRooms& r) { r.tools.CmAbout(); }},
};
// clang-format on

CommandMenu MenuOf(EffectGroup group) {
    switch (group) {
        case EffectGroup::kVolume:
            return CommandMenu::kVolume;
        case EffectGroup::kFilters:
            return CommandMenu::kFilters;
        case EffectGroup::kDynamics:
            return CommandMenu::kDynamics;
        case EffectGroup::kTimePitch:
            return CommandMenu::kTimePitch;
        case EffectGroup::kDelay:
            break;
    }
    return CommandMenu::kDelay;
}

// Every command: the rows above, with a row for each effect of the registry (on the selection,
// also in the file window's context menu) after the repeat of the last one.
std::vector<Command> MakeCommands() {
    std::vector<Command> commands(std::begin(kCommandsBeforeEffects),
                                  std::end(kCommandsBeforeEffects));
    for (const EffectEntry& effect : Effects().All()) {
        commands.push_back(
            {effect.menu.command,
             MenuOf(effect.menu.group),
             effect.menu.separator_before,
             effect.names.menu.c_str(),
             {},
             nullptr,
             nullptr,
             EnabledWhen::kSelection,
             CheckedWhen::kNotCheckable,
             ToolGroup::kNone,
             true,
             [&effect](const EditorRooms& rooms) { rooms.effects.CmEffect(effect); }});
    }
    commands.insert(commands.end(), std::begin(kCommandsAfterEffects),
                    std::end(kCommandsAfterEffects));
    return commands;
}

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = MakeCommands();
    return commands;
}

}  // namespace

std::span<const Command> Commands() {
    return AllCommands();
}

bool IsEffectMenu(CommandMenu menu) {
    switch (menu) {
        case CommandMenu::kEffects:
        case CommandMenu::kVolume:
        case CommandMenu::kFilters:
        case CommandMenu::kDynamics:
        case CommandMenu::kTimePitch:
        case CommandMenu::kDelay:
            return true;
        default:
            return false;
    }
}

bool ActsWhileHeld(int id) {
    return id == kCmRewind || id == kCmForward;
}

const Command* FindCommand(int id) {
    const std::vector<Command>& commands = AllCommands();
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [id](const Command& command) { return command.id == id; });
    return found != commands.end() ? &*found : nullptr;
}

}  // namespace sonvara
