#include "project/record_stream.h"

#include "core/byte_order.h"
#include "project/record_fields.h"

namespace sonvara {

RecordReader::RecordReader(const std::string& path) {
    if (file_.Open(path, FileAccess::kRead, FileSharing::kRead, FileDisposition::kOpenExisting)) {
        size_ = file_.GetFileSizeBytes();
        remaining_ = size_;
    }
}

bool RecordReader::Read(void* buffer, std::size_t bytes) {
    if (static_cast<std::int64_t>(bytes) > remaining_) {
        return false;
    }
    if (file_.Read(buffer, bytes) != bytes) {
        remaining_ = 0;
        return false;
    }
    remaining_ -= static_cast<std::int64_t>(bytes);
    return true;
}

bool RecordReader::ReadI32(std::int32_t& value) {
    std::uint8_t bytes[4];
    if (!Read(bytes, sizeof bytes)) {
        return false;
    }
    value = static_cast<std::int32_t>(LoadLE32(bytes));
    return true;
}

void RecordWriter::Write(const void* bytes, std::size_t size) {
    if (failed_) {
        return;
    }
    const auto* from = static_cast<const std::uint8_t*>(bytes);
    buffer_.insert(buffer_.end(), from, from + size);
    if (buffer_.size() >= kBufferBytes) {
        Flush();
    }
}

void RecordWriter::WriteI32(std::int32_t value) {
    std::uint8_t bytes[4];
    StoreLE32(bytes, static_cast<std::uint32_t>(value));
    Write(bytes, sizeof bytes);
}

bool RecordWriter::Flush() {
    if (!failed_ && !buffer_.empty() &&
        file_.Write(buffer_.data(), buffer_.size()) != buffer_.size()) {
        failed_ = true;
    }
    buffer_.clear();
    return !failed_;
}

}  // namespace sonvara
