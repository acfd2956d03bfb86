#pragma once
// CutRef: one counted reference on a cut number of the tank. Copying a CutRef takes a reference,
// destroying one drops it, so cut records and whole cut lists copy freely and no code counts by
// hand. A default CutRef is the silent cut, which holds nothing. A reference must not outlive
// its tank.

#include <cstdint>
#include <string>
#include <utility>

#include "document/cut_tank.h"

namespace sonvara {

class CutRef {
  public:
    CutRef() = default;
    // Takes over the reference that GetNewRefAndIncRef() gave for `number`.
    static CutRef Adopt(LAudioCutTank& tank, std::uint16_t number) { return CutRef(tank, number); }

    CutRef(const CutRef& other) : tank_(other.tank_), number_(other.number_) {
        if (tank_ != nullptr) {
            tank_->IncRef(number_);
        }
    }
    CutRef(CutRef&& other) noexcept
        : tank_(std::exchange(other.tank_, nullptr)),
          number_(std::exchange(other.number_, kSilentCut)) {}
    CutRef& operator=(CutRef other) noexcept {
        std::swap(tank_, other.tank_);
        std::swap(number_, other.number_);
        return *this;
    }
    ~CutRef() {
        if (tank_ != nullptr) {
            tank_->DecRef(number_);
        }
    }

    std::uint16_t Number() const { return number_; }
    // The cut's peak magnitude (0 for the silent cut); -1 while unknown.
    Sample Peak() const { return tank_ != nullptr ? tank_->Peak(number_) : 0; }
    bool IsSilent() const { return tank_ == nullptr; }
    // "" for the silent cut.
    std::string AudFilePath() const {
        return tank_ != nullptr ? tank_->GetAudFilePath(number_) : "";
    }
    std::string GrfFilePath() const {
        return tank_ != nullptr ? tank_->GetGrfFilePath(number_) : "";
    }
    std::string RmsFilePath() const {
        return tank_ != nullptr ? tank_->GetRmsFilePath(number_) : "";
    }

  private:
    CutRef(LAudioCutTank& tank, std::uint16_t number)
        : tank_(number != kSilentCut ? &tank : nullptr), number_(number) {}

    LAudioCutTank* tank_ = nullptr;
    std::uint16_t number_ = kSilentCut;
};

}  // namespace sonvara
