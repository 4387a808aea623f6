// Synthetic mouse input for the skinned windows: events go to a window's native window, where
// the application's mouse hook first sees them, as a real click would.
#pragma once

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace actions_test {

// An event at a screen point, as the cursor gives it whatever the window did meanwhile.
inline void SendAt(QWidget* w, QEvent::Type type, QPoint global, Qt::MouseButton button = Qt::LeftButton) {
    QWindow* window = w->windowHandle();
    const QPoint local = w->mapFromGlobal(global);
    const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(local), QPointF(local), QPointF(global), changed, held, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &event);
}
inline void Send(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button = Qt::LeftButton) {
    SendAt(w, type, w->mapToGlobal(local), button);
}
inline void Press(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) { Send(w, QEvent::MouseButtonPress, at, b); }
inline void Release(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) {
    Send(w, QEvent::MouseButtonRelease, at, b);
}
inline void Move(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) { Send(w, QEvent::MouseMove, at, b); }
inline void Click(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) {
    Press(w, at, b);
    Release(w, at, b);
}

}  // namespace actions_test
