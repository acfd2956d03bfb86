#include "formats/decoded_file.h"
#include "formats/load_save.h"
#include "formats/tag_file.h"

namespace sonvara {

LSVConvertFile::LSVConvertFile(std::string input, std::string output, SaveMode mode,
                               bool ask_raw_format, std::optional<SampleBits> bits)
    : LProgressDialog("Sonvara"),
      input_(std::move(input)),
      output_(std::move(output)),
      mode_(mode),
      ask_raw_format_(ask_raw_format),
      bits_(bits) {}

ProcessResult LSVConvertFile::Body() {
    DecodedFile decoded;
    LSoundSourceRef source;
    if (const ProcessResult opened =
            OpenInputSource(*this, input_, ask_raw_format_, decoded, source);
        opened != PROCESS_DONE) {
        return opened;
    }
    SetText("Saving file...", 0);
    return SaveSourceToFile(*this, source, output_, mode_,
                            {input_, bits_, ReadFileTags(input_), {}});
}

}  // namespace sonvara
