// Stands in for the MP3 encoder component in tests. It writes what it was given to the file named
// by SONVARA_STAND_IN_RECORD: its process id, each argument on a line of its own, then the rate
// and channels of the WAV file it was given as input (the second argument from the end). Then, by
// SONVARA_STAND_IN_BEHAVIOUR:
//   "encode" (or unset): copies the MP3 file named by SONVARA_STAND_IN_MP3 to its output (the
//                        last argument) and exits with 0;
//   "fail":              writes a few bytes of output and exits with 3;
//   "hang":              writes a few bytes of output and waits until it is killed.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/byte_order.h"

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 64;
    }
    const std::string input = argv[argc - 2];
    const std::string output = argv[argc - 1];
    {
        std::ofstream record(Environment("SONVARA_STAND_IN_RECORD"));
        record << getpid() << '\n';
        for (int i = 1; i < argc; ++i) {
            record << argv[i] << '\n';
        }
        std::uint8_t header[44] = {};
        std::ifstream wav(input, std::ios::binary);
        wav.read(reinterpret_cast<char*>(header), sizeof header);
        record << "input " << sonvara::LoadLE32(header + 24) << ' '
               << sonvara::LoadLE16(header + 22) << '\n';
    }
    const std::string behaviour = Environment("SONVARA_STAND_IN_BEHAVIOUR");
    if (behaviour == "fail" || behaviour == "hang") {
        std::ofstream(output, std::ios::binary) << "partial";
        if (behaviour == "fail") {
            return 3;
        }
        for (;;) {
            pause();
        }
    }
    std::ifstream mp3(Environment("SONVARA_STAND_IN_MP3"), std::ios::binary);
    std::ofstream out(output, std::ios::binary);
    out << mp3.rdbuf();
    return out.good() ? 0 : 1;
}
