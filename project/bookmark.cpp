#include "project/bookmark.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/byte_order.h"
#include "core/temporary_file.h"
#include "project/record_fields.h"
#include "project/record_stream.h"

namespace sonvara {

const char* const kStoredVersionMessage =
    "Este archivo no tiene la misma versión que la versión del Sonvara en uso o está corrupto.";

namespace {

constexpr std::size_t kFileOffset = kTextFieldBytes;
constexpr std::size_t kPositionOffset = 2 * kTextFieldBytes;
constexpr std::size_t kVisitsOffset = kPositionOffset + 4;
constexpr std::size_t kLastVisitOffset = kVisitsOffset + 1;

}  // namespace

bool EncodeBookMark(const LSVBookMark& bookmark, BookMarkRecord& record) {
    // Both fields are written (zeros when refused) before the answer.
    const bool name_fits = PutTextField(record.data(), bookmark.name);
    const bool fits = PutTextField(record.data() + kFileOffset, bookmark.file) && name_fits;
    StoreLE32(record.data() + kPositionOffset, bookmark.position_ms);
    record[kVisitsOffset] = bookmark.visits;
    StoreLE32(record.data() + kLastVisitOffset, bookmark.last_visit);
    return fits;
}

LSVBookMark DecodeBookMark(const std::uint8_t* record) {
    LSVBookMark bookmark;
    bookmark.name = GetTextField(record);
    bookmark.file = GetTextField(record + kFileOffset);
    bookmark.position_ms = LoadLE32(record + kPositionOffset);
    bookmark.visits = record[kVisitsOffset];
    bookmark.last_visit = LoadLE32(record + kLastVisitOffset);
    return bookmark;
}

std::string BookMarkListPath(const std::string& audio_path) {
    const std::size_t slash = audio_path.find_last_of('/');
    const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = audio_path.find_last_of('.');
    // A leading dot starts a hidden name, not an extension.
    std::string path = dot == std::string::npos || dot <= name_start
                           ? audio_path + ".wbm"
                           : audio_path.substr(0, dot) + ".wbm";
    return path == audio_path ? audio_path + ".wbm" : path;
}

BookMarkListResult LoadBookMarkList(const std::string& path, std::vector<LSVBookMark>& list) {
    RecordReader reader(path);
    if (!reader.IsOpen()) {
        return BookMarkListResult::kAbsent;
    }
    std::uint8_t version = 0;
    std::uint8_t count = 0;
    if (!reader.ReadU8(version)) {
        return BookMarkListResult::kDamaged;
    }
    if (version != 0) {
        return BookMarkListResult::kOtherVersion;
    }
    if (!reader.ReadU8(count) ||
        reader.Remaining() < std::int64_t{count} * static_cast<std::int64_t>(kBookMarkBytes)) {
        return BookMarkListResult::kDamaged;
    }
    std::vector<LSVBookMark> read;
    BookMarkRecord record;
    for (int i = 0; i < count; ++i) {
        if (!reader.Read(record.data(), record.size())) {
            return BookMarkListResult::kDamaged;
        }
        read.push_back(DecodeBookMark(record.data()));
    }
    list.insert(list.end(), read.begin(), read.end());
    return BookMarkListResult::kRead;
}

bool SaveBookMarkList(const std::string& path, const std::vector<LSVBookMark>& list,
                      const std::string& display_name, std::string& error) {
    std::vector<std::uint8_t> bytes{0, 0};
    int count = 0;
    BookMarkRecord record;
    for (const LSVBookMark& bookmark : list) {
        if (bookmark.file != display_name) {
            continue;
        }
        if (!EncodeBookMark(bookmark, record)) {
            error = TooLongMessage("El marcador", bookmark.name);
            return false;
        }
        bytes.insert(bytes.end(), record.begin(), record.end());
        ++count;
    }
    if (count == 0) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            error = "No se puede borrar \"" + path + "\": " + std::strerror(errno);
            return false;
        }
        return true;
    }
    if (count > 255) {
        error = "Un archivo de marcadores guarda 255 marcadores como máximo; \"" + display_name +
                "\" tiene " + std::to_string(count) + ".";
        return false;
    }
    bytes[1] = static_cast<std::uint8_t>(count);
    if (!ReplaceFileContents(path, bytes.data(), bytes.size())) {
        error = "No se puede escribir \"" + path + "\".";
        return false;
    }
    return true;
}

}  // namespace sonvara
