#include "app/login_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <exception>

#include "ports/dialogs.h"
#include "runs/background_run.h"
#include "text/error.h"

namespace tellvaro::app {
namespace {

constexpr int kWidth = 501;
constexpr int kHeight = 373;
constexpr int kSplashTicks = 5;

QString q(const std::string& s) { return QString::fromStdString(s); }

QLabel* picture(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setPixmap(QPixmap(QStringLiteral(":/tellvaro/logo.png")));
  label->setFixedSize(160, 160);
  label->setAccessibleName(QStringLiteral("Tellvaro"));
  return label;
}

// The address as people write it: without scheme and trailing slash.
QString shown_address(const QString& url) {
  QString s = url;
  for (const char* scheme : {"https://", "http://"}) {
    if (s.startsWith(QLatin1String(scheme))) s.remove(0, static_cast<int>(qstrlen(scheme)));
  }
  while (s.endsWith(QLatin1Char('/'))) s.chop(1);
  return s;
}

}  // namespace

LoginWindow::LoginWindow(session::Deployment deployment, std::string program_folder,
                         ports::Dialogs& dialogs, MainWindowFactory make_main_window,
                         QWidget* parent)
    : LoginWindow(std::move(deployment), std::move(program_folder), dialogs,
                  MainWindowPreparation([make = std::move(make_main_window)](
                                            const session::Login& login,
                                            const std::string& folder) -> MainWindowOpener {
                    return [make, &login, folder](QWidget* login_window) {
                      return make(login, folder, login_window);
                    };
                  }),
                  parent) {}

LoginWindow::LoginWindow(session::Deployment deployment, std::string program_folder,
                         ports::Dialogs& dialogs, MainWindowPreparation prepare_main_window,
                         QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      login_(std::move(deployment), program_folder),
      program_folder_(std::move(program_folder)),
      dialogs_(dialogs),
      prepare_main_window_(std::move(prepare_main_window)),
      run_(new runs::BackgroundRun(this)) {
  connect(run_, &runs::BackgroundRun::finished, this, &LoginWindow::loginDone);
  setWindowTitle(q(session::window_caption(login_.deployment())));
  setFixedSize(kWidth, kHeight);

  // Both panels fill the window; the login panel lies in front.
  splash_ = makeSplashPanel();
  login_panel_ = makeLoginPanel();
  splash_->setGeometry(rect());
  login_panel_->setGeometry(rect());
  login_panel_->raise();

  splash_timer_ = new QTimer(this);
  splash_timer_->setInterval(1000);
  connect(splash_timer_, &QTimer::timeout, this, &LoginWindow::tick);
  splash_timer_->start();
  // Typing starts in "Benutzer:" however the window comes up.
  user_->setFocus();
}

// The login's thread writes into this window's members: it ends before they go.
LoginWindow::~LoginWindow() { delete run_; }

QWidget* LoginWindow::makeSplashPanel() {
  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("splashPanel"));
  panel->setAutoFillBackground(true);
  panel->installEventFilter(this);

  auto* name = new QLabel(QStringLiteral("Tellvaro"), panel);
  QFont big = name->font();
  big.setPointSize(32);
  big.setBold(true);
  name->setFont(big);
  auto* version = new QLabel(QStringLiteral("Version: 1.0.0.1"), panel);

  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(16, 24, 16, 12);
  layout->addStretch(1);
  layout->addWidget(picture(panel), 0, Qt::AlignHCenter);
  layout->addWidget(name, 0, Qt::AlignHCenter);
  layout->addWidget(version, 0, Qt::AlignHCenter);
  layout->addStretch(1);
  layout->addWidget(makeCreditLine(panel), 0, Qt::AlignHCenter);
  return panel;
}

QWidget* LoginWindow::makeLoginPanel() {
  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("loginPanel"));
  panel->setAutoFillBackground(true);

  user_ = new QLineEdit(panel);
  user_->setAccessibleName(QStringLiteral("Benutzer"));
  password_ = new QLineEdit(panel);
  password_->setAccessibleName(QStringLiteral("Passwort"));
  password_->setEchoMode(QLineEdit::Password);
  password_->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
  auto* user_label = new QLabel(QStringLiteral("Benutzer:"), panel);
  user_label->setBuddy(user_);
  auto* password_label = new QLabel(QStringLiteral("Passwort:"), panel);
  password_label->setBuddy(password_);
  log_in_ = new QPushButton(QStringLiteral("Einloggen"), panel);
  log_in_->setAccessibleName(QStringLiteral("Einloggen"));
  status_ = new QListWidget(panel);
  status_->setAccessibleName(QStringLiteral("Status"));
  status_->setSelectionMode(QAbstractItemView::NoSelection);
  status_->setFocusPolicy(Qt::NoFocus);

  connect(log_in_, &QPushButton::clicked, this, &LoginWindow::logIn);
  connect(password_, &QLineEdit::returnPressed, this, &LoginWindow::logIn);
  connect(user_, &QLineEdit::returnPressed, password_, [this] { password_->setFocus(); });

  auto* fields = new QGridLayout;
  fields->addWidget(user_label, 0, 0);
  fields->addWidget(user_, 0, 1);
  fields->addWidget(password_label, 1, 0);
  fields->addWidget(password_, 1, 1);
  fields->addWidget(log_in_, 2, 1);
  fields->setRowStretch(3, 1);

