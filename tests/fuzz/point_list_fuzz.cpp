// Opens arbitrary bytes as a point-list file (equalizer.dat, envelope.dat). Whatever the file
// holds, the list read is at most 64 points, once validated its x never goes back, and the
// response table and envelope made from it stay within their ranges.

#include <cstddef>
#include <cstdint>

#include "effects/equalizer.h"
#include "effects/point_list.h"
#include "tests/fuzz/source_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using sonvara::fuzz::Check;
    sonvara::fuzz::MemoryFile file(data, size);
    sonvara::PointList list;
    Check(list.Load(file.Path()));
    Check(list.Count() <= sonvara::kPointListMax);
    Check(2 * static_cast<std::size_t>(list.Count()) + 1 <= size || list.Count() == 0);
    list.Validate();
    for (int i = 1; i < list.Count(); ++i) {
        Check(list.points[static_cast<std::size_t>(i)].x >=
              list.points[static_cast<std::size_t>(i - 1)].x);
    }
    const std::int32_t rate = size > 0 ? 4000 + data[0] * 400 : 0;
    sonvara::MakeEqualizerResponse(list, rate);  // bounded by its own table
    Check(list.ToBytePointList().points.size() == static_cast<std::size_t>(list.Count()));
    return 0;
}
