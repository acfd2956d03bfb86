#pragma once
// LMixer: output volume, recording input lines and auxiliary output lines of a sound device, in
// whole decibels, over ALSA's simple mixer. It keeps no state beyond the device names: each call
// opens the device's mixer, sets what it sets and closes it again, so the user's other mixer
// programs see the change at once and a device that went away costs nothing.
//
// Devices are numbered as the player numbers them (the names a WaveOutProvider lists; the
// recorder passes its own input names). A device's mixer is the control device of the card its
// PCM name names ("hw:CARD=X,DEV=0" and "plughw:1,0" reach "hw:X" and "hw:1"), "default" for the
// default PCMs, and the name itself for a plugin PCM such as "pulse". A negative device or line
// does nothing. Any failing ALSA call ends the call silently with a developer diagnostic naming
// the call ("LMixer::SetOutVolume snd_mixer_attach ERROR").
//
// The lines in ALSA's terms: the playback destination is the simple element "Master", the wave
// output is "PCM", the auxiliary outputs are the other elements with a playback volume; the
// recording destination is "Capture", and the recording input lines are the other elements with
// a capture volume or capture switch (ALSA shows a "Capture Source" multiplexer as exclusive
// capture switches on the elements it selects among).
//
// Volumes: an element with a dB scale is set in dB, clamped to its range (a volume at or below
// -36 dB, where the fader mapping gives 0, goes to the bottom of the range); an element without
// one is set at MixerValue(dB) scaled from 0..65535 onto its raw range.
//
// Interface thread; the calls may block briefly on the sound server.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonvara {

// The fader position for `db` on a 0..65535 scale: (dB + 36) × 1424 above -36 dB, else 0, at most
// 65535 (0 dB is 51264).
int MixerValue(int db);

// The ALSA control device that holds the mixer of the PCM `pcm_name`; empty for a PCM with no
// mixer ("null").
std::string MixerControlName(std::string_view pcm_name);

// The playback volume as it stands: the raw levels and switches of the destination ("Master")
// and the wave output ("PCM"), channel by channel (empty where the element or control is
// missing), to be put back exactly.
struct OutVolumeLevels {
    std::vector<long> master;
    std::vector<int> master_on;
    std::vector<long> wave;
    std::vector<int> wave_on;
};

class LMixer {
  public:
    // `device_names`: the names of devices 0, 1, ... (at most 127 are used).
    explicit LMixer(std::vector<std::string> device_names);

    // The recording input lines of `device`, at most 127; 0 on any error or a negative device.
    int GetInputChannelCount(int device) const;
    // The short name of input `line` (at most 31 characters); "Mezclador de Grabación" for a
    // negative line; `name` is left as it was on any error.
    void GetInputChannelName(int device, int line, std::string& name) const;
    // Records from `line` at `db`: the recording destination at `db` and switched on, the line
    // at `db` with its capture switch on, every other line at the bottom with its switch off.
    void SetInputChannel(int device, int line, int db) const;

    // The playback volume: the destination at `db`, the wave output at `db` + `offset` (limited
    // to -127..127), both switched on.
    void SetOutVolume(int device, int offset, int db) const;
    // The playback volume as it stands; nothing when the device has no mixer.
    std::optional<OutVolumeLevels> GetOutVolume(int device) const;
    // Puts the playback volume back as GetOutVolume found it.
    void RestoreOutVolume(int device, const OutVolumeLevels& levels) const;

    // The auxiliary playback lines (CD, line, ...) of `device`, at most 127.
    int GetOutChannelAuxCount(int device) const;
    // The line's short name; left as it was on any error or a negative line.
    void GetOutChannelAuxName(int device, int line, std::string& name) const;
    // Sets the line to `db` and switches it on.
    void SetOutChannelAuxVolume(int device, int line, int db) const;

  private:
    // The control device of `device`; empty when it has none or the number is out of range.
    std::string ControlOf(int device) const;

    std::vector<std::string> names_;
};

}  // namespace sonvara
