// The entry points of libsonvara-dsskx.so.

#include "components/dsskx/dss_session.h"

using sonvara::dsskx::Session;

extern "C" {

__attribute__((visibility("default"))) int DSSInitDecoder(const sonvara::DSSDecoderConfig* config) {
    return Session().Init(config);
}

__attribute__((visibility("default"))) int DSSActiveFolder(const char* folder) {
    return Session().ActiveFolder(folder);
}

__attribute__((visibility("default"))) int DSSActiveFile(const char* path,
                                                         sonvara::DSSFileProperties* properties) {
    return Session().ActiveFile(path, properties);
}

__attribute__((visibility("default"))) int DSSStartDecoding() {
    return Session().StartDecoding();
}

__attribute__((visibility("default"))) const std::uint8_t* DSSDecodeToPCM(int* frame_type) {
    return Session().DecodeToPCM(frame_type);
}
}
