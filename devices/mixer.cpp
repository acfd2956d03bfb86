#include "devices/mixer.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <utility>

#include "core/diagnostics.h"
#include "devices/alsa_pcm.h"
#include "devices/system_outputs.h"

namespace sonvara {
namespace {

constexpr int kMaxDevices = 127;
constexpr int kMaxLines = 127;
constexpr std::size_t kMaxLineName = 31;
constexpr int kMixerTop = 65535;
constexpr int kMixerStep = 1424;  // one dB of the fader scale
constexpr int kMixerFloorDb = -36;
constexpr char kRecordingMixer[] = "Mezclador de Grabación";

enum class Direction { kPlayback, kCapture };

void Report(std::string_view operation, std::string_view condition) {
    std::string text = "LMixer::";
    text += operation;
    text += ' ';
    text += condition;
    text += " ERROR";
    Diagnose(text);
}

// One device's simple mixer, open for the length of one call.
class SimpleMixer {
  public:
    SimpleMixer() = default;
    SimpleMixer(const SimpleMixer&) = delete;
    SimpleMixer& operator=(const SimpleMixer&) = delete;
    ~SimpleMixer() {
        if (handle_ != nullptr) {
            snd_mixer_close(handle_);  // only releases memory and the control device
        }
    }

    bool Open(const std::string& control, std::string_view operation) {
        if (control.empty()) {
            Report(operation, "no mixer");
            return false;
        }
        QuietAlsaMessages();
        if (snd_mixer_open(&handle_, 0) < 0) {
            handle_ = nullptr;
            Report(operation, "snd_mixer_open");
            return false;
        }
        if (snd_mixer_attach(handle_, control.c_str()) < 0) {
            Report(operation, "snd_mixer_attach");
            return false;
        }
        if (snd_mixer_selem_register(handle_, nullptr, nullptr) < 0) {
            Report(operation, "snd_mixer_selem_register");
            return false;
        }
        if (snd_mixer_load(handle_) < 0) {
            Report(operation, "snd_mixer_load");
            return false;
        }
        return true;
    }

    snd_mixer_elem_t* Find(std::string_view name) const {
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(handle_); e != nullptr;
             e = snd_mixer_elem_next(e)) {
            if (snd_mixer_selem_is_active(e) && snd_mixer_selem_get_index(e) == 0 &&
                name == snd_mixer_selem_get_name(e)) {
                return e;
            }
        }
        return nullptr;
    }

    // The recording input lines: elements with a capture volume or switch, the destination
    // "Capture" itself left out.
    std::vector<snd_mixer_elem_t*> InputLines() const {
        return Lines([](snd_mixer_elem_t* e) {
            return (snd_mixer_selem_has_capture_volume(e) ||
                    snd_mixer_selem_has_capture_switch(e)) &&
                   std::string_view(snd_mixer_selem_get_name(e)) != "Capture";
        });
    }

    // The auxiliary playback lines: elements with a playback volume other than the destination
    // and the wave output.
    std::vector<snd_mixer_elem_t*> AuxLines() const {
        return Lines([](snd_mixer_elem_t* e) {
            const std::string_view name = snd_mixer_selem_get_name(e);
            return snd_mixer_selem_has_playback_volume(e) && name != "Master" && name != "PCM";
        });
    }

  private:
    template <typename Wanted>
    std::vector<snd_mixer_elem_t*> Lines(Wanted wanted) const {
        std::vector<snd_mixer_elem_t*> lines;
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(handle_);
             e != nullptr && lines.size() < kMaxLines; e = snd_mixer_elem_next(e)) {
            if (snd_mixer_selem_is_active(e) && wanted(e)) {
                lines.push_back(e);
            }
        }
        return lines;
    }

    snd_mixer_t* handle_ = nullptr;
};

