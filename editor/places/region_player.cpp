#include "editor/places/region_player.h"

#include "editor/transport/transport_controller.h"

namespace sonvara {
namespace {

// How often the end of a region is looked for.
constexpr int kPollMilliseconds = 50;

}  // namespace

RegionPlayer::RegionPlayer(TransportController& transport, QObject* parent)
    : QObject(parent), transport_(transport) {
    poll_.setInterval(kPollMilliseconds);
    connect(&poll_, &QTimer::timeout, this, &RegionPlayer::Poll);
}

RegionPlayer::~RegionPlayer() {
    // The transport must not keep playing a document that goes with this object.
    if (transport_.Transport().Document() == &document_) {
        transport_.Transport().Stop();
    }
}

void RegionPlayer::Play(const std::vector<LCutListAudio>& sounds) {
    Stop();
    transport_.CmStop();
    queue_ = sounds;
    next_ = 0;
    Next();
}

void RegionPlayer::Next() {
    while (next_ < queue_.size()) {
        document_.Audio() = queue_[next_++];
        document_.Positions() = {};
        if (document_.Audio().GetLength() > 0 && transport_.Transport().PlayFrom(document_, 0)) {
            playing_ = true;
            poll_.start();
            return;
        }
    }
    const bool was_playing = playing_;
    playing_ = false;
    poll_.stop();
    if (was_playing || !queue_.empty()) {
        queue_.clear();
        emit ended();
    }
}

void RegionPlayer::Poll() {
    const LTransport& transport = transport_.Transport();
    if (transport.IsActive() && transport.Document() == &document_) {
        return;
    }
    // A region that ran out leaves the cursor at its end: the next one follows. A stop, or
    // another play taking over, ends them all.
    if (!transport.IsActive() && document_.Positions().cursor >= document_.Audio().GetLength()) {
        Next();
        return;
    }
    queue_.clear();
    playing_ = false;
    poll_.stop();
    emit ended();
}

void RegionPlayer::Stop() {
    if (!playing_) {
        return;
    }
    queue_.clear();
    if (transport_.Transport().Document() == &document_) {
        transport_.Transport().Stop();
    }
    playing_ = false;
    poll_.stop();
    emit ended();
}

}  // namespace sonvara
