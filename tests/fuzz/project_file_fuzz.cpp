// Opens arbitrary bytes as a project file. Whatever it holds, the load ends without taking in
// more audio than the file holds, every file and region read has one or two channels, and a
// project that loads saves and loads again to the same contents.

#include <cstddef>
#include <cstdint>

#include "document/cut_list_reader.h"
#include "project/project_file.h"
#include "tests/fuzz/project_fuzz_support.h"

namespace {

std::int64_t AudioBytes(const sonvara::LCutListAudio& audio) {
    sonvara::fuzz::Check(audio.GetChannels() == 1 || audio.GetChannels() == 2);
    return std::int64_t{audio.GetLength()} * audio.GetChannels() * 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using sonvara::fuzz::Check;
    const std::string& folder = sonvara::fuzz::UseScratchCutTank();
    sonvara::fuzz::MemoryFile file(data, size);
    const std::string path = file.Path();
    sonvara::LSVProject project;
    sonvara::LSVLoadProject load(path, project);
    const sonvara::ProcessResult result = sonvara::fuzz::RunQuietly(load);
    std::int64_t audio = 0;
    for (const sonvara::LSVProjectFile& read : project.files) {
        audio += AudioBytes(read.audio);
    }
    for (const sonvara::LSVRegion& region : project.regions) {
        audio += AudioBytes(region.audio);
    }
    Check(audio <= static_cast<std::int64_t>(size));
    if (result != sonvara::PROCESS_DONE) {
        return 0;
    }
    // The bookmarks are stored grouped by their files' names: every one read gets a file.
    for (std::size_t i = 0; i < project.files.size(); ++i) {
        project.files[i].display_name = "file " + std::to_string(i);
    }
    for (sonvara::LSVBookMark& bookmark : project.bookmarks) {
        bookmark.file = "file 0";
    }
    if (project.files.empty()) {
        project.bookmarks.clear();
    }
    const std::string saved = folder + "/saved.svp";
    sonvara::LSVSaveProject save(saved, project);
    Check(sonvara::fuzz::RunQuietly(save) == sonvara::PROCESS_DONE);
    sonvara::LSVProject again;
    sonvara::LSVLoadProject reload(saved, again);
    Check(sonvara::fuzz::RunQuietly(reload) == sonvara::PROCESS_DONE);
    Check(again.files.size() == project.files.size());
    Check(again.current == project.current);
    Check(again.bookmarks == project.bookmarks);
    Check(again.regions.size() == project.regions.size());
    for (std::size_t i = 0; i < again.files.size(); ++i) {
        Check(again.files[i].path == project.files[i].path);
        Check(again.files[i].positions == project.files[i].positions);
        Check(again.files[i].audio.GetLength() == project.files[i].audio.GetLength());
    }
    for (std::size_t i = 0; i < again.regions.size(); ++i) {
        Check(again.regions[i].name == project.regions[i].name);
        Check(again.regions[i].audio.GetLength() == project.regions[i].audio.GetLength());
    }
    return 0;
}
