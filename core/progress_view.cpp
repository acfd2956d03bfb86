#include "core/progress_view.h"

namespace sonvara {

bool SilentProgressView::Open(const std::string& caption) {
    open_ = true;
    cancel_ = false;
    percent_ = 0;
    caption_ = caption;
    text_[0].clear();
    text_[1].clear();
    return true;
}

void SilentProgressView::SetText(int line, const std::string& text) {
    if (line == 0 || line == 1) {
        text_[line] = text;
    }
}

}  // namespace sonvara
