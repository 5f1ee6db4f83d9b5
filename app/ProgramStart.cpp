#include "app/ProgramStart.h"

#include <QApplication>

namespace vornelta {

void nameApplication() {
    QApplication::setApplicationName(QStringLiteral("Vornelta"));
}

} // namespace vornelta
