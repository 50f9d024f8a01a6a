#include "platform/ui/blockedclose.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#ifdef BW_HAVE_XCB
#include <xcb/xcb.h>
#include <cstdlib>
#include <cstring>
#endif

namespace bw {

#ifdef BW_HAVE_XCB

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

// Reads the X events before Qt does: a WM_DELETE_WINDOW message for the
// window while it is blocked.
class BlockedCloseFilter : public QObject, public QAbstractNativeEventFilter {
public:
    BlockedCloseFilter(QWidget* window, std::function<void()> onClose, xcb_atom_t protocols, xcb_atom_t deleteWindow)
        : QObject(window), window_(window), onClose_(std::move(onClose)), protocols_(protocols),
          deleteWindow_(deleteWindow) {
        qApp->installNativeEventFilter(this);
    }
    ~BlockedCloseFilter() override { qApp->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t" || !window_)
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            return false;
        const auto* m = static_cast<const xcb_client_message_event_t*>(message);
        if (m->format != 32 || m->type != protocols_ || m->data.data32[0] != deleteWindow_)
            return false;
        QWindow* handle = window_->windowHandle();
        if (!handle || m->window != xcb_window_t(handle->winId()) || !QApplication::activeModalWidget() ||
            QApplication::activeModalWidget() == window_)
            return false;
        // Not from inside the event dispatch: the answer may take a nested loop.
        QMetaObject::invokeMethod(this, [this] { onClose_(); }, Qt::QueuedConnection);
        return false;
    }

private:
    QPointer<QWidget> window_;
    std::function<void()> onClose_;
    xcb_atom_t protocols_;
    xcb_atom_t deleteWindow_;
};

} // namespace

void watchBlockedClose(QWidget* window, std::function<void()> onClose) {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!window || !x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    const xcb_atom_t protocols = internAtom(connection, "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = internAtom(connection, "WM_DELETE_WINDOW");
    if (protocols == XCB_ATOM_NONE || deleteWindow == XCB_ATOM_NONE)
        return;
    new BlockedCloseFilter(window, std::move(onClose), protocols, deleteWindow);
}

#else

void watchBlockedClose(QWidget*, std::function<void()>) {}

#endif

} // namespace bw
