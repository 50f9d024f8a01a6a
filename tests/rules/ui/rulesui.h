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
#include "tests/options/ui/uisupport.h"
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

// The captions among texts that share an access key with an earlier one
// (for captions that are not all in one window's widgets).
inline QStringList sharedAccessKeys(const QStringList& texts) {
    QSet<QChar> seen;
    QStringList shared;
    for (const QString& t : texts) {
        const QChar key = accessKey(t);
        if (key.isNull())
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
