#pragma once

#include <QCoreApplication>
#include <QString>
#include <exception>

#include "platform/prompt.h"

namespace bw {

// Runs a user action of a window; whatever it throws is shown, never passed
// on into the event loop.
template <typename F>
void runGuarded(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        prompt().error(QCoreApplication::applicationName(), QString::fromUtf8(e.what()));
    }
}

} // namespace bw
