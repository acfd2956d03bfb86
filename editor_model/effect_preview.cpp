#include "editor_model/effect_preview.h"

#include <algorithm>
#include <limits>

#include "audio/loop_source.h"
#include "document/cut_list_reader.h"
#include "document/edit_document.h"

namespace sonvara {
namespace {

constexpr std::int32_t kPartSeconds = 10;

// The loop with its positions moved on by `shift`: the player's position goes on across a
// change of effect while the loop underneath starts where the old one was heard.
class LSRCShifted : public LSoundSourceBase {
  public:
    LSRCShifted(LSoundSourceRef upstream, std::int64_t shift)
        : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(),
                           upstream->GetMaxSample()),
          upstream_(std::move(upstream)),
          shift_(shift) {
        FollowErrorsOf(*upstream_);
    }

    void Read(Sample* buffer, std::int32_t frames) override { upstream_->Read(buffer, frames); }
    std::int32_t GetPosition() const override {
        return Clamp(std::int64_t{upstream_->GetPosition()} + shift_);
    }
    std::int32_t GetLength() const override { return std::numeric_limits<std::int32_t>::max(); }
    void Seek(std::int32_t frame) override {
        upstream_->Seek(Clamp(std::max<std::int64_t>(frame - shift_, 0)));
    }

  private:
    static std::int32_t Clamp(std::int64_t frame) {
        return static_cast<std::int32_t>(
            std::clamp<std::int64_t>(frame, 0, std::numeric_limits<std::int32_t>::max()));
    }

    LSoundSourceRef upstream_;
    std::int64_t shift_;
};

}  // namespace

struct LEffectPreview::Chain {
    LSoundSourceRef head;
    LSRCLoop* loop = nullptr;
    std::int32_t loop_end = 0;  // an effect that changes the length moves the loop's end
    std::int64_t shift = 0;
};

LEffectPreview::LEffectPreview(LSoundPlayer& player, const LEditDocument& document)
    : player_(player), document_(document) {}

LEffectPreview::~LEffectPreview() {
    Stop();
}

FrameRange LEffectPreview::PartOf(const LEditDocument& document) {
    const LEditPositions& positions = document.Positions();
    const std::int32_t length = document.Audio().GetLength();
    const FrameRange selection{std::clamp(positions.selection_start, 0, length),
                               std::clamp(positions.selection_end, 0, length)};
    if (selection.start < selection.end) {
        return selection;
    }
    const std::int64_t span = std::int64_t{document.Audio().GetSampleRate()} * kPartSeconds;
    std::int32_t start = std::clamp(positions.cursor, 0, length);
    if (start == length) {
        start = static_cast<std::int32_t>(std::max<std::int64_t>(length - span, 0));
    }
    return {start, static_cast<std::int32_t>(std::min<std::int64_t>(start + span, length))};
}

std::unique_ptr<LEffectPreview::Chain> LEffectPreview::MakeChain(const EffectSourceFactory& effect,
                                                                 std::int64_t heard) const {
    LSoundSourceRef source = effect(LSoundSourceRef(new LSRCCutListAudio(audio_)));
    // The effect's frames of the part end where the part ends in the changed document.
    const std::int64_t end =
        std::int64_t{part_.end} + source->GetLength() - std::int64_t{audio_.GetLength()};
    if (source->IsError() || end <= part_.start) {
        return nullptr;
    }
    auto chain = std::make_unique<Chain>();
    chain->loop_end = static_cast<std::int32_t>(end);
    std::int64_t place = part_.start;
    if (chain_) {
        // The same share of the way through the loop as the chain playing now.
        const std::int64_t old_length = chain_->loop_end - part_.start;
        const std::int64_t into = chain_->loop->UpstreamFrame(heard - chain_->shift) - part_.start;
        place = part_.start + std::clamp<std::int64_t>(into, 0, old_length - 1) *
                                  (chain->loop_end - part_.start) / old_length;
        chain->shift = heard - place;
    }
    source->Seek(static_cast<std::int32_t>(place));
    chain->loop = new LSRCLoop(source, part_.start, chain->loop_end);
    chain->head = LSoundSourceRef(new LSRCShifted(LSoundSourceRef(chain->loop), chain->shift));
    if (chain->head->IsError()) {
        return nullptr;
    }
    return chain;
}

bool LEffectPreview::Start(const EffectSourceFactory& effect) {
    Stop();
    error_.clear();
    audio_ = document_.Audio();
    part_ = PartOf(document_);
    if (part_.start >= part_.end) {
        error_ = "El documento está vacío.";
        return false;
    }
    std::unique_ptr<Chain> chain = MakeChain(effect, 0);
    if (!chain) {
        error_ = "El efecto no puede tomar estos valores.";
        return false;
    }
    // Whoever played on the player hears its stop before the preview takes the notifications.
    owner_ = player_.NotifyTarget();
    owner_user_ = player_.NotifyUser();
    player_.Stop();
    player_.SetNotify(this);
    borrowed_ = true;
    stopping_ = true;  // a start that fails is told here, not as an end of play
    const bool started = player_.Start(chain->head);
    stopping_ = false;
    if (!started) {
        error_ = player_.ErrorText();
        GiveBack();
        return false;
    }
    chain_ = std::move(chain);
    return true;
}

void LEffectPreview::Update(const EffectSourceFactory& effect) {
    if (!IsPlaying()) {
        return;
    }
    std::unique_ptr<Chain> chain = MakeChain(effect, player_.HeardPosition());
    if (chain && player_.ReplaceSource(chain->head)) {
        chain_ = std::move(chain);
    }
}

void LEffectPreview::Stop() {
    if (!borrowed_) {
        return;
    }
    stopping_ = true;
    player_.Stop();
    stopping_ = false;
    GiveBack();
}

void LEffectPreview::GiveBack() {
    chain_.reset();
    if (borrowed_) {
        borrowed_ = false;
        player_.SetNotify(owner_, owner_user_);
    }
}

bool LEffectPreview::IsPlaying() const {
    return borrowed_ && chain_ && !player_.IsIdle();
}

std::string LEffectPreview::ErrorText() const {
    return error_;
}

void LEffectPreview::EvStop(std::uint32_t /*user*/) {
    if (stopping_) {
        return;
    }
    // A loop never runs out: the device failed.
    error_ = player_.ErrorText();
    GiveBack();
    if (ended_) {
        ended_();
    }
}

}  // namespace sonvara
