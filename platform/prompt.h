#pragma once

#include <QString>
#include <deque>
#include <optional>
#include <vector>

namespace bw {

// Answers carry the numbers of the platform's modal results.
enum class Answer { None = 0, Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

enum class Buttons { Ok, YesNo, AbortRetryIgnore };

enum class Icon { None, Information, Warning, Error, Question };

// Every message box and question of the program goes through the current
// prompt, so that tests can answer from a script and nothing ever blocks them.
class Prompt {
public:
    virtual ~Prompt() = default;
    virtual Answer ask(const QString& caption, const QString& text, Buttons buttons, Icon icon) = 0;

    void information(const QString& caption, const QString& text) { ask(caption, text, Buttons::Ok, Icon::Information); }
    void error(const QString& caption, const QString& text) { ask(caption, text, Buttons::Ok, Icon::Error); }
    bool yesNo(const QString& caption, const QString& text, Icon icon = Icon::Question) {
        return ask(caption, text, Buttons::YesNo, icon) == Answer::Yes;
    }
    Answer abortRetryIgnore(const QString& caption, const QString& text, Icon icon = Icon::Warning) {
        return ask(caption, text, Buttons::AbortRetryIgnore, icon);
    }
    // A one-line text question: the text typed, or nothing when the user cancelled.
    // A prompt that cannot ask for text answers as if cancelled.
    virtual std::optional<QString> askText(const QString& caption, const QString& label, const QString& initial) {
        (void)caption, (void)label, (void)initial;
        return std::nullopt;
    }
};

// The prompt in use. Until one is installed, a scripted prompt with an empty
// script answers (see ScriptedPrompt::fallback).
Prompt& prompt();
// Installs p (not owned) and returns the previous one; nullptr restores the default.
Prompt* setPrompt(Prompt* p);

// A prompt that answers from a queue and records every question asked.
class ScriptedPrompt : public Prompt {
public:
    struct Question {
        QString caption;
        QString text;
        Buttons buttons;
        Icon icon;
    };

    ScriptedPrompt() = default;
    explicit ScriptedPrompt(std::initializer_list<Answer> answers) : answers_(answers) {}

    void push(Answer a) { answers_.push_back(a); }
    // Queues the answer to the next text question; nothing means Cancel.
    void pushText(std::optional<QString> text) { texts_.push_back({text.has_value(), text.value_or(QString())}); }
    // Given when the script has run out: Ok for a message, No for Yes/No, Abort for Abort/Retry/Ignore.
    static Answer fallback(Buttons buttons);

    Answer ask(const QString& caption, const QString& text, Buttons buttons, Icon icon) override;
    // Answers from the text queue; Cancel once it has run out. Recorded in asked() with Buttons::Ok.
    std::optional<QString> askText(const QString& caption, const QString& label, const QString& initial) override;

    const std::vector<Question>& asked() const { return asked_; }
    std::size_t remaining() const { return answers_.size(); }

private:
    std::deque<Answer> answers_;
    struct TextAnswer {
        bool given;
        QString text;
    };
    std::deque<TextAnswer> texts_;
    std::vector<Question> asked_;
};

// Installs a prompt for the life of a scope.
class ScopedPrompt {
public:
    explicit ScopedPrompt(Prompt& p) : previous_(setPrompt(&p)) {}
    ~ScopedPrompt() { setPrompt(previous_); }
    ScopedPrompt(const ScopedPrompt&) = delete;
    ScopedPrompt& operator=(const ScopedPrompt&) = delete;

private:
    Prompt* previous_;
};

} // namespace bw
