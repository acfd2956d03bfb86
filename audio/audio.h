#pragma once
// audio: how sound moves through the program.
//
// Vocabulary. A sample is one signed 32-bit value of one channel on the internal scale (16-bit
// PCM × 16, full scale FULL_SCALE = 0x7FFF0). A frame is one sample per channel, interleaved.
// Positions and lengths count frames. Gains are fixed point with unity at 2^24.
//
// Chains. Audio is pulled from a chain of sources (LSoundSourceBase) and pushed into one sink
// (LSoundSinkBase). Read always fills the whole request, with zeros past the end; the end is
// position ≥ length. Filters wrap an upstream source; filter makers give back the source itself
// when nothing needs doing. LPRSourceToSink copies any source into any sink, fitting channels,
// rate and level on the way.
//
// Ownership and threads. Sources and sinks are shared through counted references and destroyed
// by the last one; a file sink finishes its file then. A chain is used by one thread at a time.
// Failures are an error bit, never a missing object.

#include "audio/convert_channels.h"
#include "audio/convert_rate.h"
#include "audio/filter_makers.h"
#include "audio/memory_stream.h"
#include "audio/peak_limit.h"
#include "audio/sample_format.h"
#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "audio/sound_time.h"
#include "audio/source_to_sink.h"
#include "audio/split_multiply.h"
