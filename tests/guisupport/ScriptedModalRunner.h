// A ModalRunner for tests: instead of exec(), a function of the test drives the dialog
// (sets controls, calls handlers, clicks buttons) and returns the dialog's result. Every
// dialog opened is recorded. Drivers queued with next() serve one dialog each, in order;
// the one given to the constructor serves every dialog after them. A dialog nobody
// drives fails the test and is rejected.
#pragma once

#include "platform/ModalRunner.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace guisupport {

class ScriptedModalRunner : public vornelta::ModalRunner {
public:
    using Driver = std::function<int(QDialog&)>;

    struct Opened {
        QString className; // as moc names it, e.g. "vornelta::PasswordDialog"
        QString title;
    };

    ScriptedModalRunner() = default;
    explicit ScriptedModalRunner(Driver everyDialog) : m_every(std::move(everyDialog)) {}

    void next(Driver oneDialog) { m_queue.push_back(std::move(oneDialog)); }

    int run(QDialog& dialog) override {
        m_opened.push_back(
            {QString::fromLatin1(dialog.metaObject()->className()), dialog.windowTitle()});
        Driver driver;
        if (!m_queue.empty()) {
            driver = std::move(m_queue.front());
            m_queue.pop_front();
        } else {
            driver = m_every;
        }
        if (!driver) {
            ADD_FAILURE() << "Unexpected dialog: " << m_opened.back().className.toStdString()
                          << " \"" << m_opened.back().title.toStdString() << "\"";
            return QDialog::Rejected;
        }
        return driver(dialog);
    }

    const std::vector<Opened>& opened() const { return m_opened; }
    QStringList openedTitles() const {
        QStringList out;
        for (const Opened& o : m_opened)
            out << o.title;
        return out;
    }

private:
    Driver m_every;
    std::deque<Driver> m_queue;
    std::vector<Opened> m_opened;
};

} // namespace guisupport
