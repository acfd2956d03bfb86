#include "core/background_writer.h"

#include <algorithm>

namespace sonvara {

LBackgroundWriter::~LBackgroundWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool LBackgroundWriter::Write(const void* bytes, std::size_t size) {
    if (filling_.capacity() < kBufferBytes) {
        filling_.reserve(kBufferBytes);
    }
    const auto* at = static_cast<const std::uint8_t*>(bytes);
    while (size > 0) {
        const std::size_t part = std::min(size, kBufferBytes - filling_.size());
        filling_.insert(filling_.end(), at, at + part);
        at += part;
        size -= part;
        if (filling_.size() == kBufferBytes && !HandOver()) {
            return false;
        }
    }
    std::lock_guard lock(mutex_);
    return !failed_;
}

bool LBackgroundWriter::HandOver() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
    if (failed_) {
        filling_.clear();
        return false;
    }
    std::swap(filling_, handed_);
    filling_.clear();
    busy_ = true;
    if (!thread_.joinable()) {
        thread_ = std::thread(&LBackgroundWriter::Run, this);
    }
    lock.unlock();
    changed_.notify_all();
    return true;
}

bool LBackgroundWriter::Flush() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !busy_; });
        if (failed_) {
            filling_.clear();
            return false;
        }
    }
    // The thread is idle until the next hand-over: the rest is written here.
    const bool written =
        filling_.empty() || file_.Write(filling_.data(), filling_.size()) == filling_.size();
    filling_.clear();
    if (reserved_end_ > 0) {
        file_.ReleaseReserve();
        reserved_end_ = 0;
    }
    std::lock_guard lock(mutex_);
    failed_ = failed_ || !written;
    return !failed_;
}

void LBackgroundWriter::ReserveFor(std::int64_t start, std::int64_t end) {
    if (end <= reserved_end_) {
        return;
    }
    // Steps that grow with the file: small output reserves little, long output rarely asks.
    constexpr std::int64_t kLargestStep = std::int64_t{64} << 20;
    const std::int64_t step =
        std::clamp<std::int64_t>(end, static_cast<std::int64_t>(kBufferBytes), kLargestStep);
    // A file system that cannot reserve (or a disk too full for the whole step) leaves the
    // writes to allocate as they go, and to fail when they must.
    const std::int64_t from = std::max(reserved_end_, start);
    file_.Reserve(from, end + step - from);
    reserved_end_ = end + step;
}

void LBackgroundWriter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || stopping_; });
        if (stopping_) {
            return;
        }
        lock.unlock();
        const std::int64_t start = file_.Tell();
        ReserveFor(start, start + static_cast<std::int64_t>(handed_.size()));
        const bool written = file_.Write(handed_.data(), handed_.size()) == handed_.size();
        lock.lock();
        failed_ = failed_ || !written;
        busy_ = false;
        changed_.notify_all();
    }
}

}  // namespace sonvara
