#include "project/project_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>

#include "core/byte_order.h"
#include "core/temporary_file.h"
#include "project/audio_block.h"
#include "project/record_fields.h"
#include "project/record_stream.h"

namespace sonvara {
namespace {

using FileHeader = std::array<std::uint8_t, kProjectFileHeaderBytes>;

void EncodeFileHeader(const LSVProjectFile& file, FileHeader& header) {
    PutTextField(header.data(), file.path);
    PutTextField(header.data() + kTextFieldBytes, file.previous_path);
    const LEditPositions& p = file.positions;
    std::uint8_t* at = header.data() + 2 * kTextFieldBytes;
    for (std::int32_t value :
         {p.cursor, p.selection_start, p.selection_end, p.view_start, p.view_end}) {
        StoreLE32(at, static_cast<std::uint32_t>(value));
        at += 4;
    }
}

void DecodeFileHeader(const FileHeader& header, LSVProjectFile& file) {
    file.path = GetTextField(header.data());
    file.previous_path = GetTextField(header.data() + kTextFieldBytes);
    const std::uint8_t* at = header.data() + 2 * kTextFieldBytes;
    LEditPositions& p = file.positions;
    for (std::int32_t* value :
         {&p.cursor, &p.selection_start, &p.selection_end, &p.view_start, &p.view_end}) {
        *value = static_cast<std::int32_t>(LoadLE32(at));
        at += 4;
    }
}

// The positions a project file holds, each brought within the file's audio (a damaged or crafted
// project may hold anything); a view that does not run forwards becomes the whole audio.
LEditPositions WithinAudio(LEditPositions p, std::int32_t length) {
    for (std::int32_t* value :
         {&p.cursor, &p.selection_start, &p.selection_end, &p.view_start, &p.view_end}) {
        *value = std::clamp(*value, 0, length);
    }
    if (p.view_end <= p.view_start) {
        p.view_start = 0;
        p.view_end = length;
    }
    return p;
}

std::string CountProblem(const char* what, std::size_t count) {
    return "Un proyecto guarda 255 " + std::string(what) + " como máximo; este tiene " +
           std::to_string(count) + ".";
}

// The bookmarks of the project's files, grouped by file in file order (a bookmark whose file is
// not among them is not stored), each once: bookmarks name their file by its display name, which
// two files from different folders may share, and each save would otherwise double them.
std::vector<const LSVBookMark*> StoredBookMarks(const LSVProject& project) {
    std::vector<const LSVBookMark*> stored;
    std::set<std::string> names;
    for (const LSVProjectFile& file : project.files) {
        if (!names.insert(file.display_name).second) {
            continue;
        }
        for (const LSVBookMark& bookmark : project.bookmarks) {
            if (bookmark.file == file.display_name) {
                stored.push_back(&bookmark);
            }
        }
    }
    return stored;
}

}  // namespace

std::string ProjectStoreProblem(const LSVProject& project) {
    if (project.files.size() > 255) {
        return CountProblem("archivos", project.files.size());
    }
    if (project.regions.size() > 255) {
        return CountProblem("regiones", project.regions.size());
    }
    const std::size_t bookmarks = StoredBookMarks(project).size();
    if (bookmarks > 255) {
        return CountProblem("marcadores", bookmarks);
    }
    for (const LSVProjectFile& file : project.files) {
        for (const std::string* path : {&file.path, &file.previous_path}) {
            if (!FitsTextField(*path)) {
                return TooLongMessage("La ruta", *path);
            }
        }
    }
    for (const LSVBookMark* bookmark : StoredBookMarks(project)) {
        if (!FitsTextField(bookmark->name)) {
            return TooLongMessage("El marcador", bookmark->name);
        }
    }
    for (const LSVRegion& region : project.regions) {
        if (!FitsTextField(region.name)) {
            return TooLongMessage("La región", region.name);
        }
        if (!FitsTextField(region.file)) {
            return TooLongMessage("La ruta", region.file);
        }
    }
    return "";
}

LSVSaveProject::LSVSaveProject(const std::string& path, const LSVProject& project)
    : LProgressDialog("Guardando el Proyecto"), path_(path), project_(project) {}

ProcessResult LSVSaveProject::Body() {
    SetText("Guardando el proyecto...", 0);
    if (const std::string problem = ProjectStoreProblem(project_); !problem.empty()) {
        ShowError(problem);
        return PROCESS_FAILED;
    }
    TemporaryFile file(path_);
    if (!file.IsValid()) {
        ShowError("No se puede escribir \"" + path_ + "\".");
        return PROCESS_FAILED;
    }
    RecordWriter writer(file.File());
    const ProcessResult result = WriteContent(writer);
    if (result != PROCESS_DONE) {
        return result;
    }
    if (!writer.Flush() || !file.SyncAndClose() || !file.RenameTo(path_)) {
        ShowError("No se puede escribir \"" + path_ + "\".");
        return PROCESS_FAILED;
    }
    return PROCESS_DONE;
}

ProcessResult LSVSaveProject::WriteContent(RecordWriter& writer) {
    ByteProgress progress;
    for (const LSVProjectFile& file : project_.files) {
        progress.total += AudioBlockBytes(file.audio);
    }
    for (const LSVRegion& region : project_.regions) {
        progress.total += AudioBlockBytes(region.audio);
    }
    writer.WriteU8(0);
    writer.WriteU8(static_cast<std::uint8_t>(project_.files.size()));
    SetText("Guardando los archivos...", 1);
    FileHeader header;
    for (const LSVProjectFile& file : project_.files) {
        EncodeFileHeader(file, header);
        writer.Write(header.data(), header.size());
        if (const ProcessResult result = WriteAudioBlock(*this, file.audio, writer, progress);
            result != PROCESS_DONE) {
            return result;
        }
    }
    writer.WriteU8(static_cast<std::uint8_t>(project_.current));
    SetText("Guardando las marcas (bookmarks)...", 1);
    const std::vector<const LSVBookMark*> bookmarks = StoredBookMarks(project_);
    writer.WriteU8(static_cast<std::uint8_t>(bookmarks.size()));
    BookMarkRecord record;
    for (const LSVBookMark* bookmark : bookmarks) {
        EncodeBookMark(*bookmark, record);
        writer.Write(record.data(), record.size());
    }
    SetText("Guardando las regiones...", 1);
    writer.WriteU8(static_cast<std::uint8_t>(project_.regions.size()));
    RegionRecord region_record;
    for (const LSVRegion& region : project_.regions) {
        EncodeRegion(region, region_record);
        writer.Write(region_record.data(), region_record.size());
        if (const ProcessResult result = WriteAudioBlock(*this, region.audio, writer, progress);
            result != PROCESS_DONE) {
            return result;
        }
    }
    return writer.Flush() ? PROCESS_DONE : PROCESS_FAILED;
}

LSVLoadProject::LSVLoadProject(const std::string& path, LSVProject& project)
    : LProgressDialog("Cargando el Proyecto"), path_(path), project_(project) {}

ProcessResult LSVLoadProject::Body() {
    SetText("Cargando el Proyecto", 0);
    RecordReader reader(path_);
    std::uint8_t version = 0;
    if (!reader.ReadU8(version)) {
        return PROCESS_FAILED;
    }
    if (version != 0) {
        Host()->prompts.Ask(
            {"Error de Archivo", kStoredVersionMessage, PromptIcon::kWarning, PromptButtons::kOk});
        return PROCESS_FAILED;
    }
    return ReadContent(reader);
}

ProcessResult LSVLoadProject::ReadContent(RecordReader& reader) {
    std::uint8_t count = 0;
    if (!reader.ReadU8(count) ||
        reader.Remaining() <
            std::int64_t{count} * static_cast<std::int64_t>(kProjectFileHeaderBytes)) {
        return PROCESS_FAILED;
    }
    SetText("Cargando los archivos...", 1);
    FileHeader header;
    for (int i = 0; i < count; ++i) {
        LSVProjectFile file;
        if (!reader.Read(header.data(), header.size())) {
            return PROCESS_FAILED;
        }
        DecodeFileHeader(header, file);
        if (const ProcessResult result = ReadAudioBlock(*this, reader, file.audio);
            result != PROCESS_DONE) {
            return result;
        }
        file.positions = WithinAudio(file.positions, file.audio.GetLength());
        project_.files.push_back(std::move(file));
    }
    std::uint8_t current = 0;
    if (!reader.ReadU8(current)) {
        return PROCESS_FAILED;
    }
    project_.current = current;
    SetText("Cargando la marca (bookmark)...", 1);
    std::uint8_t bookmarks = 0;
    if (!reader.ReadU8(bookmarks) ||
        reader.Remaining() < std::int64_t{bookmarks} * static_cast<std::int64_t>(kBookMarkBytes)) {
        return PROCESS_FAILED;
    }
    BookMarkRecord record;
    for (int i = 0; i < bookmarks; ++i) {
        if (!reader.Read(record.data(), record.size())) {
            return PROCESS_FAILED;
        }
        project_.bookmarks.push_back(DecodeBookMark(record.data()));
    }
    SetText("Cargando la región...", 1);
    std::uint8_t regions = 0;
    if (!reader.ReadU8(regions) ||
        reader.Remaining() < std::int64_t{regions} * static_cast<std::int64_t>(kRegionBytes)) {
        return PROCESS_FAILED;
    }
    RegionRecord region_record;
    for (int i = 0; i < regions; ++i) {
        LSVRegion region;
        if (!reader.Read(region_record.data(), region_record.size())) {
            return PROCESS_FAILED;
        }
        DecodeRegion(region_record.data(), region);
        if (const ProcessResult result = ReadAudioBlock(*this, reader, region.audio);
            result != PROCESS_DONE) {
            return result;
        }
        project_.regions.push_back(std::move(region));
    }
    return PROCESS_DONE;
}

}  // namespace sonvara