// Sets the volume of `element` in `direction` to `db` (see the header for dB scales and raw
// ranges); true when nothing failed.
bool SetVolume(snd_mixer_elem_t* element, Direction direction, int db, std::string_view operation) {
    const bool playback = direction == Direction::kPlayback;
    if (!(playback ? snd_mixer_selem_has_playback_volume(element)
                   : snd_mixer_selem_has_capture_volume(element))) {
        return true;
    }
    long low = 0;
    long high = 0;
    if ((playback ? snd_mixer_selem_get_playback_volume_range(element, &low, &high)
                  : snd_mixer_selem_get_capture_volume_range(element, &low, &high)) < 0) {
        Report(operation, "volume range");
        return false;
    }
    long db_low = 0;
    long db_high = 0;
    const bool has_db =
        (playback ? snd_mixer_selem_get_playback_dB_range(element, &db_low, &db_high)
                  : snd_mixer_selem_get_capture_dB_range(element, &db_low, &db_high)) == 0 &&
        db_high > db_low;
    const int value = MixerValue(db);
    int result = 0;
    if (has_db && value > 0) {
        // ALSA's dB are hundredths; -1 rounds toward the quieter step, never louder than asked.
        const long hundredths = std::clamp(static_cast<long>(db) * 100, db_low, db_high);
        result = playback ? snd_mixer_selem_set_playback_dB_all(element, hundredths, -1)
                          : snd_mixer_selem_set_capture_dB_all(element, hundredths, -1);
    } else {
        const long raw = low + std::lround(static_cast<double>(value) *
                                           static_cast<double>(high - low) / kMixerTop);
        result = playback ? snd_mixer_selem_set_playback_volume_all(element, raw)
                          : snd_mixer_selem_set_capture_volume_all(element, raw);
    }
    if (result < 0) {
        Report(operation, playback ? "set playback volume" : "set capture volume");
        return false;
    }
    return true;
}

// Switches `element` on or off in `direction` where it has a switch; true when nothing failed.
bool SetSwitch(snd_mixer_elem_t* element, Direction direction, bool on,
               std::string_view operation) {
    const bool playback = direction == Direction::kPlayback;
    if (!(playback ? snd_mixer_selem_has_playback_switch(element)
                   : snd_mixer_selem_has_capture_switch(element))) {
        return true;
    }
    if ((playback ? snd_mixer_selem_set_playback_switch_all(element, on ? 1 : 0)
                  : snd_mixer_selem_set_capture_switch_all(element, on ? 1 : 0)) < 0) {
        Report(operation, playback ? "set playback switch" : "set capture switch");
        return false;
    }
    return true;
}

std::string ShortName(snd_mixer_elem_t* element) {
    std::string name = snd_mixer_selem_get_name(element);
    if (name.size() > kMaxLineName) {
        std::size_t cut = kMaxLineName;
        // Not inside a UTF-8 sequence.
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        name.resize(cut);
    }
    return name;
}

// Line `line` of `lines`, or null (reported for `operation`) when there is none.
snd_mixer_elem_t* LineAt(const std::vector<snd_mixer_elem_t*>& lines, int line,
                         std::string_view operation) {
    if (line < 0 || static_cast<std::size_t>(line) >= lines.size()) {
        Report(operation, "no such line");
        return nullptr;
    }
    return lines[static_cast<std::size_t>(line)];
}

}  // namespace

int MixerValue(int db) {
    if (db <= kMixerFloorDb) {
        return 0;
    }
    return std::min((db - kMixerFloorDb) * kMixerStep, kMixerTop);
}

std::string MixerControlName(std::string_view pcm_name) {
    const std::size_t card = pcm_name.find("CARD=");
    if (card != std::string_view::npos) {
        const std::string_view rest = pcm_name.substr(card + 5);
        return "hw:" + std::string(rest.substr(0, rest.find(',')));
    }
    const std::size_t colon = pcm_name.find(':');
    const std::string_view base = pcm_name.substr(0, colon);
    if (base == "null" || base.empty() || pcm_name == SystemWaveOutProvider::kNullOutputName) {
        return {};
    }
    if (colon != std::string_view::npos) {
        // "plughw:1,0", "front:0": the first argument is the card.
        const std::string_view args = pcm_name.substr(colon + 1);
        return "hw:" + std::string(args.substr(0, args.find(',')));
    }
    if (base == "sysdefault") {
        return "default";
    }
    return std::string(base);
}

