#pragma once
// A batch list run as one chain of sources, from the input file's reader to the output's writer,
// with no cut files in between. It gives the frames the document path gives: each stage is the
// source the document's command runs its selection through, amplifies fold into one gain as the
// document folds them into its cuts' gains, and a conversion of rate or channels ends in the peak
// limit that the document's conversion applies as it writes its new cuts. Past its length each
// stage gives silence, as the document holding its result would.
//
// A stage that follows the whole of what is before it (a loudness gain) asks a first pass: the
// input is opened again, the chain so far is built again over it from the steps it was built
// with, and the pass reads that copy, so the chain itself is still unread when the save reads it.

#include <cstdint>
#include <functional>
#include <vector>

#include "audio/sound_source.h"
#include "effects/effect_process.h"
#include "effects/registry/effect_entry.h"

namespace sonvara {

class LSRCLengthGuard;
class LSRCStageEnd;

class BatchStream : public StreamInput {
  public:
    // `reopen` opens the input again for a first pass, `run` runs a pass as a step of the batch
    // run; without them a first pass fails.
    explicit BatchStream(LSoundSourceRef input, std::function<LSoundSourceRef()> reopen = {},
                         ProcessRunner run = {});
    ~BatchStream();
    BatchStream(const BatchStream&) = delete;
    BatchStream& operator=(const BatchStream&) = delete;

    // The chain so far, with the amplifies since the last stage applied.
    const LSoundSourceRef& Source();
    // A stage over the chain.
    void Then(const EffectSourceFactory& make);
    // An amplify of the whole: the gain the document would give its cuts.
    void Amplify(std::int32_t percent);
    // A gain of the whole by `factor`, rounded into the gain as the document rounds its cuts'.
    void ScaleGain(double factor);
    // The document's conversion to `rate` and `channels` (nothing when they are the chain's).
    void Convert(std::int32_t rate, int channels);
    // The chain for the save: it declares that it may pass full scale, so the save's copy always
    // ends in its peak limit, which then acts exactly where it would on the document.
    LSoundSourceRef ForSave();
    // The length of the chain, for a stage that places something along the whole. From then on
    // the input's length must stay what it was (a reader that only estimated its length puts
    // the chain in error when the estimate changes: see LengthChanged).
    std::int32_t FixedLength();
    // Whether the input's length moved where the chain could not follow it (after FixedLength
    // was asked, or after a stage's end had begun its silence); the chain is then in error and
    // the file goes through the document instead.
    bool LengthChanged() const;

    // StreamInput: FixedLength, and a first pass over a copy of the chain. A pass that fails
    // (an unreadable input, or one whose length moved under the copy) fails its stage.
    std::int32_t Length() override { return FixedLength(); }
    ProcessResult FirstPass(const Pass& pass) override;
    // PROCESS_DONE, or the result of the first pass that did not end.
    ProcessResult PassResult() const { return pass_result_; }

  private:
    void EndStage(LSoundSourceRef stage);
    // Records a step of the chain's building, for its copies.
    void Record(std::function<void(BatchStream&)> step);

    LSRCLengthGuard* guard_;  // the first stage, owned through the chain
    LSoundSourceRef guard_ref_;
    LSoundSourceRef source_;
    std::int32_t gain_;
    bool limited_ = false;                   // whether the last stage is a conversion's peak limit
    std::vector<const LSRCStageEnd*> ends_;  // the ends of the stages, owned through the chain
    std::function<LSoundSourceRef()> reopen_;
    ProcessRunner run_;
    std::vector<std::function<void(BatchStream&)>> steps_;  // how the chain was built
    ProcessResult pass_result_ = PROCESS_DONE;
};

}  // namespace sonvara
