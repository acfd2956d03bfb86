#pragma once
// A fresh folder under /tmp for the files a benchmark writes, removed with them at the end.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace sonvara {

class BenchFolder {
  public:
    explicit BenchFolder(const char* name) : path_(std::string("/tmp/") + name + "-XXXXXX") {
        if (::mkdtemp(path_.data()) == nullptr) {
            std::abort();
        }
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const char* name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace sonvara