  auto* top = new QHBoxLayout;
  top->setSpacing(16);
  top->addWidget(picture(panel), 0, Qt::AlignTop);
  auto* right = new QVBoxLayout;
  right->addLayout(fields);
  right->addWidget(status_, 1);
  top->addLayout(right, 1);

  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(16, 16, 16, 12);
  layout->addLayout(top, 1);
  // The login panel's line is reached by Tab and opened by Enter or Space as well (the splash's
  // lies beneath it and stays out of the Tab order).
  QLabel* credit = makeCreditLine(panel);
  credit->setFocusPolicy(Qt::TabFocus);
  credit->setStyleSheet(QStringLiteral("QLabel:focus { border: 1px dotted palette(text); }"));
  layout->addWidget(credit, 0, Qt::AlignHCenter);
  return panel;
}

QLabel* LoginWindow::makeCreditLine(QWidget* parent) {
  QString address = q(login_.deployment().maker_url);
  auto* line = new QLabel(parent);
  line->setObjectName(QStringLiteral("creditLine"));
  line->setTextFormat(Qt::RichText);
  line->setText(QStringLiteral("Tellvaro ist ein Programm von Quillmar: "
                               "<span style=\"color:#0645ad; text-decoration:underline\">%1</span>")
                    .arg(shown_address(address).toHtmlEscaped()));
  line->setAccessibleName(
      QStringLiteral("Tellvaro ist ein Programm von Quillmar: %1").arg(shown_address(address)));
  line->setCursor(Qt::PointingHandCursor);
  line->setToolTip(address);
  line->installEventFilter(this);
  return line;
}

bool LoginWindow::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) splash_counter_ = 0;
  return QWidget::event(e);
}

bool LoginWindow::eventFilter(QObject* watched, QEvent* e) {
  if (watched->objectName() == QLatin1String("creditLine")) {
    // The press stays with the credit line, so clicking it on the splash only opens the page.
    if (e->type() == QEvent::MouseButtonPress) return true;
    const bool clicked = e->type() == QEvent::MouseButtonRelease &&
                         static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton;
    const int key = e->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(e)->key() : 0;
    if (clicked || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
      QDesktopServices::openUrl(QUrl(q(login_.deployment().maker_url)));
      return true;
    }
  }
  if (e->type() == QEvent::MouseButtonPress && watched == splash_) {
    hideSplash();
    return true;
  }
  return QWidget::eventFilter(watched, e);
}

void LoginWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  // Without a window manager nobody else hands the new window the keyboard.
  if (!e->spontaneous()) activateWindow();
  // Centred once, when the frame around the window is known.
  if (!centred_ && !e->spontaneous()) {
    centred_ = true;
    if (QScreen* s = screen()) {
      QRect frame = frameGeometry();
      frame.moveCenter(s->availableGeometry().center());
      move(frame.topLeft());
    }
  }
}

void LoginWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (splash_) splash_->setGeometry(rect());
  if (login_panel_) login_panel_->setGeometry(rect());
}

void LoginWindow::tick() {
  ++splash_counter_;
  if (splash_counter_ == kSplashTicks) hideSplash();
}

void LoginWindow::hideSplash() {
  splash_->hide();
  login_panel_->show();
  login_panel_->raise();
}

void LoginWindow::logIn() {
  if (run_->running()) return;
  const std::string user = user_->text().toStdString();
  const std::string password = password_->text().toStdString();
  result_ = {session::LoginOutcome::TryAgain, {}};
  failure_.clear();
  open_main_window_ = nullptr;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  run_->start([this, user, password] {
    // Posted to the window in the order they are said; loginDone() comes after all of them.
    session::Login::Status status{
        [this] {
          QMetaObject::invokeMethod(
              this, [this] { status_->clear(); }, Qt::QueuedConnection);
        },
        [this](const std::string& line) {
          QMetaObject::invokeMethod(
              this, [this, text = q(line)] { status_->addItem(text); }, Qt::QueuedConnection);
        },
    };
    try {
      result_ = login_.run(user, password, status);
      if (result_.outcome == session::LoginOutcome::OpenMainWindow) {
        open_main_window_ = prepare_main_window_(login_, program_folder_);
      }
    } catch (const std::exception& e) {
      failure_ = e.what();
    }
  });
}

void LoginWindow::loginDone() {
  QApplication::restoreOverrideCursor();
  if (!failure_.empty()) {
    dialogs_.error(failure_);
    emit loginEnded();
    return;
  }
  switch (result_.outcome) {
    case session::LoginOutcome::OpenMainWindow:
      hide();
      try {
        main_window_ = open_main_window_(this);
      } catch (const std::exception& e) {
        // Without a main window the hidden login would leave the program without any window.
        show();
        dialogs_.error(e.what());
        break;
      }
      if (main_window_) {
        main_window_->show();
        // Keys must reach the new window even where no window manager hands it the focus.
        main_window_->activateWindow();
      }
      break;
    case session::LoginOutcome::TryAgain:
      break;
    case session::LoginOutcome::ShowAndStay:
      dialogs_.error(result_.message);
      break;
    case session::LoginOutcome::ShowAndEnd:
      dialogs_.inform(result_.message);
      close();
      break;
  }
  emit loginEnded();
}

}  // namespace tellvaro::app
