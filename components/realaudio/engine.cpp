#include "components/realaudio/engine.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "components/ffmpeg/audio_file_decoder.h"

namespace sonvara::realaudio {
namespace {

// Frames decoded for the device in one ProcessIdle, about a second of telephone-rate audio.
constexpr std::size_t kFramesPerSlice = 8192;
// A ".ram" file is a line or two of text; anything longer is not one.
constexpr std::streamsize kLongestMetafile = 4096;

std::string PathOfUrl(std::string url) {
    for (const char* scheme : {"file://", "file:"}) {
        if (url.rfind(scheme, 0) == 0) {
            return url.substr(std::strlen(scheme));
        }
    }
    return url;
}

bool IsMediaFile(const std::string& head) {
    return head.rfind(".RMF", 0) == 0 || head.rfind(".ra\xfd", 0) == 0;
}

// The clip a ".ram" file names (its first line that is not blank or a comment), relative to the
// ".ram" file's folder when it is not absolute; "" when the file names no local clip.
std::string ClipOfMetafile(const std::string& path, const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        line.erase(0, line.find_first_not_of(" \t"));
        line.erase(line.find_last_not_of(" \t") + 1);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line.find("://") != std::string::npos && line.rfind("file://", 0) != 0) {
            return {};  // a stream on a server
        }
        line = PathOfUrl(line);
        if (line.empty() || line[0] == '/') {
            return line;
        }
        const std::size_t slash = path.rfind('/');
        return slash == std::string::npos ? line : path.substr(0, slash + 1) + line;
    }
    return {};
}

class Player final : public IRMAPlayer, public IRMAAudioDeviceManager {
  public:
    std::uint32_t AddRef() override { return ++references_; }
    std::uint32_t Release() override {
        const std::uint32_t left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    RMAResult GetAudioDeviceManager(IRMAAudioDeviceManager** manager) override {
        AddRef();
        *manager = this;
        return RMA_OK;
    }
    RMAResult SetInterrupt(RMAInterruptFunction check, void* context) override {
        interrupt_ = {check, context};
        return RMA_OK;
    }
    RMAResult Replace(IRMAAudioDevice* device) override {
        if (device != nullptr) {
            device->AddRef();
        }
        ReleaseDevice();
        device_ = device;
        return RMA_OK;
    }
    RMAResult Remove(IRMAAudioDevice* device) override {
        if (device == device_) {
            ReleaseDevice();
        }
        return RMA_OK;
    }

    RMAResult OpenURL(const char* url) override {
        if (url == nullptr) {
            return RMA_FAIL;
        }
        std::string path = PathOfUrl(url);
        if (!IsRegularFile(path)) {  // a FIFO or a device could keep the open waiting forever
            return RMA_FAIL;
        }
        std::string head;
        {
            std::ifstream file(path, std::ios::binary);
            head.resize(static_cast<std::size_t>(kLongestMetafile));
            file.read(head.data(), kLongestMetafile);
            head.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
        }
        if (!head.empty() && !IsMediaFile(head)) {
            path = ClipOfMetafile(path, head);
        }
        decoder_ = path.empty() ? nullptr : AudioFileDecoder::Open(path, "rm", nullptr, interrupt_);
        return decoder_ != nullptr ? RMA_OK : RMA_FAIL;
    }

    RMAResult Begin() override {
        if (decoder_ == nullptr || playing_ || done_) {
            return RMA_FAIL;
        }
        playing_ = true;
        if (device_ != nullptr) {
            const RMAAudioFormat format{
                static_cast<std::uint16_t>(decoder_->Channels()), 16,
                static_cast<std::uint32_t>(decoder_->Rate()),
                static_cast<std::uint32_t>(kFramesPerSlice * 2 * sizeof(std::int16_t) * 2)};
            if (device_->Open(format) != RMA_OK) {
                Finish();
            }
        }
        return RMA_OK;
    }

    RMAResult Stop() override {
        if (playing_ && !done_) {
            Finish();
        }
        return RMA_OK;
    }

    bool IsDone() override { return done_; }
    std::uint32_t GetCurrentPlayTime() override { return played_ms_; }
    std::uint32_t GetLength() override {
        return decoder_ == nullptr ? 0
                                   : static_cast<std::uint32_t>(std::clamp<std::int64_t>(
                                         decoder_->DurationMs(), 0, 0xFFFFFFFF));
    }

    // One slice of decoding into the device.
    void Work() {
        if (!playing_ || done_) {
            return;
        }
        const auto channels = static_cast<std::size_t>(decoder_->Channels());
        samples_.clear();
        bool more = true;
        while (more && samples_.size() < kFramesPerSlice * channels) {
            more = decoder_->Decode(samples_);
        }
        if (!samples_.empty() && device_ != nullptr) {
            const RMAAudioData data{
                reinterpret_cast<const std::uint8_t*>(samples_.data()),
                static_cast<std::uint32_t>(samples_.size() * sizeof(std::int16_t)), played_ms_};
            if (device_->Write(data) != RMA_OK) {
                more = false;
            }
        }
        frames_played_ += samples_.size() / channels;
        played_ms_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(
            frames_played_ * 1000 / static_cast<std::uint64_t>(decoder_->Rate()), 0xFFFFFFFF));
        if (!more) {
            Finish();
        }
    }

  private:
    ~Player() { ReleaseDevice(); }

    void Finish() {
        done_ = true;
        if (device_ != nullptr) {
            device_->Close();
        }
    }
    void ReleaseDevice() {
        if (device_ != nullptr) {
            std::exchange(device_, nullptr)->Release();
        }
    }

    std::uint32_t references_ = 1;
    IRMAAudioDevice* device_ = nullptr;  // one reference held
    DecodeInterrupt interrupt_;
    std::unique_ptr<AudioFileDecoder> decoder_;
    std::vector<std::int16_t> samples_;
    bool playing_ = false;
    bool done_ = false;
    std::uint64_t frames_played_ = 0;
    std::uint32_t played_ms_ = 0;
};

class Engine final : public IRMAClientEngine {
  public:
    std::uint32_t AddRef() override { return ++references_; }
    std::uint32_t Release() override {
        const std::uint32_t left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    RMAResult CreatePlayer(IRMAPlayer** player) override {
        if (player == nullptr) {
            return RMA_FAIL;
        }
        auto* created = new Player;  // the caller's reference
        created->AddRef();           // the engine's
        players_.push_back(created);
        *player = created;
        return RMA_OK;
    }

    RMAResult ClosePlayer(IRMAPlayer* player) override {
        auto found = std::find_if(players_.begin(), players_.end(), [player](Player* p) {
            return static_cast<IRMAPlayer*>(p) == player;
        });
        if (found == players_.end()) {
            return RMA_FAIL;
        }
        Player* closed = *found;
        players_.erase(found);
        closed->Stop();
        closed->Release();
        return RMA_OK;
    }

    void ProcessIdle() override {
        for (Player* player : players_) {
            player->Work();
        }
    }

  private:
    ~Engine() {
        for (Player* player : players_) {
            player->Stop();
            player->Release();
        }
    }

    std::uint32_t references_ = 1;
    std::vector<Player*> players_;  // one reference held on each
};

}  // namespace

IRMAClientEngine* NewEngine() {
    return new Engine;
}

}  // namespace sonvara::realaudio
