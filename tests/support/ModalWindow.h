// Window tests: look at the modal window that a step opens, then close it.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace quelo::test {

// Runs `open`; once a modal window runs, `look` receives it (nullptr when the
// events ran without one) and should close it as a user does. A window it
// leaves open is closed afterwards, so that a failed check never leaves the
// test waiting, and nothing is looked at after `open` returns.
inline void LookAtModalWindow(const std::function<void()>& open, const std::function<void(QWidget*)>& look) {
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, [&look] {
    QWidget* window = QApplication::activeModalWidget();
    look(window);
    if (window && QApplication::activeModalWidget() == window) window->close();
  });
  timer.start(0);
  open();
}

}  // namespace quelo::test