LMixer::LMixer(std::vector<std::string> device_names) : names_(std::move(device_names)) {
    if (names_.size() > kMaxDevices) {
        names_.resize(kMaxDevices);
    }
}

std::string LMixer::ControlOf(int device) const {
    if (device < 0 || static_cast<std::size_t>(device) >= names_.size()) {
        return {};
    }
    return MixerControlName(names_[static_cast<std::size_t>(device)]);
}

int LMixer::GetInputChannelCount(int device) const {
    SimpleMixer mixer;
    if (device < 0 || !mixer.Open(ControlOf(device), "GetInputChannelCount")) {
        return 0;
    }
    return static_cast<int>(mixer.InputLines().size());
}

void LMixer::GetInputChannelName(int device, int line, std::string& name) const {
    if (line < 0) {
        name = kRecordingMixer;
        return;
    }
    SimpleMixer mixer;
    if (device < 0 || !mixer.Open(ControlOf(device), "GetInputChannelName")) {
        return;
    }
    if (snd_mixer_elem_t* chosen = LineAt(mixer.InputLines(), line, "GetInputChannelName")) {
        name = ShortName(chosen);
    }
}

void LMixer::SetInputChannel(int device, int line, int db) const {
    constexpr std::string_view kOperation = "SetInputChannel";
    SimpleMixer mixer;
    if (device < 0 || line < 0 || !mixer.Open(ControlOf(device), kOperation)) {
        return;
    }
    const std::vector<snd_mixer_elem_t*> lines = mixer.InputLines();
    snd_mixer_elem_t* chosen = LineAt(lines, line, kOperation);
    if (chosen == nullptr) {
        return;
    }
    if (snd_mixer_elem_t* destination = mixer.Find("Capture")) {
        if (!SetVolume(destination, Direction::kCapture, db, kOperation) ||
            !SetSwitch(destination, Direction::kCapture, true, kOperation)) {
            return;
        }
    }
    // The other lines first: with a multiplexer the chosen line's switch, set last, selects it.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != static_cast<std::size_t>(line) &&
            (!SetVolume(lines[i], Direction::kCapture, -127, kOperation) ||
             !SetSwitch(lines[i], Direction::kCapture, false, kOperation))) {
            return;
        }
    }
    if (SetVolume(chosen, Direction::kCapture, db, kOperation)) {
        SetSwitch(chosen, Direction::kCapture, true, kOperation);
    }
}

void LMixer::SetOutVolume(int device, int offset, int db) const {
    constexpr std::string_view kOperation = "SetOutVolume";
    SimpleMixer mixer;
    if (device < 0 || !mixer.Open(ControlOf(device), kOperation)) {
        return;
    }
    if (snd_mixer_elem_t* destination = mixer.Find("Master")) {
        if (!SetVolume(destination, Direction::kPlayback, db, kOperation) ||
            !SetSwitch(destination, Direction::kPlayback, true, kOperation)) {
            return;
        }
    }
    if (snd_mixer_elem_t* wave = mixer.Find("PCM")) {
        if (SetVolume(wave, Direction::kPlayback, std::clamp(db + offset, -127, 127), kOperation)) {
            SetSwitch(wave, Direction::kPlayback, true, kOperation);
        }
    }
}

