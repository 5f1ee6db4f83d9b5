// Opens modal windows. Every dialog is shown through the process-wide runner, so a test
// can put in its own runner that drives the dialog (sets controls, calls handlers) and
// returns instead of blocking in exec().
#pragma once

#include <functional>

class QDialog;

namespace vornelta {

class ModalRunner {
public:
    virtual ~ModalRunner();
    // Shows the dialog modally and returns its result (QDialog::Accepted / Rejected).
    virtual int run(QDialog& dialog) = 0;

    static ModalRunner& instance();
    // Replaces the process-wide runner (not owned); nullptr restores exec().
    static void setInstance(ModalRunner* runner);
};

class ExecModalRunner : public ModalRunner {
public:
    int run(QDialog& dialog) override;
};

} // namespace vornelta
