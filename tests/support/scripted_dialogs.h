#pragma once

#include "core/common/dialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fernhold::test {

// Records everything shown, in order, and answers from a script. An unscripted question is
// answered No and an unscripted folder choice is a cancel, so a test never hangs or goes ahead
// by accident.
class ScriptedDialogs final : public core::Dialogs {
public:
    enum class Kind { Message, Question, Notify, FolderChoice };
    struct Shown {
        Kind kind;
        std::string title;
        std::string text; // the instruction for a folder choice
        std::string startFolder = {};
    };

    void answerYes() { m_answers.push_back(true); }
    void answerNo() { m_answers.push_back(false); }
    void chooseFolderAnswer(std::optional<std::string> folder) { m_folders.push_back(std::move(folder)); }

    // Runs as each message is shown, e.g. to see what is on disk at that moment.
    void setOnMessage(std::function<void()> onMessage) { m_onMessage = std::move(onMessage); }
    // Runs as each question is shown, before it is answered: what happens while it is open.
    void setOnQuestion(std::function<void()> onQuestion) { m_onQuestion = std::move(onQuestion); }

    void message(const std::string& title, const std::string& text) override
    {
        m_shown.push_back({Kind::Message, title, text});
        if (m_onMessage)
            m_onMessage();
    }
    bool ask(const std::string& title, const std::string& text) override
    {
        m_shown.push_back({Kind::Question, title, text});
        if (m_onQuestion)
            m_onQuestion();
        if (m_answers.empty())
            return false;
        const bool answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    void notify(const std::string& title, const std::string& text) override
    {
        m_shown.push_back({Kind::Notify, title, text});
    }
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& startFolder,
                                            const std::string& instruction) override
    {
        m_shown.push_back({Kind::FolderChoice, title, instruction, startFolder});
        if (m_folders.empty())
            return std::nullopt;
        auto folder = m_folders.front();
        m_folders.pop_front();
        return folder;
    }

    const std::vector<Shown>& shown() const { return m_shown; }
    std::vector<Shown> shownOf(Kind kind) const
    {
        std::vector<Shown> matching;
        for (const Shown& entry : m_shown)
            if (entry.kind == kind)
                matching.push_back(entry);
        return matching;
    }
    std::vector<Shown> messages() const { return shownOf(Kind::Message); }
    std::vector<Shown> questions() const { return shownOf(Kind::Question); }
    std::vector<Shown> notifications() const { return shownOf(Kind::Notify); }
    void clear() { m_shown.clear(); }

private:
    std::vector<Shown> m_shown;
    std::deque<bool> m_answers;
    std::deque<std::optional<std::string>> m_folders;
    std::function<void()> m_onMessage;
    std::function<void()> m_onQuestion;
};

} // namespace fernhold::test
