// The entry points of libsonvara-realaudio.so.

#include "components/realaudio/engine.h"

extern "C" {

__attribute__((visibility("default"))) sonvara::RMAResult CreateEngine(
    sonvara::IRMAClientEngine** engine) {
    if (engine == nullptr) {
        return sonvara::RMA_FAIL;
    }
    *engine = sonvara::realaudio::NewEngine();
    return sonvara::RMA_OK;
}

__attribute__((visibility("default"))) sonvara::RMAResult CloseEngine(
    sonvara::IRMAClientEngine* engine) {
    if (engine == nullptr) {
        return sonvara::RMA_FAIL;
    }
    engine->Release();
    return sonvara::RMA_OK;
}
}
