#pragma once
// Disc images in a folder, for trying the CD import without a drive: each NAME.toc describes one
// drive's disc, whose raw sectors (2352 bytes each, from block 0) are the file NAME.bin beside it.
// The drives come in the order of the names. A ".toc" is text, one statement a line:
//
//     # a comment
//     track 0          the first track starts at block 0
//     track 4650 data  a data track
//     fail 6000        a read covering block 6000 fails, as a scratched disc's would
//
// The tracks come in disc order, each after the one before and before the lead-out, which is the
// end of NAME.bin (a last part sector reads as zeros). A ".toc" without tracks is a drive without
// a disc. The sectors are read into memory when the list is made.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cd/image_drive.h"

namespace sonvara {

// Reads `text` into `disc`'s tracks and failing block for a disc whose lead-out is `lead_out`:
// "" when it could, else what is wrong and on which line (the tracks are then none).
std::string ParseDiscToc(std::string_view text, std::int32_t lead_out, DiscImage& disc);

// The discs of the images in `folder`. An image that cannot be read is a drive without a disc,
// and what is wrong with it is added to `errors`, naming the file.
std::vector<DiscImage> LoadDiscImages(const std::string& folder, std::vector<std::string>& errors);

}  // namespace sonvara
