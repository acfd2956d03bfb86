#include "codecs/gsm/gsm_tables.h"

namespace sonvara::gsm {

const std::array<std::int16_t, 8> kLarA = {20480, 20480, 20480, 20480, 13964, 15360, 8534, 9036};
const std::array<std::int16_t, 8> kLarB = {0, 0, 2048, -2560, 94, -1792, -341, -1144};
const std::array<std::int16_t, 8> kLarMic = {-32, -32, -16, -16, -8, -8, -4, -4};
const std::array<std::int16_t, 8> kLarMac = {31, 31, 15, 15, 7, 7, 3, 3};
const std::array<std::int16_t, 8> kLarInvA = {13107, 13107, 13107, 13107,
                                              19223, 17476, 31454, 29708};

const std::array<std::int16_t, 4> kLtpDecisionLevels = {6554, 16384, 26214, 32767};
const std::array<std::int16_t, 4> kLtpGains = {3277, 11469, 21299, 32767};

const std::array<std::int16_t, 11> kWeightingFilter = {-134, -374, 0, 2054, 5741, 8192,
                                                       5741, 2054, 0, -374, -134};

const std::array<std::int16_t, 8> kApcmInverseMantissa = {29128, 26215, 23832, 21846,
                                                          20165, 18725, 17476, 16384};
const std::array<std::int16_t, 8> kApcmMantissa = {18431, 20479, 22527, 24575,
                                                   26623, 28671, 30719, 32767};

}  // namespace sonvara::gsm
