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

} // namespace bw
