#pragma once
// The tests' LV2 path: their own plug-ins first, then the installed ones. Set before the
// process's LV2 world is first loaded.

#include <cstdlib>

namespace sonvara::testing {

inline void UseTestLv2Path() {
    setenv("LV2_PATH", SONVARA_TEST_LV2_PATH, 1);
}

}  // namespace sonvara::testing
