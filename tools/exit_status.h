#pragma once
// sonvara-batch's exit statuses and the one way it reports a failure.

#include <string>

namespace sonvara {

inline constexpr int kExitDone = 0;
inline constexpr int kExitCancelled = 1;
inline constexpr int kExitFailed = 2;

// Writes "sonvara-batch: WHY" to standard error; kExitFailed.
int Fail(const std::string& why);

}  // namespace sonvara
