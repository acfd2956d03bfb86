#pragma once
// Whole files in tests: what a writer left, read back in one go, and bytes put in place for a
// reader to find.

#include <cstdint>
#include <string>
#include <vector>

namespace sonvara::testing {

// The file's bytes; none when it cannot be read.
std::vector<std::uint8_t> FileBytes(const std::string& path);
// The same as text.
std::string FileText(const std::string& path);

// Replaces the file with `bytes`; false when they could not all be written.
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace sonvara::testing
