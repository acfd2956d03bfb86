#pragma once
// A fresh temporary folder for one test, removed with everything in it when the object goes.

#include <string>

namespace sonvara::testing {

class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + name.
    std::string File(const std::string& name) const;

  private:
    std::string path_;
};

// Sets an environment variable for the lifetime of the object and restores the old value after.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    bool had_old_ = false;
    std::string old_;
};

}  // namespace sonvara::testing
