#include "cd/disc_image_file.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cd/cd_commands.h"

namespace sonvara {

namespace {

// A raw image of more than 100 minutes is no audio CD.
constexpr std::uintmax_t kLargestImage = std::uintmax_t{100} * 60 * 75 * kCdSectorBytes;
constexpr std::size_t kMaxImageTracks = 99;

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (true) {
        at = line.find_first_not_of(" \t\r", at);
        if (at == std::string_view::npos) {
            return words;
        }
        const std::size_t end = std::min(line.find_first_of(" \t\r", at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end;
    }
}

bool BlockIn(std::string_view word, std::int32_t& block) {
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), block);
    return error == std::errc() && end == word.data() + word.size() && block >= 0;
}

bool ReadFile(const std::filesystem::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        return false;
    }
    std::ostringstream out;
    out << in.rdbuf();  // an empty file inserts nothing, which only fails `out`
    text = std::move(out).str();
    return !in.bad();
}

}  // namespace

std::string ParseDiscToc(std::string_view text, std::int32_t lead_out, DiscImage& disc) {
    disc.tracks.clear();
    disc.failing_block.reset();
    int number = 0;
    std::string error;
    while (!text.empty() && error.empty()) {
        ++number;
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        line = line.substr(0, std::min(line.find('#'), line.size()));
        const std::vector<std::string_view> words = Words(line);
        std::int32_t block = 0;
        const std::string where = "línea " + std::to_string(number) + ": ";
        if (words.empty()) {
            continue;
        }
        if (words[0] == "fail" && words.size() == 2 && BlockIn(words[1], block)) {
            disc.failing_block = block;
        } else if (words[0] == "track" && (words.size() == 2 || words.size() == 3) &&
                   BlockIn(words[1], block) && (words.size() == 2 || words[2] == "data")) {
            if (disc.tracks.size() == kMaxImageTracks) {
                error = where + "más de 99 pistas";
            } else if (block >= lead_out) {
                error = where + "la pista empieza después del final de la imagen";
            } else if (!disc.tracks.empty() && block <= disc.tracks.back().start) {
                error = where + "la pista no empieza después de la anterior";
            } else {
                disc.tracks.push_back({block, words.size() == 3});
            }
        } else {
            error = where + "se esperaba \"track BLOQUE [data]\" o \"fail BLOQUE\"";
        }
    }
    if (!error.empty()) {
        disc.tracks.clear();
        disc.failing_block.reset();
    }
    return error;
}

std::vector<DiscImage> LoadDiscImages(const std::string& folder, std::vector<std::string>& errors) {
    std::vector<std::filesystem::path> tocs;
    std::error_code code;
    for (std::filesystem::directory_iterator it(folder, code), end; !code && it != end;
         it.increment(code)) {
        if (it->path().extension() == ".toc") {
            tocs.push_back(it->path());
        }
    }
    if (code) {
        errors.push_back(folder + ": " + code.message());
        return {};
    }
    std::sort(tocs.begin(), tocs.end());

    std::vector<DiscImage> discs(tocs.size());
    for (std::size_t i = 0; i < tocs.size(); ++i) {
        DiscImage& disc = discs[i];
        std::filesystem::path sectors = tocs[i];
        sectors.replace_extension(".bin");
        std::string text;
        std::string bytes;
        std::string error;
        // Without sectors, only a drive without a disc.
        const bool has_sectors = std::filesystem::exists(sectors, code);
        const std::uintmax_t size = has_sectors ? std::filesystem::file_size(sectors, code) : 0;
        if (!ReadFile(tocs[i], text)) {
            error = "no se puede leer";
        } else if (code) {
            error = sectors.filename().string() + ": " + code.message();
        } else if (size > kLargestImage) {
            error = sectors.filename().string() + " es mayor que un CD";
        } else if (has_sectors && (!ReadFile(sectors, bytes) || bytes.size() != size)) {
            error = sectors.filename().string() + " no se puede leer";
        } else {
            // A last part sector reads as zeros.
            bytes.resize((bytes.size() + kCdSectorBytes - 1) / kCdSectorBytes * kCdSectorBytes);
            disc.sectors.assign(bytes.begin(), bytes.end());
            error = ParseDiscToc(text, disc.LeadOut(), disc);
            if (!error.empty() && !has_sectors) {
                error = "falta " + sectors.filename().string();
            }
        }
        if (!error.empty()) {
            disc = DiscImage{};
            errors.push_back(tocs[i].string() + ": " + error);
        }
    }
    return discs;
}

}  // namespace sonvara
