#pragma once
// The 32-band polyphase synthesis filter bank (ISO/IEC 11172-3 clause 2.4.3.2.2 and figure
// A.2): each time slot's 32 subband samples are matrixed into 64 values of a 1024-value FIFO,
// and 32 output samples are the windowed sums of 16 of its slices.
//
// The matrixing V[i] = Σ N[i][k] S[k], N[i][k] = cos((16 + i)(2k + 1)π / 64), is done through a
// 32-point DCT-II C[m] = Σ S[k] cos(m(2k + 1)π / 64): the row (16 + i) of N is C's row m for
// m < 32, zero at m = 32, and a negated row 64 − m or m − 64 above. The DCT is factored
// recursively (even outputs from the folded sum, odd ones from the scaled difference).
// MatrixDirect computes the same 64 values from N itself in double precision; the tests hold the
// two together.
//
// The bank works in single precision: its rounding (a few parts in 10^7 of full scale) stays far
// below what the standard's accuracy test allows (2^-14), and it halves the cost of the window
// sums, which vectorise four samples wide.

#include <array>
#include <cstddef>
#include <span>

namespace sonvara::mp3 {

class PolyphaseSynthesis {
  public:
    // The length of the ring that holds the FIFO (below).
    static constexpr std::size_t kRing = 2048;

    // One time slot: 32 subband samples in, 32 output samples out (1.0 is full scale).
    void Synthesize(const float subbands[32], float out[32]);
    // Time slots in order, 32 output samples each: the same samples as one slot at a time,
    // with eight slots matrixed together.
    void Synthesize(std::span<const std::array<float, 32>> slots, float* out);

    // The 64 matrixed values V[0..63] of one time slot.
    static void Matrix(const float subbands[32], float v[64]);
    static void MatrixDirect(const float subbands[32], double v[64]);

    void Reset() {
        v_.fill(0.0F);
        offset_ = 0;
    }

  private:
    // The window sums of the newest slot.
    void Window(float out[32]) const;

    // The FIFO of the standard's V (1024 values, 16 slots), held as a ring twice as long so that
    // slots can be matrixed ahead of their window sums: slot j of the standard's V (j = 0 newest)
    // is v_[(offset_ + j) % kRing].
    std::array<float, kRing> v_{};
    std::size_t offset_ = 0;
};

}  // namespace sonvara::mp3
