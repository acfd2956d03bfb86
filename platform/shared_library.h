#pragma once
// A shared library loaded at run time (the separately installed decoder components), unloaded
// when the object goes.

#include <memory>
#include <string>

namespace sonvara {

class SharedLibrary {
  public:
    // Loads `path` (searched for the usual way when it has no "/"). Null, with `error` set, when
    // it cannot be loaded.
    static std::unique_ptr<SharedLibrary> Open(const std::string& path, std::string* error);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The address of the exported `name`, or null.
    void* Symbol(const char* name) const;
    // Typed form for exported functions.
    template <typename Function>
    Function Entry(const char* name) const {
        return reinterpret_cast<Function>(Symbol(name));
    }

  private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

}  // namespace sonvara
