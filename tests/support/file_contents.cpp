#include "tests/support/file_contents.h"

#include <fstream>
#include <sstream>

namespace sonvara::testing {

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    const std::string text = FileText(path);
    return {text.begin(), text.end()};
}

std::string FileText(const std::string& path) {
    // Read through the stream buffer rather than by size: files under /proc say they are empty.
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return std::move(text).str();
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

}  // namespace sonvara::testing
