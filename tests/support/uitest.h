#pragma once

// What the widget tests of several subsystems share: waiting on the event
// loop, key presses, and the check that no two captions share an access key.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QSet>
#include <QTabWidget>
#include <QToolBar>
#include <QWidget>
#include <functional>
#include <map>

namespace bw::test {

// Runs the event loop until pred holds or the time is up.
inline bool waitUntil(const std::function<bool()>& pred, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

inline void pressKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(w, &release);
}

// The access key of a caption ("&&" is a plain ampersand), lower-cased; a null character when none.
inline QChar accessKey(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return QChar();
}

// The captions among texts that share an access key with an earlier one.
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

// The captions of actions (separators skipped); with `keyless`, those
// without any access key are listed as "no key: <caption>".
inline QStringList actionCaptions(const QList<QAction*>& actions, QStringList* keyless = nullptr) {
    QStringList out;
    for (QAction* a : actions) {
        if (a->isSeparator())
            continue;
        out << a->text();
        if (keyless && accessKey(a->text()).isNull())
            *keyless << "no key: " + a->text();
    }
    return out;
}

// Captions of a window that share an access key: buttons, labels with a
// buddy, tabs and toolbar actions. Empty when every key is its own.
inline QStringList sharedAccessKeys(QWidget& window) {
    QStringList captions;
    for (auto* b : window.findChildren<QAbstractButton*>())
        if (!qobject_cast<QToolBar*>(b->parentWidget()))
            captions << b->text();
    for (auto* l : window.findChildren<QLabel*>())
        if (l->buddy())
            captions << l->text();
    for (auto* tabs : window.findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i)
            captions << tabs->tabText(i);
    for (auto* bar : window.findChildren<QToolBar*>())
        for (QAction* a : bar->actions())
            if (!a->isSeparator() && a->isVisible())
                captions << a->text();
    std::map<QChar, QStringList> byKey;
    for (const QString& c : captions)
        if (const QChar k = accessKey(c); !k.isNull())
            byKey[k] << c;
    QStringList shared;
    for (const auto& [key, list] : byKey)
        if (list.size() > 1)
            shared << list.join(QStringLiteral(" / "));
    return shared;
}

} // namespace bw::test
