// Window tests: look at the modal window that a step opens, then close it.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace quelo::test {

// Runs `open`; `look` receives the modal window of type T that runs meanwhile
// and should close it as a user does. Any modal window left open is closed, so
// that a failed check never leaves the test waiting. Tells whether `look` ran.
template <class T>
bool LookAtModalWindow(const std::function<void()>& open, const std::function<void(T&)>& look) {
  bool looked = false;
  QTimer timer;  // local, so that it never fires after `open` returned
  timer.setSingleShot(true);
  timer.callOnTimeout([&] {
    QWidget* window = QApplication::activeModalWidget();
    looked = qobject_cast<T*>(window) != nullptr;
    if (looked) look(*static_cast<T*>(window));
    if (window && QApplication::activeModalWidget() == window) window->close();
  });
  timer.start(0);
  open();
  return looked;
}

}  // namespace quelo::test
