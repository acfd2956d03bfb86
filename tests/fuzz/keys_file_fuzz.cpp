// Opens arbitrary bytes as "keys.dat" through the file reader. A file is either refused whole (a
// first byte other than 0) or read into macros that write out as a prefix of it: the reader
// never makes up a record, reads at most what the file holds, and what it keeps writes and reads
// back as itself.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "editor_model/macro_keys.h"
#include "tests/fuzz/source_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using sonvara::fuzz::Check;
    sonvara::fuzz::MemoryFile file(data, size);
    const sonvara::KeysFileRead read = sonvara::ReadKeysFile(file.Path());
    if (size == 0 || data[0] != 0) {
        Check(read.state == sonvara::KeysFileState::kWrongVersion && read.macros.empty());
        return 0;
    }
    Check(read.state == sonvara::KeysFileState::kRead);
    const std::vector<std::uint8_t> written = sonvara::EncodeKeysFile(read.macros);
    // Every record but a cut last one is the file's own bytes; a cut record writes its count as
    // the commands it kept.
    std::size_t same = 0;
    while (same < written.size() && same < size && written[same] == data[same]) {
        ++same;
    }
    std::size_t last = 1;
    for (std::size_t i = 0; i + 1 < read.macros.size(); ++i) {
        last += 5 + 4 * read.macros[i].commands.size();
    }
    Check(same >= last);
    Check(read.macros.size() <= size / 4);
    Check(sonvara::ParseKeysFile(written).macros == read.macros);
    return 0;
}
