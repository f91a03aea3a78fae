// The login window, offscreen, against the local auction house for the login itself.

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <memory>

#include "app/login_window.h"
#include "session/session.h"
#include "support/auction_house.h"
#include "support/scripted_dialogs.h"
#include "support/widgets.h"

using namespace tellvaro;

namespace {

// Takes the place of the default browser.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened << url; }
};

// Counts close events: closing the login window ends the program, hiding it does not.
class CloseCounter : public QObject {
 public:
  int closes = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Close) ++closes;
    return false;
  }
};


}  // namespace

class LoginWindowTest : public QObject {
  Q_OBJECT

 private:
  struct Fixture {
    QTemporaryDir folder;
    test::ScriptedDialogs dialogs;
    int factory_calls = 0;
    std::string factory_user_id;
    QWidget* main_window = nullptr;
    std::unique_ptr<app::LoginWindow> window;

    Fixture() {
      session::Deployment d = session::Deployment::built_in();
      d.directory_host = test::host();
      window = std::make_unique<app::LoginWindow>(
          d, folder.path().toStdString() + "/", dialogs,
          [this](const session::Login& login, const std::string&, QWidget* login_window) {
            ++factory_calls;
            factory_user_id = login.user().id;
            auto w = std::make_unique<QWidget>();
            main_window = w.get();
            (void)login_window;
            return w;
          });
      window->show();
    }

    QLineEdit* user() { return test::named<QLineEdit>(*window, "Benutzer"); }
    QLineEdit* password() { return test::named<QLineEdit>(*window, "Passwort"); }
    QPushButton* button() { return test::named<QPushButton>(*window, "Einloggen"); }
    QListWidget* status() { return test::named<QListWidget>(*window, "Status"); }

    void type(const QString& user_name, const QString& pw) {
      user()->setText(user_name);
      password()->clear();
      QTest::keyClicks(password(), pw);
    }
    // What a successful login leaves: the main window shown in place of the login window.
    void verify_opened() {
      QCOMPARE(factory_calls, 1);
      QCOMPARE(factory_user_id, std::string("42"));
      QVERIFY(window->isHidden());
      QVERIFY(main_window && main_window->isVisible());
      QCOMPARE(window->mainWindow(), main_window);
      QVERIFY(QFile::exists(folder.filePath("files/db/artikel_db.xml")));
      QVERIFY(dialogs.shown.empty());
    }
    // Presses "Einloggen" with `press` and waits until the login off the window's thread has
    // had its outcome; the window paints meanwhile.
    void log_in(const std::function<void()>& press) {
      QSignalSpy ended(window.get(), &app::LoginWindow::loginEnded);
      press();
      QVERIFY(ended.wait(20000));
    }
    QStringList lines() {
      QStringList out;
      for (int i = 0; i < status()->count(); ++i) out << status()->item(i)->text();
      return out;
    }
  };

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

  void windowShape() {
    Fixture f;
    app::LoginWindow& w = *f.window;
    QCOMPARE(w.size(), QSize(501, 373));
    QCOMPARE(w.minimumSize(), QSize(501, 373));
    QCOMPARE(w.maximumSize(), QSize(501, 373));
    QCOMPARE(w.windowTitle(), QString("Quillmar - Tellvaro v.: 2.0.0.1 - ") +
                                  QString::fromStdString(session::Deployment::built_in().customer));
    Qt::WindowFlags flags = w.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QPoint off = w.frameGeometry().center() - w.screen()->availableGeometry().center();
    QVERIFY2(off.manhattanLength() <= 2, "not centred on the screen");

    // Both panels fill the window, both visible, the login panel in front.
    for (QWidget* panel : {w.splashPanel(), w.loginPanel()}) {
      QCOMPARE(panel->geometry(), w.rect());
      QVERIFY(panel->isVisible());
    }
    QWidget* front = w.childAt(w.rect().center());
    QVERIFY(front == w.loginPanel() || w.loginPanel()->isAncestorOf(front));

    QVERIFY(f.user() && f.password() && f.button() && f.status());
    QVERIFY(!f.window->findChildren<QLabel*>().isEmpty());
    bool picture = false;
    for (QLabel* l : w.splashPanel()->findChildren<QLabel*>()) picture |= !l->pixmap().isNull();
    QVERIFY2(picture, "the panel picture is missing from the resources");

    f.password()->ensurePolished();
    QTest::keyClicks(f.password(), "geheim");
    QCOMPARE(f.password()->displayText(), QString("******"));
  }

