#pragma once
// The constant tables of GSM 06.10 (clause 5, tables 5.1 to 5.6), indexed from 0 where the
// standard counts from 1.

#include <array>
#include <cstdint>

namespace sonvara::gsm {

// Coding of the log-area ratios: LARc = A·LAR + B, limited to [MIC, MAC]; INVA = 1/A.
extern const std::array<std::int16_t, 8> kLarA;
extern const std::array<std::int16_t, 8> kLarB;
extern const std::array<std::int16_t, 8> kLarMic;
extern const std::array<std::int16_t, 8> kLarMac;
extern const std::array<std::int16_t, 8> kLarInvA;

// Long-term prediction: the decision levels of the gain (DLB) and its quantised values (QLB).
extern const std::array<std::int16_t, 4> kLtpDecisionLevels;
extern const std::array<std::int16_t, 4> kLtpGains;

// The impulse response of the RPE weighting filter, in units of 2^-13.
extern const std::array<std::int16_t, 11> kWeightingFilter;

// The normalised inverse mantissas (NRFAC) and the mantissas (FAC) of the APCM block maximum.
extern const std::array<std::int16_t, 8> kApcmInverseMantissa;
extern const std::array<std::int16_t, 8> kApcmMantissa;

}  // namespace sonvara::gsm
