#pragma once
// PlaceController: the room of bookmarks and regions. It keeps the lists (place_lists.h) and
// their windows, shows each file's places in its views (a place dragged there moves), reads a
// file's bookmark list after it loads and writes it after its audio is saved, and forgets the
// bookmarks of a file that closes. Interface thread only.

#include <QObject>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "editor/places/place_lists.h"

namespace sonvara {

class EditorWorkspace;
class LSVFileWindow;
class TransportController;

class PlaceController : public QObject {
    Q_OBJECT

  public:
    PlaceController(EditorWorkspace& workspace, TransportController& transport);
    // The bookmark and region windows play through the transport and read the lists: they go
    // first.
    ~PlaceController() override;

    EditorWorkspace& Workspace() { return workspace_; }
    TransportController& Transport() { return transport_; }
    PlaceLists& Places() { return places_; }

    // A bookmark at the cursor, named as the user types (replacing one of the same name when
    // asked); the bookmark window.
    void CmSetBookMark();
    void CmOpenBookMark();
    // A region of the selection, named as the user types; the region window; the assemble
    // dialog, whose regions go together into a new file.
    void CmSetRegion();
    void CmOpenRegionLibrary();
    void CmAssembleRegions();

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

    // The bookmark list file of `file`: read after it loads, written after its audio is saved
    // (a save under a new name takes the marks along).
    void LoadBookMarkList(LSVFileWindow* file);
    bool SaveBookMarkList(LSVFileWindow* file);

  private:
    // The bookmarks of `file` go when it closes, unless another open file shows the same name.
    void ForgetBookMarks(const LSVFileWindow* file);
    // The bookmarks of `file` as markers and the regions taken from it as shaded spans in its
    // views.
    void ShowPlacesIn(LSVFileWindow* file);
    // A place of `file` dragged in a view to `start`: a bookmark moves there (the file becomes
    // modified); a region takes the same length of the file's audio from there.
    void MovePlace(LSVFileWindow* file, bool region, std::size_t index, std::int32_t start);

    EditorWorkspace& workspace_;
    TransportController& transport_;
    PlaceLists places_;
};

}  // namespace sonvara