namespace {

// Every playback channel of `element`: its raw level and its switch (where it has them).
void ReadPlayback(snd_mixer_elem_t* element, std::vector<long>& levels, std::vector<int>& on) {
    for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
        const auto channel = static_cast<snd_mixer_selem_channel_id_t>(c);
        if (!snd_mixer_selem_has_playback_channel(element, channel)) {
            continue;
        }
        long level = 0;
        int switched = 1;
        if (snd_mixer_selem_has_playback_volume(element) &&
            snd_mixer_selem_get_playback_volume(element, channel, &level) == 0) {
            levels.push_back(level);
        }
        if (snd_mixer_selem_has_playback_switch(element) &&
            snd_mixer_selem_get_playback_switch(element, channel, &switched) == 0) {
            on.push_back(switched);
        }
    }
}

void WritePlayback(snd_mixer_elem_t* element, const std::vector<long>& levels,
                   const std::vector<int>& on, std::string_view operation) {
    std::size_t level = 0;
    std::size_t switched = 0;
    for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
        const auto channel = static_cast<snd_mixer_selem_channel_id_t>(c);
        if (!snd_mixer_selem_has_playback_channel(element, channel)) {
            continue;
        }
        if (snd_mixer_selem_has_playback_volume(element) && level < levels.size() &&
            snd_mixer_selem_set_playback_volume(element, channel, levels[level++]) < 0) {
            Report(operation, "set playback volume");
        }
        if (snd_mixer_selem_has_playback_switch(element) && switched < on.size() &&
            snd_mixer_selem_set_playback_switch(element, channel, on[switched++]) < 0) {
            Report(operation, "set playback switch");
        }
    }
}

}  // namespace

std::optional<OutVolumeLevels> LMixer::GetOutVolume(int device) const {
    SimpleMixer mixer;
    if (device < 0 || !mixer.Open(ControlOf(device), "GetOutVolume")) {
        return std::nullopt;
    }
    OutVolumeLevels levels;
    if (snd_mixer_elem_t* destination = mixer.Find("Master")) {
        ReadPlayback(destination, levels.master, levels.master_on);
    }
    if (snd_mixer_elem_t* wave = mixer.Find("PCM")) {
        ReadPlayback(wave, levels.wave, levels.wave_on);
    }
    return levels;
}

void LMixer::RestoreOutVolume(int device, const OutVolumeLevels& levels) const {
    constexpr std::string_view kOperation = "RestoreOutVolume";
    SimpleMixer mixer;
    if (device < 0 || !mixer.Open(ControlOf(device), kOperation)) {
        return;
    }
    if (snd_mixer_elem_t* destination = mixer.Find("Master")) {
        WritePlayback(destination, levels.master, levels.master_on, kOperation);
    }
    if (snd_mixer_elem_t* wave = mixer.Find("PCM")) {
        WritePlayback(wave, levels.wave, levels.wave_on, kOperation);
    }
}

int LMixer::GetOutChannelAuxCount(int device) const {
    SimpleMixer mixer;
    if (device < 0 || !mixer.Open(ControlOf(device), "GetOutChannelAuxCount")) {
        return 0;
    }
    return static_cast<int>(mixer.AuxLines().size());
}

void LMixer::GetOutChannelAuxName(int device, int line, std::string& name) const {
    SimpleMixer mixer;
    if (device < 0 || line < 0 || !mixer.Open(ControlOf(device), "GetOutChannelAuxName")) {
        return;
    }
    if (snd_mixer_elem_t* chosen = LineAt(mixer.AuxLines(), line, "GetOutChannelAuxName")) {
        name = ShortName(chosen);
    }
}

void LMixer::SetOutChannelAuxVolume(int device, int line, int db) const {
    constexpr std::string_view kOperation = "SetOutChannelAuxVolume";
    SimpleMixer mixer;
    if (device < 0 || line < 0 || !mixer.Open(ControlOf(device), kOperation)) {
        return;
    }
    snd_mixer_elem_t* chosen = LineAt(mixer.AuxLines(), line, kOperation);
    if (chosen != nullptr && SetVolume(chosen, Direction::kPlayback, db, kOperation)) {
        SetSwitch(chosen, Direction::kPlayback, true, kOperation);
    }
}

}  // namespace sonvara
