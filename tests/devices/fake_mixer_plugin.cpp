// A stand-in sound card mixer for the tests: an ALSA control plugin whose elements live in a
// state file, so a test can set up a card and read back what the code under test wrote.
//
//   ctl_type.fakemix { lib "<path>/libasound_module_ctl_fakemix.so" }
//   ctl.fakemix {
//       type fakemix
//       state "<file>"          # "name=v0,v1" lines, read at open, rewritten at each change
//       controls "Master Playback Volume;Master Playback Switch;Capture Source;..."
//       db "Master Playback Volume"   # volumes with a dB scale: -60 dB + 0.5 dB per step
//       sources "Mic;Line"      # the items of "Capture Source"
//       max 200                 # the top of every volume (the bottom is 0)
//   }
//
// "... Volume" controls are two-channel integers, "... Switch" two-channel booleans (initially
// on), "Capture Source" a one-channel enumeration.

#include <alsa/asoundlib.h>
#include <alsa/control_external.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum class Kind { kVolume, kSwitch, kEnum };

struct Control {
    std::string name;
    Kind kind = Kind::kVolume;
    bool db = false;
    std::vector<long> values;
};

struct FakeMixer {
    snd_ctl_ext_t ext{};
    std::string state;
    std::vector<Control> controls;
    std::vector<std::string> sources;
    long max = 200;
};

constexpr snd_ctl_ext_key_t kNotFound = ~snd_ctl_ext_key_t{0};
constexpr long kDbMin = -6000;
constexpr long kDbStep = 50;

FakeMixer& Of(snd_ctl_ext_t* ext) {
    return *static_cast<FakeMixer*>(ext->private_data);
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ';')) {
        if (!part.empty()) {
            parts.push_back(part);
        }
    }
    return parts;
}

std::string ConfigString(snd_config_t* conf, const char* key) {
    snd_config_t* node = nullptr;
    const char* text = nullptr;
    if (snd_config_search(conf, key, &node) < 0 || snd_config_get_string(node, &text) < 0) {
        return {};
    }
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void Load(FakeMixer& mixer) {
    std::ifstream in(mixer.state);
    std::string line;
    while (std::getline(in, line)) {
        const auto equals = line.find('=');
        for (Control& c : mixer.controls) {
            if (c.name == line.substr(0, equals)) {
                std::stringstream values(line.substr(equals + 1));
                std::string value;
                for (long& v : c.values) {
                    if (std::getline(values, value, ',')) {
                        v = std::stol(value);
                    }
                }
            }
        }
    }
}

int Save(const FakeMixer& mixer) {
    std::ofstream out(mixer.state, std::ios::trunc);
    for (const Control& c : mixer.controls) {
        out << c.name << '=';
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            out << (i > 0 ? "," : "") << c.values[i];
        }
        out << '\n';
    }
    out.flush();
    return out ? 0 : -EIO;
}

void Close(snd_ctl_ext_t* ext) {
    delete &Of(ext);
}

int Count(snd_ctl_ext_t* ext) {
    return static_cast<int>(Of(ext).controls.size());
}

int List(snd_ctl_ext_t* ext, unsigned int offset, snd_ctl_elem_id_t* id) {
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, Of(ext).controls.at(offset).name.c_str());
    return 0;
}

snd_ctl_ext_key_t Find(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id) {
    const std::string name = snd_ctl_elem_id_get_name(id);
    const auto& controls = Of(ext).controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].name == name) {
            return i;
        }
    }
    return kNotFound;
}

int Attribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned int* access,
              unsigned int* count) {
    const Control& c = Of(ext).controls.at(key);
    *type = c.kind == Kind::kVolume   ? SND_CTL_ELEM_TYPE_INTEGER
            : c.kind == Kind::kSwitch ? SND_CTL_ELEM_TYPE_BOOLEAN
                                      : SND_CTL_ELEM_TYPE_ENUMERATED;
    *access = SND_CTL_EXT_ACCESS_READWRITE;
    if (c.db) {
        *access |= SND_CTL_EXT_ACCESS_TLV_READ | SND_CTL_EXT_ACCESS_TLV_CALLBACK;
    }
    *count = static_cast<unsigned int>(c.values.size());
    return 0;
}

int IntegerInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t, long* low, long* high, long* step) {
    *low = 0;
    *high = Of(ext).max;
    *step = 1;
    return 0;
}

int EnumInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t, unsigned int* items) {
    *items = static_cast<unsigned int>(Of(ext).sources.size());
    return 0;
}

int EnumName(snd_ctl_ext_t* ext, snd_ctl_ext_key_t, unsigned int item, char* name, size_t size) {
    std::snprintf(name, size, "%s", Of(ext).sources.at(item).c_str());
    return 0;
}

template <typename T>
int ReadValues(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, T* values) {
    const Control& c = Of(ext).controls.at(key);
    for (std::size_t i = 0; i < c.values.size(); ++i) {
        values[i] = static_cast<T>(c.values[i]);
    }
    return 0;
}

template <typename T>
int WriteValues(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, T* values) {
    Control& c = Of(ext).controls.at(key);
    bool changed = false;
    for (std::size_t i = 0; i < c.values.size(); ++i) {
        changed = changed || c.values[i] != static_cast<long>(values[i]);
        c.values[i] = static_cast<long>(values[i]);
    }
    const int saved = Save(Of(ext));
    return saved < 0 ? saved : (changed ? 1 : 0);
}

int Tlv(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int op_flag, unsigned int, unsigned int* tlv,
        unsigned int size) {
    if (op_flag != 0 || !Of(ext).controls.at(key).db) {
        return -ENXIO;
    }
    if (size < 4 * sizeof(unsigned int)) {
        return -ENOMEM;
    }
    tlv[0] = SND_CTL_TLVT_DB_SCALE;
    tlv[1] = 2 * sizeof(unsigned int);
    tlv[2] = static_cast<unsigned int>(kDbMin);
    tlv[3] = static_cast<unsigned int>(kDbStep);
    return 0;
}

const snd_ctl_ext_callback_t kCallbacks = [] {
    snd_ctl_ext_callback_t c{};
    c.close = Close;
    c.elem_count = Count;
    c.elem_list = List;
    c.find_elem = Find;
    c.get_attribute = Attribute;
    c.get_integer_info = IntegerInfo;
    c.get_enumerated_info = EnumInfo;
    c.get_enumerated_name = EnumName;
    c.read_integer = ReadValues<long>;
    c.read_enumerated = ReadValues<unsigned int>;
    c.write_integer = WriteValues<long>;
    c.write_enumerated = WriteValues<unsigned int>;
    return c;
}();

}  // namespace

extern "C" SND_CTL_PLUGIN_DEFINE_FUNC(fakemix) {
    (void)root;
    auto* mixer = new FakeMixer;
    mixer->state = ConfigString(conf, "state");
    mixer->sources = Split(ConfigString(conf, "sources"));
    const std::vector<std::string> db = Split(ConfigString(conf, "db"));
    snd_config_t* node = nullptr;
    if (snd_config_search(conf, "max", &node) >= 0) {
        snd_config_get_integer(node, &mixer->max);
    }
    for (const std::string& control : Split(ConfigString(conf, "controls"))) {
        Control c;
        c.name = control;
        c.kind = EndsWith(control, "Switch")   ? Kind::kSwitch
                 : control == "Capture Source" ? Kind::kEnum
                                               : Kind::kVolume;
        c.db = std::find(db.begin(), db.end(), control) != db.end();
        c.values.assign(c.kind == Kind::kEnum ? 1 : 2, c.kind == Kind::kSwitch ? 1 : 0);
        mixer->controls.push_back(c);
    }
    Load(*mixer);

    snd_ctl_ext_t& ext = mixer->ext;
    ext.version = SND_CTL_EXT_VERSION;
    ext.card_idx = 0;
    std::strcpy(ext.id, "fakemix");
    std::strcpy(ext.driver, "fakemix");
    std::strcpy(ext.name, "Fake mixer");
    std::strcpy(ext.longname, "Fake mixer for tests");
    std::strcpy(ext.mixername, "Fake mixer");
    ext.poll_fd = -1;
    ext.callback = &kCallbacks;
    ext.private_data = mixer;
    ext.tlv.c = Tlv;
    const int err = snd_ctl_ext_create(&ext, name, mode);
    if (err < 0) {
        delete mixer;
        return err;
    }
    *handlep = ext.handle;
    return 0;
}

extern "C" {
SND_CTL_PLUGIN_SYMBOL(fakemix)
}
