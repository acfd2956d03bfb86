// Opens arbitrary bytes as a bookmark list file. A list either reads whole or adds nothing, and
// what it read writes out and reads back the same.

#include <cstddef>
#include <cstdint>

#include "project/bookmark.h"
#include "tests/fuzz/project_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using sonvara::fuzz::Check;
    const std::string& folder = sonvara::fuzz::UseScratchCutTank();
    sonvara::fuzz::MemoryFile file(data, size);
    std::vector<sonvara::LSVBookMark> list(1);
    const sonvara::BookMarkListResult result = sonvara::LoadBookMarkList(file.Path(), list);
    if (result != sonvara::BookMarkListResult::kRead) {
        Check(list.size() == 1);
        return 0;
    }
    Check(size >= 2 && list.size() == 1u + data[1]);
    Check((list.size() - 1) * sonvara::kBookMarkBytes + 2 <= size);
    list.erase(list.begin());
    for (sonvara::LSVBookMark& bookmark : list) {
        bookmark.file = "f";
    }
    const std::string path = folder + "/list.wbm";
    std::string error;
    Check(sonvara::SaveBookMarkList(path, list, "f", error));
    std::vector<sonvara::LSVBookMark> again;
    Check(
        sonvara::LoadBookMarkList(path, again) ==
        (list.empty() ? sonvara::BookMarkListResult::kAbsent : sonvara::BookMarkListResult::kRead));
    Check(again == list);
    return 0;
}
