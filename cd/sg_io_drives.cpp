#include "cd/sg_io_drives.h"

#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "core/file.h"

namespace sonvara {
namespace {

constexpr std::size_t kInfoLimit = 65536;

bool IsPlainName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

// sr2 before sr10: names compare by their letters, then by the number that ends them.
bool NumberOrder(const std::string& a, const std::string& b) {
    auto split = [](const std::string& name) {
        const std::size_t digits = name.find_first_of("0123456789");
        const std::string letters = name.substr(0, digits);
        const std::string number = digits == std::string::npos ? "" : name.substr(digits);
        return std::make_tuple(letters, number.size(), number);
    };
    return split(a) < split(b);
}

std::vector<std::string> DeviceFolderDriveNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 2 && name.compare(0, 2, "sr") == 0 &&
            name.find_first_not_of("0123456789", 2) == std::string::npos) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), NumberOrder);
    return names;
}

class SgIoDevice : public ScsiDevice {
  public:
    explicit SgIoDevice(LFile file) : file_(std::move(file)) {}

    std::optional<std::size_t> Execute(std::span<const std::uint8_t> cdb,
                                       std::span<std::uint8_t> data,
                                       std::chrono::milliseconds timeout) override {
        std::uint8_t command[16] = {};
        std::uint8_t sense[32] = {};
        if (cdb.size() > sizeof command) {
            return std::nullopt;
        }
        std::copy(cdb.begin(), cdb.end(), command);
        sg_io_hdr_t io{};
        io.interface_id = 'S';
        io.dxfer_direction = SG_DXFER_FROM_DEV;
        io.cmd_len = static_cast<unsigned char>(cdb.size());
        io.cmdp = command;
        io.mx_sb_len = sizeof sense;
        io.sbp = sense;
        io.dxfer_len = static_cast<unsigned int>(data.size());
        io.dxferp = data.data();
        io.timeout = static_cast<unsigned int>(timeout.count());
        int status;
        do {
            status = ::ioctl(file_.Descriptor(), SG_IO, &io);
        } while (status < 0 && errno == EINTR);
        if (status < 0 || (io.info & SG_INFO_OK_MASK) != SG_INFO_OK || io.resid < 0 ||
            static_cast<std::size_t>(io.resid) > data.size()) {
            return std::nullopt;
        }
        return data.size() - static_cast<std::size_t>(io.resid);
    }

  private:
    LFile file_;
};

}  // namespace

std::vector<std::string> CdromInfoDriveNames(const std::string& info_text) {
    std::istringstream lines(info_text);
    std::string line;
    const std::string key = "drive name:";
    while (std::getline(lines, line)) {
        if (line.compare(0, key.size(), key) != 0) {
            continue;
        }
        std::istringstream words(line.substr(key.size()));
        std::vector<std::string> names;
        for (std::string name; words >> name;) {
            if (IsPlainName(name)) {
                names.push_back(name);
            }
        }
        // The driver lists the newest drive first.
        std::sort(names.begin(), names.end(), NumberOrder);
        return names;
    }
    return {};
}

SgIoDriveList::SgIoDriveList(const std::string& info_path, std::string device_folder)
    : device_folder_(std::move(device_folder)) {
    LFile info;
    if (info.Open(info_path, FileAccess::kRead, FileSharing::kReadWrite,
                  FileDisposition::kOpenExisting)) {
        // The driver's text is a few hundred bytes; /proc reports no size, so read what comes.
        std::string text(kInfoLimit, '\0');
        text.resize(info.Read(text.data(), text.size()));
        names_ = CdromInfoDriveNames(text);
    }
    if (names_.empty()) {
        names_ = DeviceFolderDriveNames(device_folder_);
    }
}

std::unique_ptr<ScsiDevice> SgIoDriveList::Open(int index) {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    const std::string path = device_folder_ + "/" + names_[static_cast<std::size_t>(index)];
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return nullptr;
    }
    return std::make_unique<SgIoDevice>(LFile(descriptor));
}

}  // namespace sonvara
