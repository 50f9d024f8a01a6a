#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
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
