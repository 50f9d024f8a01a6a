#pragma once

#include <QCoreApplication>
#include <QString>
#include <exception>
#include <utility>

#include "platform/error.h"
#include "platform/prompt.h"

namespace bw {

// Runs a user action; whatever it throws is shown under `caption`, never
// passed on into the event loop.
template <typename F>
void runGuarded(const QString& caption, F&& f) {
    try {
        f();
    } catch (const Error& e) {
        prompt().error(caption, e.message());
    } catch (const std::exception& e) {
        prompt().error(caption, QString::fromUtf8(e.what()));
    }
}

// The same under the program's name.
template <typename F>
void runGuarded(F&& f) {
    runGuarded(QCoreApplication::applicationName(), std::forward<F>(f));
}

} // namespace bw
