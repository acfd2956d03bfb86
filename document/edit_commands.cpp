#include "document/edit_commands.h"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "document/convert_document.h"

namespace sonvara {
namespace {

std::int32_t OneSecond(const LEditDocument& document) {
    return document.Audio().GetSampleRate();
}

// Puts `source`, converted to the document's format, in place of [start, end) (or in at start
// when the range is empty) once the whole conversion is there.
class LPasteProcess : public LProgressDialog {
  public:
    LPasteProcess(std::string caption, LCutListAudio& document, const LCutListAudio& source,
                  FrameRange range)
        : LProgressDialog(std::move(caption)),
          document_(document),
          source_(source),
          range_(range) {}

  protected:
    ProcessResult Body() override {
        LCutListAudio converted = source_;
        const ProcessResult result = ConvertRateChannels(
            *this, converted, document_.GetSampleRate(), document_.GetChannels());
        if (result == PROCESS_DONE) {
            document_.Replace(range_.start, range_.end, converted);
        }
        return result;
    }

  private:
    LCutListAudio& document_;
    const LCutListAudio& source_;
    FrameRange range_;
};

// Where an insertion at `place` goes: 0, the cursor or the end.
std::int32_t InsertPosition(const LEditDocument& document, InsertPlace place) {
    const std::int32_t length = document.Audio().GetLength();
    switch (place) {
        case InsertPlace::kStart:
            return 0;
        case InsertPlace::kCursor:
            return std::clamp(document.Positions().cursor, 0, length);
        case InsertPlace::kEnd:
            return length;
    }
    return 0;
}

// The view shows the whole document, cursor and selection at 0.
void ShowWholeFromStart(LEditDocument& document) {
    LEditPositions& positions = document.Positions();
    positions = {0, 0, 0, 0, document.Audio().GetLength()};
}

}  // namespace

FrameRange ClampedSelection(const LEditDocument& document) {
    const std::int32_t length = document.Audio().GetLength();
    const LEditPositions& positions = document.Positions();
    return {std::clamp(positions.selection_start, 0, length),
            std::clamp(positions.selection_end, 0, length)};
}

bool HasValidSelection(const LEditDocument& document) {
    const FrameRange range = ClampedSelection(document);
    return range.start < range.end;
}

std::int32_t ConvertFramesThroughMilliseconds(std::int32_t frames, std::int32_t from_rate,
                                              std::int32_t to_rate) {
    const std::int64_t ms = std::int64_t{frames} / from_rate * 1000 +
                            std::int64_t{frames} % from_rate * 1000 / from_rate;
    const std::int64_t converted = ms / 1000 * to_rate + ms % 1000 * to_rate / 1000;
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(converted, std::numeric_limits<std::int32_t>::max()));
}

bool EditCut(LEditDocument& document, LAudioClipboard& clipboard) {
    const FrameRange range = ClampedSelection(document);
    if (range.start >= range.end) {
        return false;
    }
    document.StartModifyCurrentFile("Cortar");
    document.Audio().Cut(range.start, range.end, clipboard);
    document.Positions().selection_start = range.start;
    document.Positions().selection_end = range.start;
    document.EndModifyCurrentFile(range.start, OneSecond(document));
    return true;
}

bool EditCopy(const LEditDocument& document, LAudioClipboard& clipboard) {
    const FrameRange range = ClampedSelection(document);
    if (range.start >= range.end) {
        return false;
    }
    document.Audio().EfCopy(range.start, range.end, clipboard);
    return true;
}

bool PasteFits(const LEditDocument& document, const LAudioClipboard& source) {
    const FrameRange range = ClampedSelection(document);
    const std::int64_t pasted = ConvertFramesThroughMilliseconds(
        source.GetLength(), source.GetSampleRate(), document.Audio().GetSampleRate());
    return std::int64_t{document.Audio().GetLength()} - std::max(range.end - range.start, 0) +
               pasted <=
           std::numeric_limits<std::int32_t>::max();
}

ProcessResult EditPaste(LEditDocument& document, const LAudioClipboard& source, ProcessHost& host) {
    if (source.GetLength() <= 0) {
        return PROCESS_FAILED;
    }
    if (!PasteFits(document, source)) {
        return PROCESS_FAILED;
    }
    FrameRange range = ClampedSelection(document);
    range.end = std::max(range.start, range.end);
    document.StartModifyCurrentFile("Pegar");
    LPasteProcess paste("Pegar", document.Audio(), source, range);
    const ProcessResult result = paste.Run(host);
    if (result != PROCESS_DONE) {
        document.CancelModifyCurrentFile();
        return result;
    }
    const std::int32_t rate = document.Audio().GetSampleRate();
    document.Positions().selection_start = range.start;
    document.Positions().selection_end =
        range.start +
        ConvertFramesThroughMilliseconds(source.GetLength(), source.GetSampleRate(), rate);
    document.EndModifyCurrentFile(range.start, rate / 2);
    return PROCESS_DONE;
}

bool EditDelete(LEditDocument& document) {
    const FrameRange range = ClampedSelection(document);
    if (range.start >= range.end) {
        return false;
    }
    document.StartModifyCurrentFile("Borrar");
    document.Audio().EfDelete(range.start, range.end);
    LEditPositions& positions = document.Positions();
    positions.selection_start = positions.selection_end = positions.cursor = range.start;
    document.EndModifyCurrentFile(range.start, OneSecond(document));
    return true;
}

