#include "project/region.h"

#include "core/byte_order.h"
#include "project/record_fields.h"

namespace sonvara {

bool EncodeRegion(const LSVRegion& region, RegionRecord& record) {
    const bool name_fits = PutTextField(record.data(), region.name);
    const bool fits = PutTextField(record.data() + kTextFieldBytes, region.file) && name_fits;
    StoreLE32(record.data() + 2 * kTextFieldBytes, region.start_ms);
    StoreLE32(record.data() + 2 * kTextFieldBytes + 4, region.end_ms);
    return fits;
}

void DecodeRegion(const std::uint8_t* record, LSVRegion& region) {
    region.name = GetTextField(record);
    region.file = GetTextField(record + kTextFieldBytes);
    region.start_ms = LoadLE32(record + 2 * kTextFieldBytes);
    region.end_ms = LoadLE32(record + 2 * kTextFieldBytes + 4);
}

}  // namespace sonvara
