#include "platform/ModalRunner.h"

#include <QDialog>

namespace vornelta {

namespace {
ModalRunner* g_current = nullptr;
}

ModalRunner::~ModalRunner() = default;

ModalRunner& ModalRunner::instance() {
    static ExecModalRunner exec;
    return g_current ? *g_current : exec;
}

void ModalRunner::setInstance(ModalRunner* runner) {
    g_current = runner;
}

int ExecModalRunner::run(QDialog& dialog) {
    return dialog.exec();
}

} // namespace vornelta
