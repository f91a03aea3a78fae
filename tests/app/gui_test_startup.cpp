// Linked into every GUI test program: the same surroundings whether ctest starts the program or
// someone runs it by hand from a shell with a desktop or a display. The German locale and time
// zone come from tests/support/german_desktop.cpp, as for every test program.
#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>

#include <cstdlib>
#include <sys/stat.h>

namespace {

// Before main(), so it is in place before QApplication reads the environment.
[[gnu::constructor]] void fix_surroundings() {
  // Real windows, never shown: a display is neither needed nor disturbed.
  if (!std::getenv("TELLVARO_GUI_TESTS_ON_SCREEN")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Qt wants a private runtime folder; the build's own keeps the caller's out of it.
  ::mkdir(TELLVARO_GUI_TEST_RUNTIME_DIR, 0700);
  ::chmod(TELLVARO_GUI_TEST_RUNTIME_DIR, 0700);
  ::setenv("XDG_RUNTIME_DIR", TELLVARO_GUI_TEST_RUNTIME_DIR, 1);
}

// Sizes, focus frames and screenshots depend on the style; the desktop's must not count.
void fix_style() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()))
    QApplication::setStyle(QStringLiteral("Fusion"));
}
Q_COREAPP_STARTUP_FUNCTION(fix_style)

}  // namespace
