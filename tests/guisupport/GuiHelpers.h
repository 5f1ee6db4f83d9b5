// Helpers of the window tests: typing any text (Cyrillic included) into a widget, putting
// a test's Dialogs or ModalRunner in for one scope, a temporary folder with Qt paths, and
// raw file bytes.
#pragma once

#include "platform/Dialogs.h"
#include "platform/ModalRunner.h"
#include "platform/TextCodec.h"
#include "support/TempDir.h"

#include <QFile>
#include <QString>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace guisupport {

// QTest::keyClicks aborts on non-Latin-1 text; key events that carry the text do not.
inline void typeText(QWidget* widget, const QString& text) {
    for (QChar ch : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// A window's control by its system name (its objectName); a missing one fails the test.
template <typename T = QWidget> T* control(const QObject& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found) throw std::runtime_error(std::string("no control named ") + name);
    return found;
}

// Puts a service object in for the life of this object, then restores the previous one:
//   ScriptedDialogs dialogs;  InstallDialogs installed(dialogs);
template <typename Service> class ScopedInstance {
public:
    explicit ScopedInstance(Service& service) : m_previous(&Service::instance()) {
        Service::setInstance(&service);
    }
    ~ScopedInstance() { Service::setInstance(m_previous); }
    ScopedInstance(const ScopedInstance&) = delete;
    ScopedInstance& operator=(const ScopedInstance&) = delete;

private:
    Service* m_previous;
};
using InstallDialogs = ScopedInstance<vornelta::Dialogs>;
using InstallModalRunner = ScopedInstance<vornelta::ModalRunner>;

// A fresh temporary folder (removed afterwards) with paths as the program takes them.
class TempFolder {
public:
    // With a trailing '/', as the program folder is given.
    QString path() const {
        return QFile::decodeName(m_dir.path().string().c_str()) + QLatin1Char('/');
    }
    QString file(const QString& name) const { return path() + name; }
    const testsupport::TempDir& dir() const { return m_dir; }

private:
    testsupport::TempDir m_dir;
};

// The Windows-1251 bytes of a text (the test fails when the text has no such bytes).
inline std::string cp1251(const QString& text) {
    bool ok = false;
    std::string bytes = vornelta::fromQt(text, &ok);
    EXPECT_TRUE(ok) << "no Windows-1251 form: " << text.toStdString();
    return bytes;
}

inline void writeBytes(const QString& path, const std::string& bytes) {
    std::ofstream out(QFile::encodeName(path).toStdString(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path.toStdString();
}

// The whole file; empty when it cannot be read.
inline std::string readBytes(const QString& path) {
    std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace guisupport
