// A FileDialogs for tests: answers from a queue given in advance (an empty answer is a
// cancel) and records every request (kind, caption, start). A request with no answer
// left, or an answer left over when the object goes away, fails the test.
#pragma once

#include "platform/FileDialogs.h"

#include <QString>

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace guisupport {

class ScriptedFileDialogs : public vornelta::FileDialogs {
public:
    enum class Kind { Directory, Open, Save };
    struct Request {
        Kind kind;
        QString caption;
        QString start;
    };

    ~ScriptedFileDialogs() override {
        if (!m_answers.empty())
            ADD_FAILURE() << m_answers.size() << " file dialog answer(s) were never asked for";
    }

    void answer(const QString& path) { m_answers.push_back(path); }

    QString existingDirectory(QWidget*, const QString& caption, const QString& start) override {
        return ask(Kind::Directory, caption, start);
    }
    QString openFileName(QWidget*, const QString& caption, const QString& start,
                         const QString&) override {
        return ask(Kind::Open, caption, start);
    }

protected:
    QString chooseSaveFileName(QWidget*, const QString& caption, const QString& start,
                               const QString&, QString*) override {
        return ask(Kind::Save, caption, start);
    }

public:
    const std::vector<Request>& requests() const { return m_requests; }

private:
    QString ask(Kind kind, const QString& caption, const QString& start) {
        m_requests.push_back({kind, caption, start});
        if (m_answers.empty()) {
            ADD_FAILURE() << "Unexpected file dialog: " << caption.toStdString();
            return {};
        }
        QString path = m_answers.front();
        m_answers.pop_front();
        return path;
    }

    std::deque<QString> m_answers;
    std::vector<Request> m_requests;
};

} // namespace guisupport
