#include "editor_model/transport.h"

#include <algorithm>

#include "audio/loop_source.h"
#include "core/settings.h"
#include "devices/mixer.h"
#include "devices/output_choice.h"
#include "document/cut_list_reader.h"
#include "document/edit_document.h"
#include "effects/time_stretch.h"

namespace sonvara {

PromptMessage NoOutputDeviceMessage(const std::string& reason) {
    std::string text =
        "Por favor, confirme que Usted ha seleccionado el recurso de sonido correcto usando las "
        "opciones. Abra las opciones (Settings) usando File->Settings";
    if (!reason.empty()) {
        text += "\n\n" + reason;
    }
    return {"Sonvara", text, PromptIcon::kInformation, PromptButtons::kOk};
}

// The sources the player plays; `head` keeps them alive, the others point into it.
struct LTransport::Chain {
    LSoundSourceRef head;
    LSRCLoop* loop = nullptr;
    LSRCTimeStretch* stretch = nullptr;
};

namespace {

// The table of the winds: where the cursor jumps back before a rewind, and the speeds, from idle
// or playing and from a scrub.
struct WindSpeeds {
    std::int32_t jump_back_divisor;  // the rate divided by this; 0: no jump
    double start_speed;
    double end_speed;
};
WindSpeeds SpeedsOf(Wind wind, bool from_cue) {
    if (wind == Wind::kRewind) {
        return from_cue ? WindSpeeds{10, -0.1, -3.0} : WindSpeeds{5, -0.5, -7.0};
    }
    return from_cue ? WindSpeeds{0, 0.1, 3.0} : WindSpeeds{0, 1.5, 7.0};
}

}  // namespace

LTransport::LTransport(MessageLoop& loop, WaveOutProvider& outputs, TransportHost& host)
    : outputs_(outputs),
      host_(host),
      own_player_(std::make_unique<LSoundPlayer>(loop, outputs)),
      player_(*own_player_) {
    player_.SetNotify(this);
}

LTransport::LTransport(LSoundPlayer& player, WaveOutProvider& outputs, TransportHost& host)
    : outputs_(outputs), host_(host), player_(player) {
    player_.Stop();
    player_.SetNotify(this);
}

void LTransport::SetOutput(int device, int volume_db) {
    output_ = Output{device, volume_db};
    if (lowered_) {
        lowered_ = LoweredVolume{std::nullopt, volume_db};
    }
}

int LTransport::Device() const {
    return output_ ? output_->device : ChosenOutputDevice(outputs_);
}

LTransport::~LTransport() {
    player_.SetNotify(nullptr);
    player_.Stop();
}

std::int32_t LTransport::DocumentFrameOf(std::int64_t position) const {
    if (!chain_) {
        return stopped_at_;
    }
    if (chain_->stretch != nullptr) {
        position = chain_->stretch->InputFrameAt(position);
    }
    if (chain_->loop != nullptr) {
        position = chain_->loop->UpstreamFrame(position);
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(position, 0, request_.end));
}

std::int32_t LTransport::SourceFrameOf(std::int32_t frame) const {
    // A loop's position is the document frame until its end; the stretch maps on from there.
    return chain_ && chain_->stretch != nullptr ? chain_->stretch->OutputFrameFor(frame) : frame;
}

std::int32_t LTransport::HeardFrame() const {
    return player_.IsIdle() ? stopped_at_ : DocumentFrameOf(player_.HeardPosition());
}

bool LTransport::Begin(LEditDocument& document, const PlayRequest& request) {
    Stop();
    LCutListAudio list = document.Audio();
    list.TrimEnd(request.end);
    auto chain = std::make_unique<Chain>();
    chain->head = LSoundSourceRef(new LSRCCutListAudio(list));
    if (request.from != 0) {
        chain->head->Seek(request.from);
    }
    if (request.loop) {
        chain->loop = new LSRCLoop(chain->head, request.loop_start, request.end);
        chain->head = LSoundSourceRef(chain->loop);
    }
    if (request.start_speed != 1.0 || request.ramp_ms != 0) {
        chain->stretch = new LSRCTimeStretch(chain->head, request.start_speed, request.end_speed,
                                             request.ramp_ms);
        chain->head = LSoundSourceRef(chain->stretch);
    }
    document.Positions().cursor = request.from;
    stopped_at_ = request.from;
    player_.SetDevice(Device());
    chain_ = std::move(chain);
    request_ = request;
    document_ = &document;
    last_heard_ = request.from;
    if (!player_.Start(chain_->head)) {
        chain_.reset();
        document_ = nullptr;
        wind_ = Wind::kNone;
        if (!request.after_edit || !told_after_edit_) {
            told_after_edit_ = told_after_edit_ || request.after_edit;
            host_.DeviceFailed(player_.ErrorText());
        }
        return false;
    }
    return true;
}

bool LTransport::Play(LEditDocument& document, bool loop) {
    if (player_.IsCue() && document_ == &document) {
        player_.Play();
        return true;
    }
    Stop();
    const LEditPositions& positions = document.Positions();
    const std::int32_t length = document.Audio().GetLength();
    const std::int32_t rate = document.Audio().GetSampleRate();
    PlayRequest request;
    request.from = positions.cursor > length - rate ? 0 : positions.cursor;
    request.end = length;
    if (positions.selection_start < positions.selection_end) {
        request.from = positions.selection_start;
        request.end = positions.selection_end;
    }
    request.loop = loop;
    request.loop_start =
        positions.selection_start < positions.selection_end ? positions.selection_start : 0;
    if (request.from >= request.end) {
        return false;
    }
    // 0 slow (half speed), 1 normal, 2 fast (one and a half).
    const int speed = ReadInt("Settings", "PlaySpeed", 1);
    if (speed != 1) {
        request.start_speed = (std::clamp(speed, 0, 2) + 1) * 0.5;
    }
    return Begin(document, request);
}

bool LTransport::PlayFrom(LEditDocument& document, std::int32_t frame, bool after_edit) {
    PlayRequest request;
    request.after_edit = after_edit;
    request.end = document.Audio().GetLength();
    request.from = std::clamp(frame, 0, request.end);
    if (request.from >= request.end) {
        Stop();
        return false;
    }
    return Begin(document, request);
}

void LTransport::Settle(std::int32_t frame) {
    stopped_at_ = frame;
    if (document_ != nullptr) {
        document_->Positions().cursor = frame;
    }
    chain_.reset();
    document_ = nullptr;
}

void LTransport::Stop() {
    if (wind_ != Wind::kNone) {  // (a wind about to begin stops what played first)
        RestoreVolumeAfterWind();
    }
    wind_ = Wind::kNone;
    if (player_.IsIdle()) {
        return;
    }
    const std::int32_t heard = HeardFrame();
    stopping_ = true;
    player_.Stop();
    stopping_ = false;
    Settle(heard);
}

void LTransport::Scrub(LEditDocument& document) {
    if (player_.IsIdle() && !Play(document, false)) {
        return;
    }
    player_.Cue();
}

bool LTransport::SeekTo(std::int32_t frame) {
    if (player_.IsIdle()) {
        return false;
    }
    if (wind_ == Wind::kNone) {
        player_.Seek(SourceFrameOf(std::clamp(frame, 0, request_.end)));
    }
    return true;
}

bool LTransport::SeekToEnd() {
    if (player_.IsIdle()) {
        return false;
    }
    const std::int32_t before = player_.IsCue() ? 0 : player_.Source()->GetSampleRate();
    return SeekTo(std::max(request_.end - before, 0));
}

void LTransport::PressWind(LEditDocument& document, Wind wind) {
    if (wind == Wind::kNone || wind == wind_) {
        return;
    }
    if (wind_ == Wind::kNone) {
        resume_ = player_.IsIdle() ? 0 : player_.IsCue() ? 1 : 2;
        resume_loop_ = chain_ && chain_->loop != nullptr;
        resume_request_ = request_;
    }
    const bool from_cue = resume_ == 1;
    std::int32_t cursor =
        IsActive() && document_ == &document ? HeardFrame() : document.Positions().cursor;
    Stop();
    const WindSpeeds speeds = SpeedsOf(wind, from_cue);
    if (speeds.jump_back_divisor != 0) {
        cursor = std::max(cursor - document.Audio().GetSampleRate() / speeds.jump_back_divisor, 0);
    }
    LowerVolumeForWind();
    PlayRequest request;
    request.end = document.Audio().GetLength();
    request.from = std::clamp(cursor, 0, request.end);
    request.start_speed = speeds.start_speed;
    request.end_speed = speeds.end_speed;
    request.ramp_ms = kWindRampMilliseconds;
    if (Begin(document, request)) {
        wind_ = wind;
    } else {
        RestoreVolumeAfterWind();
    }
}

void LTransport::ReleaseWind(Wind wind) {
    if (wind == Wind::kNone || wind != wind_) {
        return;
    }
    LEditDocument* document = document_;
    Stop();
    if (document == nullptr || resume_ == 0) {
        return;
    }
    const std::int32_t cursor = document->Positions().cursor;
    if (resume_ == 1) {
        if (PlayFrom(*document, cursor)) {
            player_.Cue();
        }
        return;
    }
    // The play goes on from the cursor as it was: to its end, at its speed, looped or not.
    PlayRequest request = resume_request_;
    request.from = cursor;
    request.loop = resume_loop_;
    if (request.from >= request.end) {
        if (!resume_loop_) {
            return;
        }
        request.from = request.loop_start;
    }
    Begin(*document, request);
}

void LTransport::LowerVolumeForWind() {
    if (lowered_ || !ReadBool("Settings", "ReduceVolWhenRewind", false)) {
        return;
    }
    const LMixer mixer(outputs_.DeviceNames());
    // Without a mixer to read, the volume the user chose is what comes back.
    lowered_ = LoweredVolume{mixer.GetOutVolume(Device()),
                             output_ ? output_->volume_db : ReadInt("Settings", "PlayVolume", 0)};
    mixer.SetOutVolume(Device(), 0, -8);
}

void LTransport::RestoreVolumeAfterWind() {
    if (!lowered_) {
        return;
    }
    const LMixer mixer(outputs_.DeviceNames());
    if (lowered_->levels) {
        mixer.RestoreOutVolume(Device(), *lowered_->levels);
    } else {
        mixer.SetOutVolume(Device(), 0, lowered_->db);
    }
    lowered_.reset();
}

void LTransport::EvStop(std::uint32_t /*user*/) {
    if (stopping_) {
        return;
    }
    // The sound ran out or the device failed: the cursor stays at the end of what played, or
    // where the failure left it.
    const std::string reason = player_.ErrorText();
    RestoreVolumeAfterWind();
    wind_ = Wind::kNone;
    Settle(reason.empty() ? request_.end : last_heard_);
    host_.PlaybackEnded(reason);
}

void LTransport::EvPosition(std::uint32_t /*user*/, std::int32_t /*milliseconds*/) {
    last_heard_ = DocumentFrameOf(player_.PlayedPosition());
    host_.PositionReported(last_heard_);
}

void LTransport::EvLevels(std::uint32_t /*user*/, const SoundLevels& levels) {
    host_.LevelsChanged(levels);
}

}  // namespace sonvara
