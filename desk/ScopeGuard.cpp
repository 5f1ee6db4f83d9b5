#include "desk/ScopeGuard.h"

#include "platform/ErrorGuard.h"

#include <QtGlobal>

namespace vornelta {

void reportFailedUndo() noexcept {
    try {
        qWarning("Undo failed: %s", qUtf8Printable(currentExceptionMessage()));
    } catch (...) { // nothing more can be said
    }
}

} // namespace vornelta
