#pragma once

// What the widget tests of the rule windows share.

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QSet>
#include <QWidget>
#include <deque>
#include <functional>

#include "rules/ruleform.h"
#include "services/ui/formlangmanager.h"
#include "tests/support/testutil.h"

namespace bw::test {

// A rule editor answering from a script: each step may change the rule and
// says whether the edit was confirmed; an empty script cancels.
struct ScriptEditor : TRuleEditor {
    std::string last;
    std::deque<std::function<bool(TSRInfo&)>> script;
    int edits = 0;
    bool Edit(TSRInfo& rule) override {
        ++edits;
        if (script.empty())
            return false;
        auto step = script.front();
        script.pop_front();
        return step(rule);
    }
    std::string NewRuleText() const override { return last; }
};

inline void pressKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(w, &release);
}

// The access key of a caption ("" when none), lower case.
inline QString accessKey(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text.mid(i + 1, 1).toLower();
    }
    return {};
}

// The captions among texts that share an access key with an earlier one.
inline QStringList sharedAccessKeys(const QStringList& texts) {
    QSet<QString> seen;
    QStringList shared;
    for (const QString& t : texts) {
        const QString key = accessKey(t);
        if (key.isEmpty())
            continue;
        if (seen.contains(key))
            shared << t;
        seen.insert(key);
    }
    return shared;
}

// The shipped languages, with a window registered for translation.
struct ShippedLanguages {
    TFormLangManager lm;
    ShippedLanguages() {
        lm.SetLangDir(binDir() + "Langs/");
        lm.LoadLanguages();
        lm.SetCurrentLang(0);
    }
    std::function<QString(const QString&)> texts() {
        return [this](const QString& key) { return lm.GetText(key); };
    }
};

} // namespace bw::test