bool EditTrim(LEditDocument& document) {
    const FrameRange range = ClampedSelection(document);
    if (range.start >= range.end) {
        return false;
    }
    document.StartModifyCurrentFile("Recortar");
    document.Audio().TrimToRange(range.start, range.end);
    ShowWholeFromStart(document);
    document.EndModifyCurrentFile(0, 0);
    return true;
}

void EditTrimStart(LEditDocument& document) {
    const FrameRange range = ClampedSelection(document);
    document.StartModifyCurrentFile("Comenzar recortar");
    document.Audio().TrimStart(range.start);
    ShowWholeFromStart(document);
    document.EndModifyCurrentFile(0, 0);
}

void EditTrimEnd(LEditDocument& document) {
    const FrameRange range = ClampedSelection(document);
    document.StartModifyCurrentFile("Finalizar recortar");
    // Without a selection end nothing lies "after" it: the end stays.
    if (range.end > 0) {
        document.Audio().TrimEnd(range.end);
    }
    ShowWholeFromStart(document);
    document.EndModifyCurrentFile(0, 0);
}

bool EditSilence(LEditDocument& document) {
    const FrameRange range = ClampedSelection(document);
    if (range.start >= range.end) {
        return false;
    }
    document.StartModifyCurrentFile("Editar Silencio");
    document.Audio().Silence(range.start, range.end);
    document.EndModifyCurrentFile(range.start, OneSecond(document));
    return true;
}

void EditInsertSilence(LEditDocument& document, InsertPlace place, std::int32_t milliseconds) {
    static constexpr const char* kNames[] = {"Insertar Silencio al comienzo",
                                             "Insertar Silencio en la posición actual",
                                             "Insertar Silencio al final"};
    const std::int32_t rate = document.Audio().GetSampleRate();
    const std::int32_t length = document.Audio().GetLength();
    const std::int64_t ms = std::max(milliseconds, 0);
    const auto frames = static_cast<std::int32_t>(
        std::min<std::int64_t>(ms / 1000 * rate + ms % 1000 * rate / 1000,
                               std::numeric_limits<std::int32_t>::max() - length));
    const std::int32_t pos = InsertPosition(document, place);
    document.StartModifyCurrentFile(kNames[static_cast<int>(place)]);
    document.Audio().InsertSilence(pos, frames);
    document.EndModifyCurrentFile(ClampedSelection(document).start, rate);
}

ProcessResult EditInsertFile(LEditDocument& document, InsertPlace place,
                             const LCutListAudio& source, ProcessHost& host) {
    static constexpr const char* kNames[] = {"Insertar Archivo al comienzo",
                                             "Insertar Archivo en la posición actual",
                                             "Insertar Archivo al final"};
    const std::int64_t length = document.Audio().GetLength();
    if (source.GetLength() <= 0 ||
        length + ConvertFramesThroughMilliseconds(source.GetLength(), source.GetSampleRate(),
                                                  document.Audio().GetSampleRate()) >
            std::numeric_limits<std::int32_t>::max()) {
        return PROCESS_FAILED;
    }
    const std::int32_t pos = InsertPosition(document, place);
    document.StartModifyCurrentFile(kNames[static_cast<int>(place)]);
    LPasteProcess insert("Insertar Archivo", document.Audio(), source, {pos, pos});
    const ProcessResult result = insert.Run(host);
    if (result != PROCESS_DONE) {
        document.CancelModifyCurrentFile();
        return result;
    }
    document.EndModifyCurrentFile(ClampedSelection(document).start,
                                  document.Audio().GetSampleRate());
    return PROCESS_DONE;
}

bool EditRepeat(LEditDocument& document, std::int32_t times) {
    const FrameRange range = ClampedSelection(document);
    if (range.start >= range.end) {
        return false;
    }
    const std::int32_t selection = range.end - range.start;
    // No more copies than the longest document holds.
    const std::int64_t room =
        std::numeric_limits<std::int32_t>::max() - document.Audio().GetLength();
    const auto copies = static_cast<int>(std::clamp<std::int64_t>(times, 0, room / selection));
    if (copies == 0) {
        return false;
    }
    document.StartModifyCurrentFile("Repetir");
    document.Audio().Repeat(range.start, range.end, copies);
    document.Positions().selection_end = range.start + selection * (copies + 1);
    document.EndModifyCurrentFile(range.start, OneSecond(document));
    return true;
}

LCutListAudio EditCopyToNew(const LEditDocument& document) {
    LCutListAudio copy(document.Audio().GetSampleRate(), document.Audio().GetChannels());
    if (HasValidSelection(document)) {
        const FrameRange range = ClampedSelection(document);
        document.Audio().EfCopy(range.start, range.end, copy);
    }
    return copy;
}

void SelectAll(LEditDocument& document) {
    LEditPositions& positions = document.Positions();
    positions.selection_start = positions.view_start = 0;
    positions.selection_end = positions.view_end = document.Audio().GetLength();
}

void SelectToStart(LEditDocument& document) {
    LEditPositions& positions = document.Positions();
    positions.selection_start = 0;
    positions.selection_end = positions.cursor;
}

void SelectToEnd(LEditDocument& document) {
    LEditPositions& positions = document.Positions();
    positions.selection_start = positions.cursor;
    positions.selection_end = document.Audio().GetLength();
}

}  // namespace sonvara