  void splashTimerHidesTheSplashOnTheFifthTick() {
    Fixture f;
    app::LoginWindow& w = *f.window;
    auto* timer = w.findChild<QTimer*>();
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    timer->stop();  // the test beats the clock itself

    for (int i = 0; i < 4; ++i) w.tick();
    QVERIFY(w.splashPanel()->isVisible());
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);
    QCOMPARE(w.splashCounter(), 0);
    for (int i = 0; i < 4; ++i) w.tick();
    QVERIFY(w.splashPanel()->isVisible());
    w.tick();
    QVERIFY(!w.splashPanel()->isVisible());
    QVERIFY(w.loginPanel()->isVisible());
  }

  void clickOnSplashHidesItAtOnce() {
    Fixture f;
    app::LoginWindow& w = *f.window;
    w.loginPanel()->lower();  // bring the splash in reach of the mouse
    QTest::mouseClick(w.splashPanel(), Qt::LeftButton);
    QVERIFY(!w.splashPanel()->isVisible());
    QVERIFY(w.loginPanel()->isVisible());
    QWidget* front = w.childAt(w.rect().center());
    QVERIFY(front == w.loginPanel() || w.loginPanel()->isAncestorOf(front));
  }

  void creditLinesOpenTheMakersPage() {
    UrlRecorder browser;
    QDesktopServices::setUrlHandler("http", &browser, "open");
    QDesktopServices::setUrlHandler("https", &browser, "open");
    Fixture f;
    app::LoginWindow& w = *f.window;
    const QUrl maker(QString::fromStdString(session::Deployment::built_in().maker_url));
    for (QWidget* panel : {w.loginPanel(), w.splashPanel()}) {
      QLabel* credit = panel->findChild<QLabel*>("creditLine");
      QVERIFY(credit);
      panel->raise();
      QTest::mouseClick(credit, Qt::LeftButton);
    }
    // Without a pointer: Tab reaches it, Enter or Space opens the page.
    QLabel* credit = w.loginPanel()->findChild<QLabel*>("creditLine");
    QCOMPARE(credit->focusPolicy(), Qt::TabFocus);
    QTest::keyClick(credit, Qt::Key_Return);
    QTest::keyClick(credit, Qt::Key_Space);
    QCOMPARE(browser.opened, (QList<QUrl>{maker, maker, maker, maker}));
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
  }

  void failedLoginShowsStatusLines() {
    test::reset_data();
    Fixture f;
    f.type("haendler", "falsch");
    f.log_in([&] { QTest::mouseClick(f.button(), Qt::LeftButton); });
    const QStringList expected{"Verbindung zu Server aufgebaut",
                               "Verbindung zu Daten-Bank hergestellt", "Falsche Einloggdaten."};
    QCOMPARE(f.lines(), expected);
    QVERIFY(f.window->isVisible());
    QVERIFY(f.dialogs.shown.empty());

    // Return in the password box logs in as well; the list starts afresh.
    f.log_in([&] { QTest::keyClick(f.password(), Qt::Key_Return); });
    QCOMPARE(f.lines(), expected);
    QCOMPARE(f.window->login().failed_attempts(), 2);
    QCOMPARE(f.factory_calls, 0);
  }

  void successOpensTheMainWindow() {
    test::reset_data();
    Fixture f;
    f.type("haendler", "geheim");
    f.log_in([&] { QTest::keyClick(f.password(), Qt::Key_Return); });
    f.verify_opened();
  }

  // The login waits on a thread of its own: the window takes clicks while the database holds its
  // answer, and a second press meanwhile opens no second main window.
  void theWindowStaysAliveWhileTheLoginWaits() {
    test::reset_data();
    Fixture f;
    f.type("haendler", "geheim");
    QSignalSpy ended(f.window.get(), &app::LoginWindow::loginEnded);
    {
      const test::Frozen frozen("mariadb");
      QTest::mouseClick(f.button(), Qt::LeftButton);
      QTest::mouseClick(f.button(), Qt::LeftButton);
      QCOMPARE(ended.count(), 0);
      QVERIFY(f.window->isVisible());
    }
    QVERIFY(ended.wait(20000));
    f.verify_opened();
    QCOMPARE(ended.count(), 1);
  }

  // Keys as the platform delivers them, to whatever has the focus.
  void keyboardAloneLogsIn() {
    test::reset_data();
    Fixture f;
    // Chosen by the window itself, before any window manager could activate it (none may).
    QCOMPARE(f.window->focusWidget(), static_cast<QWidget*>(f.user()));
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.user()));
    QWindow* keys = f.window->windowHandle();
    for (char c : std::string("haendler")) QTest::keyClick(keys, c);
    QTest::keyClick(keys, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.password()));
    for (char c : std::string("geheim")) QTest::keyClick(keys, c);
    f.log_in([&] { QTest::keyClick(keys, Qt::Key_Return); });
    f.verify_opened();
  }

  void thirdFailureClosesTheWindowWithItsMessage() {
    test::reset_data();
    Fixture f;
    CloseCounter counter;
    f.window->installEventFilter(&counter);
    for (int i = 0; i < 3; ++i) {
      f.type("haendler", "falsch");
      f.log_in([&] { QTest::mouseClick(f.button(), Qt::LeftButton); });
    }
    QCOMPARE(f.dialogs.shown,
             (std::vector<std::string>{"Die Einloggdaten wurden drei mal falsch eingegeben."}));
    QVERIFY(f.window->isHidden());
    QCOMPARE(counter.closes, 1);
    QCOMPARE(f.factory_calls, 0);
  }

  void unmakeableDataFolderKeepsTheWindow() {
    test::reset_data();
    Fixture f;
    QFile blocker(f.folder.filePath("files"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    f.type("haendler", "geheim");
    f.log_in([&] { QTest::mouseClick(f.button(), Qt::LeftButton); });
    QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
    QVERIFY(f.window->isVisible());
    QCOMPARE(f.factory_calls, 0);
  }
};

QTEST_MAIN(LoginWindowTest)
#include "login_window_db_test.moc"
