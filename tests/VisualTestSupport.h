// The one Qt GUI application of a test program, made on first use on the
// offscreen platform (so tests need no display).
#pragma once

#include <QtCore/QByteArray>
#include <QtGui/QGuiApplication>
#include <cstdlib>

namespace sk {

inline QGuiApplication* TestGuiApplication() {
  static QGuiApplication* app = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "sk_tests";
    static char* argv[] = {name, nullptr};
    return new QGuiApplication(argc, argv);
  }();
  return app;
}

}  // namespace sk
