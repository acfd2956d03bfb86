#include "tools/exit_status.h"

#include <cstdio>

namespace sonvara {

int Fail(const std::string& why) {
    std::fprintf(stderr, "sonvara-batch: %s\n", why.c_str());
    return kExitFailed;
}

}  // namespace sonvara
