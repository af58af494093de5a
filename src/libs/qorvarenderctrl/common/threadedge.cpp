#include "common/threadedge.h"

#include "common/log.h"

namespace qorva::renderctrl {

void logCaught(const char* step, const char* what) noexcept {
    try {
        QRC_ERR("{} failed: {}", step, what);
    } catch (...) {
        // Nothing left to report with: the loop goes on all the same.
    }
}

}  // namespace qorva::renderctrl
