#pragma once
// The decibel table: the linear gain of every whole decibel from −127 to 127 as a fixed-point
// factor with unity (0 dB) at 2^24. Built once and shared; read by auto trim and the noise gate.

#include <array>
#include <cstdint>

namespace sonvara::LDB {

class LDBTablesClass {
  public:
    static constexpr int kMinDecibels = -127;
    static constexpr int kMaxDecibels = 127;

    static const LDBTablesClass& Instance();

    // round(2^24 × 10^(dB ÷ 20)) for `decibels` clamped to −127..127. Gains above +42 dB do not
    // fit in 32 bits and read as INT32_MAX.
    std::int32_t Factor(int decibels) const;

  private:
    LDBTablesClass();

    std::array<std::int32_t, kMaxDecibels - kMinDecibels + 1> factors_{};
};

}  // namespace sonvara::LDB
