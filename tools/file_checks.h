#pragma once
// The checks sonvara-batch makes on the files named on its command line before any work starts.
// Each gives the message that names the fault (shown after "sonvara-batch: "), or nothing when
// the file will do.

#include <optional>
#include <string>

#include "formats/sample_bits.h"

namespace sonvara {

// An input must exist, and a reader must know its extension; with `component_decoders`, an
// extension that a decoder component reads (Windows Media, DSS, RealAudio) will do too.
std::optional<std::string> InputFileProblem(const std::string& path, bool component_decoders);

// Why an input whose reader refused it cannot be read: the coding it holds that no reader takes,
// else "datos ilegibles".
std::string UnreadableInputMessage(const std::string& path);

// --bits must name a width the output's format holds.
std::optional<std::string> BitsProblem(const std::string& output, std::optional<SampleBits> bits);

// A writer must know an output's extension.
std::optional<std::string> OutputFileProblem(const std::string& path);

}  // namespace sonvara
