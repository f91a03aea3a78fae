// Drives the installed program from inside its own process, so the test runs the very program
// file that was installed: Qt loads this as a generic plugin when the environment names it
// (QT_QPA_GENERIC_PLUGINS=tellvarodriver, QT_PLUGIN_PATH=<folder holding generic/>).
//
// TELLVARO_DRIVER=start: waits for the login window, prints its caption and closes it.
// TELLVARO_DRIVER=login: logs in with TELLVARO_DRIVER_USER and TELLVARO_DRIVER_PASSWORD, waits for
// the main window, prints its caption and closes it (which saves the tables and ends the program).
// A message box or a minute without getting there ends the program with a failure code.
#include <QApplication>
#include <QElapsedTimer>
#include <QGenericPlugin>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

QWidget* child_named(QWidget* window, const QString& accessible_name) {
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->accessibleName() == accessible_name) return w;
  }
  return nullptr;
}

void say(const QString& line) {
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

[[noreturn]] void give_up(const QString& why, int code) {
  say(why);
  std::_Exit(code);
}

class Driver : public QObject {
 public:
  Driver() {
    clock_.start();
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &Driver::step);
    timer->start(100);
  }

 private:
  void step() {
    if (clock_.elapsed() > 60000) give_up(QStringLiteral("Zeit abgelaufen"), 4);
    QWidget* login = nullptr;
    QWidget* other = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (!w->isVisible()) continue;
      if (auto* box = qobject_cast<QMessageBox*>(w)) {
        give_up(QStringLiteral("Meldung: ") + box->text(), 3);
      }
      (child_named(w, QStringLiteral("Benutzer")) ? login : other) = w;
    }
    const QByteArray mode = qgetenv("TELLVARO_DRIVER");
    if (mode == "start" && login) {
      say(QStringLiteral("Anmeldefenster: ") + login->windowTitle());
      login->close();
    } else if (mode == "login" && login && !clicked_) {
      clicked_ = true;
      qobject_cast<QLineEdit*>(child_named(login, QStringLiteral("Benutzer")))
          ->setText(qEnvironmentVariable("TELLVARO_DRIVER_USER"));
      qobject_cast<QLineEdit*>(child_named(login, QStringLiteral("Passwort")))
          ->setText(qEnvironmentVariable("TELLVARO_DRIVER_PASSWORD"));
      // Clicked from the event loop, not from here: a message box of the login runs a loop of its
      // own, and this timer fires only while its previous round has returned.
      QTimer::singleShot(
          0, qobject_cast<QPushButton*>(child_named(login, QStringLiteral("Einloggen"))),
          &QPushButton::click);
    } else if (mode == "login" && clicked_ && !login && other) {
      say(QStringLiteral("Hauptfenster: ") + other->windowTitle());
      other->close();
    }
  }

  QElapsedTimer clock_;
  bool clicked_ = false;
};

}  // namespace

class LoginDriverPlugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "login_driver.json")

 public:
  QObject* create(const QString& key, const QString&) override {
    return key.compare(QStringLiteral("tellvarodriver"), Qt::CaseInsensitive) == 0 ? new Driver
                                                                                   : nullptr;
  }
};

#include "login_driver.moc"
