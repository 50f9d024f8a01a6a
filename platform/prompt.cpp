#include "platform/prompt.h"

namespace bw {

namespace {
ScriptedPrompt& defaultPrompt() {
    static ScriptedPrompt p;
    return p;
}
Prompt* current = nullptr;
} // namespace

Prompt& prompt() { return current ? *current : defaultPrompt(); }

Prompt* setPrompt(Prompt* p) {
    Prompt* previous = current;
    current = p;
    return previous;
}

Answer ScriptedPrompt::fallback(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo: return Answer::No;
    case Buttons::AbortRetryIgnore: return Answer::Abort;
    }
    return Answer::None;
}

Answer ScriptedPrompt::ask(const QString& caption, const QString& text, Buttons buttons, Icon icon) {
    asked_.push_back({caption, text, buttons, icon});
    if (answers_.empty())
        return fallback(buttons);
    Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

std::optional<QString> ScriptedPrompt::askText(const QString& caption, const QString& label, const QString& initial) {
    (void)initial;
    asked_.push_back({caption, label, Buttons::Ok, Icon::Question});
    if (texts_.empty())
        return std::nullopt;
    const TextAnswer t = texts_.front();
    texts_.pop_front();
    if (!t.given)
        return std::nullopt;
    return t.text;
}

} // namespace bw
