// What the benchmarks that drive windows share: message boxes nobody answers, and waiting
// until a window is on the screen and painted.
#pragma once

#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace vornelta::bench {

// Message boxes answer nothing and show nothing: a benchmark has nobody to click.
class SilentDialogs : public Dialogs {
public:
    void information(QWidget*, const QString&) override {}
    bool question(QWidget*, const QString&) override { return false; }
    void error(QWidget*, const QString& text) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
};

inline void pumpEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Waits (up to ten seconds) until the window is exposed, then lets it paint once.
inline bool waitExposed(QWidget& w) {
    QElapsedTimer timer;
    timer.start();
    while (!(w.windowHandle() && w.windowHandle()->isExposed())) {
        if (timer.elapsed() > 10000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    pumpEvents(); // the first paint
    return true;
}

} // namespace vornelta::bench
