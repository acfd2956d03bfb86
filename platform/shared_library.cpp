#include "platform/shared_library.h"

#include <dlfcn.h>

namespace sonvara {

std::unique_ptr<SharedLibrary> SharedLibrary::Open(const std::string& path, std::string* error) {
    // RTLD_LOCAL: two components may export the same names without meeting.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (error != nullptr) {
            const char* reason = dlerror();
            *error = reason != nullptr ? reason : path;
        }
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() {
    dlclose(handle_);
}

void* SharedLibrary::Symbol(const char* name) const {
    return dlsym(handle_, name);
}

}  // namespace sonvara
