#pragma once
// The RealAudio engine behind CreateEngine/CloseEngine (real_audio_engine.h), over FFmpeg's
// RealMedia demuxer and its decoders. A player accepts "file:" URLs of ".ra"/".rm" files and of
// ".ram" files, small text files whose first line names the clip to play; only regular local
// files are read. It decodes a slice of the clip into its audio device each time the engine's
// ProcessIdle runs.

#include "components/real_audio_engine.h"

namespace sonvara::realaudio {

// A new engine holding one reference for the caller.
IRMAClientEngine* NewEngine();

}  // namespace sonvara::realaudio
