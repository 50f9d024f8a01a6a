#pragma once

#include <functional>

class QWidget;

namespace bw {

// Calls onClose (later, from the event loop) when the window manager asks to
// close window while a modal window blocks it: Qt itself drops such a
// request. Works on X11; elsewhere nothing is called. The watch ends with
// the window.
void watchBlockedClose(QWidget* window, std::function<void()> onClose);

} // namespace bw
