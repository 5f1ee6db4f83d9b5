// A Dialogs for tests: records every box (kind and text) and answers the Yes/No
// questions from answers given in advance. A question with no answer left, or an answer
// left over when the object goes away, fails the test.
#pragma once

#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <vector>

namespace guisupport {

class ScriptedDialogs : public vornelta::Dialogs {
public:
    enum class Kind { Information, Question, Error };

    struct Box {
        Kind kind;
        QString text;
    };

    ScriptedDialogs() = default;
    ScriptedDialogs(std::initializer_list<bool> answers) : m_answers(answers) {}
    ~ScriptedDialogs() override {
        if (!m_answers.empty())
            ADD_FAILURE() << m_answers.size() << " answer(s) given in advance were never asked for";
    }

    // The answer to the next question: true for Yes.
    void answer(bool yes) { m_answers.push_back(yes); }

    void information(QWidget*, const QString& text) override {
        m_boxes.push_back({Kind::Information, text});
    }
    bool question(QWidget*, const QString& text) override {
        m_boxes.push_back({Kind::Question, text});
        if (m_answers.empty()) {
            ADD_FAILURE() << "Unexpected question: " << text.toStdString();
            return false;
        }
        const bool yes = m_answers.front();
        m_answers.pop_front();
        return yes;
    }
    void error(QWidget*, const QString& text) override { m_boxes.push_back({Kind::Error, text}); }

    const std::vector<Box>& boxes() const { return m_boxes; }
    QStringList texts(Kind kind) const {
        QStringList out;
        for (const Box& b : m_boxes)
            if (b.kind == kind) out << b.text;
        return out;
    }
    QStringList informations() const { return texts(Kind::Information); }
    QStringList questions() const { return texts(Kind::Question); }
    QStringList errors() const { return texts(Kind::Error); }
    void clear() { m_boxes.clear(); }

private:
    std::deque<bool> m_answers;
    std::vector<Box> m_boxes;
};

} // namespace guisupport
