#pragma once
// A progress view whose user presses "Cancelar" after the process has looked `polls` times.

#include "core/progress_view.h"

namespace sonvara::testing {

class CancelAfter : public SilentProgressView {
  public:
    explicit CancelAfter(int polls) : polls_(polls) {}
    bool CancelRequested() override { return --polls_ < 0; }

  private:
    int polls_;
};

}  // namespace sonvara::testing
