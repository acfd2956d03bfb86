// Parses arbitrary bytes as a recovery file. A file is refused whole or read into a content that
// writes out as the very same bytes: the parser never makes up or drops a field.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document/recovery_file.h"
#include "tests/fuzz/source_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto content = sonvara::ParseRecoveryFile(bytes)) {
        sonvara::fuzz::Check(sonvara::SerializeRecoveryFile(*content) == bytes);
        sonvara::fuzz::Check(content->channels == 1 || content->channels == 2);
    }
    return 0;
}
