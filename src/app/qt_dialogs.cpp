#include "app/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "session/session.h"

namespace tellvaro::app {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QString title() { return QString::fromUtf8(session::kApplicationTitle); }

// The window the box belongs to; a hidden login window must not own it.
QWidget* owner() {
  QWidget* w = QApplication::activeWindow();
  return w && w->isVisible() ? w : nullptr;
}

enum class Buttons { Ok, YesNo, YesCancel };

ports::Answer show(QMessageBox::Icon icon, const std::string& text, Buttons buttons) {
  QMessageBox box(icon, title(), q(text), QMessageBox::NoButton, owner());
  // German captions regardless of which Qt translations are installed.
  if (buttons == Buttons::Ok) {
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return ports::Answer::Yes;
  }
  QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
  QPushButton* other = buttons == Buttons::YesNo
                           ? box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole)
                           : box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(other);
  box.exec();
  if (box.clickedButton() == yes) return ports::Answer::Yes;
  return buttons == Buttons::YesNo ? ports::Answer::No : ports::Answer::Cancel;
}

std::optional<std::string> chosen(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

}  // namespace

void QtDialogs::inform(const std::string& text) {
  show(QMessageBox::Information, text, Buttons::Ok);
}

void QtDialogs::error(const std::string& text) { show(QMessageBox::Critical, text, Buttons::Ok); }

ports::Answer QtDialogs::ask_yes_no(const std::string& text) {
  return show(QMessageBox::Question, text, Buttons::YesNo);
}

ports::Answer QtDialogs::ask_yes_cancel(const std::string& text) {
  return show(QMessageBox::Question, text, Buttons::YesCancel);
}

std::size_t QtDialogs::choose(const std::string& text, const std::vector<std::string>& buttons) {
  QMessageBox box(QMessageBox::Question, title(), q(text), QMessageBox::NoButton, owner());
  std::vector<QPushButton*> pressed;
  for (const std::string& caption : buttons)
    pressed.push_back(box.addButton(q(caption), QMessageBox::ActionRole));
  if (pressed.empty()) return 0;
  box.setDefaultButton(pressed.front());
  box.setEscapeButton(pressed.back());
  box.exec();
  for (std::size_t i = 0; i < pressed.size(); ++i)
    if (box.clickedButton() == pressed[i]) return i;
  return pressed.size() - 1;
}

std::optional<std::string> QtDialogs::open_file(const std::string& start_folder,
                                                const std::string& filter) {
  return chosen(
      QFileDialog::getOpenFileName(owner(), QStringLiteral("Öffnen"), q(start_folder), q(filter)));
}

std::optional<std::string> QtDialogs::save_file(const std::string& start_folder,
                                                const std::string& filter) {
  return chosen(QFileDialog::getSaveFileName(owner(), QStringLiteral("Speichern unter"),
                                             q(start_folder), q(filter)));
}

}  // namespace tellvaro::app
