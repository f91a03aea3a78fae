#include "app/frames_window.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "app/accessible.h"
#include "app/error_report.h"
#include "app/web_engine.h"
#include "media/description.h"
#include "ports/dialogs.h"
#include "presentation/description_frames.h"
#include "store/description_frames.h"
#include "store/table.h"
#include "text/line_breaks.h"

namespace tellvaro::app {
namespace {

QString q(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

constexpr std::string_view kNewFrame =
    "<div style=\"font-family:sans-serif\">\r\n{Beschreibung}\r\n</div>\r\n"
    "<p>Versand: {Versand_1} für {Versandpreis_1} EUR</p>\r\n"
    "<h3>Impressum</h3>\r\n<p></p>\r\n<h3>Widerrufsbelehrung</h3>\r\n<p></p>\r\n";

}  // namespace

FramesWindow::FramesWindow(Dependencies dependencies, QWidget* parent)
    : QDialog(parent), d_(std::move(dependencies)) {
  setWindowTitle(QStringLiteral("Vorlagen"));
  resize(1000, 640);
  auto* layout = new QHBoxLayout(this);

  auto* left = new QVBoxLayout;
  auto* list_label = new QLabel(QStringLiteral("Vorlagen:"), this);
  list_ = new QListWidget(this);
  label_for(list_label, list_);
  left->addWidget(list_label);
  left->addWidget(list_, 1);
  new_ = new QPushButton(QStringLiteral("Neu"), this);
  left->addWidget(new_);
  layout->addLayout(left);

  auto* right = new QVBoxLayout;
  auto* name_row = new QHBoxLayout;
  name_ = new QLineEdit(this);
  name_row->addWidget(label_for(new QLabel(QStringLiteral("Name:"), this), name_));
  name_row->addWidget(name_, 1);
  save_ = new QPushButton(QStringLiteral("Speichern"), this);
  rename_ = new QPushButton(QStringLiteral("Umbenennen"), this);
  remove_ = new QPushButton(QStringLiteral("Löschen"), this);
  for (QPushButton* b : {save_, rename_, remove_}) name_row->addWidget(b);
  right->addLayout(name_row);

  auto* hint = new QLabel(
      QStringLiteral("Platzhalter: {Beschreibung} für den eigenen Text des Artikels, {Feldname} "
                     "für ein Feld, zum Beispiel {Artikelname}, {Startpreis}, {Versand_1}, "
                     "{Versandpreis_1}, {Zustand}, {Artikelnummer}."),
      this);
  hint->setWordWrap(true);
  right->addWidget(hint);

  auto* split = new QSplitter(Qt::Horizontal, this);
  source_ = new QPlainTextEdit(split);
  source_->setAccessibleName(QStringLiteral("HTML-Quelltext"));
  source_->setLineWrapMode(QPlainTextEdit::NoWrap);
  source_->setTabChangesFocus(true);
  prepare_web_engine();
  preview_ = make_sealed_view(split);
  preview_->setAccessibleName(QStringLiteral("Browser Vorschau"));
  split->addWidget(source_);
  split->addWidget(preview_);
  split->setSizes({500, 500});
  right->addWidget(split, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Schließen"));
  right->addWidget(buttons);
  layout->addLayout(right, 1);

  pause_ = new QTimer(this);
  pause_->setSingleShot(true);
  pause_->setInterval(300);
  connect(pause_, &QTimer::timeout, this, [this] { renderPreview(); });

  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { choose(row); });
  connect(name_, &QLineEdit::textChanged, this, [this] { updateCommands(); });
  connect(source_, &QPlainTextEdit::textChanged, this, [this] {
    if (loading_) return;
    dirty_ = true;
    pause_->start();
  });
  connect(new_, &QPushButton::clicked, this, [this] { startNew(); });
  connect(save_, &QPushButton::clicked, this, [this] { save(); });
  connect(rename_, &QPushButton::clicked, this, [this] { rename(); });
  connect(remove_, &QPushButton::clicked, this, [this] { remove(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &FramesWindow::reject);

  const auto names = d_.frames.names();
  reload(names.empty() ? std::nullopt : std::optional<std::string>(names.front()));
  if (names.empty()) startNew();
}

void FramesWindow::reload(const std::optional<std::string>& choose_name) {
  QSignalBlocker quiet(list_);
  list_->clear();
  int row = -1;
  for (const std::string& n : d_.frames.names()) {
    if (choose_name && *choose_name == n) row = list_->count();
    list_->addItem(q(n));
  }
  list_->setCurrentRow(row);
  quiet.unblock();
  if (row >= 0) {
    // Loaded as chosen, without asking again about what was just stored.
    dirty_ = false;
    choose(row);
  }
  updateCommands();
}

void FramesWindow::choose(int row) {
  if (row < 0) return;
  const std::string name = list_->item(row)->text().toStdString();
  if (chosen_ == name && !dirty_) return;
  if (!mayDiscard()) {
    // Back to the frame being written.
    QSignalBlocker quiet(list_);
    const auto found =
        chosen_ ? list_->findItems(q(*chosen_), Qt::MatchExactly) : QList<QListWidgetItem*>();
    list_->setCurrentItem(found.isEmpty() ? nullptr : found.front());
    return;
  }
  run_guarded(d_.dialogs, [&] {
    const std::string html = d_.frames.read(name);
    loading_ = true;
    source_->setPlainText(q(html));
    loading_ = false;
    chosen_ = name;
    dirty_ = false;
    name_->setText(q(name));
  });
  updateCommands();
  renderPreview();
}

void FramesWindow::startNew() {
  if (!mayDiscard()) return;
  {
    QSignalBlocker quiet(list_);
    list_->setCurrentRow(-1);
  }
  chosen_.reset();
  loading_ = true;
  source_->setPlainText(q(kNewFrame));
  loading_ = false;
  dirty_ = false;
  name_->clear();
  name_->setFocus();
  updateCommands();
  renderPreview();
}

void FramesWindow::save() {
  const std::string name = name_->text().toStdString();
  const std::string html = text::crlf_line_breaks(source_->document()->toRawText().toStdString());
  const bool done = run_guarded(d_.dialogs, [&] {
    if (chosen_ && *chosen_ == name) {
      d_.frames.save(name, html);
    } else {
      d_.frames.create(name, html);
    }
  });
  if (!done) return;
  dirty_ = false;
  reload(name);
  if (d_.changed) d_.changed();
}

void FramesWindow::rename() {
  if (!chosen_) return;
  const std::string from = *chosen_, to = name_->text().toStdString();
  std::size_t users = 0;
  const bool done = run_guarded(d_.dialogs, [&] {
    d_.frames.rename(from, to);
    users = store::rename_frame_in(d_.articles, from, to) +
            store::rename_frame_in(d_.uploads, from, to);
  });
  if (!done) return;
  chosen_ = to;
  const bool keep_edits = dirty_;
  reload(std::nullopt);
  {
    QSignalBlocker quiet(list_);
    const auto found = list_->findItems(q(to), Qt::MatchExactly);
    if (!found.isEmpty()) list_->setCurrentItem(found.front());
  }
  dirty_ = keep_edits;
  updateCommands();
  if (d_.changed) d_.changed();
  d_.dialogs.inform(presentation::renamed_frame_message(from, to, users));
}

void FramesWindow::remove() {
  if (!chosen_) return;
  const std::string name = *chosen_;
  const std::size_t users =
      store::frame_users(d_.articles, name) + store::frame_users(d_.uploads, name);
  if (presentation::ask(d_.dialogs, presentation::delete_frame_question(name, users)) !=
      ports::Answer::Yes)
    return;
  if (!run_guarded(d_.dialogs, [&] { d_.frames.remove(name); })) return;
  chosen_.reset();
  dirty_ = false;
  const auto names = d_.frames.names();
  reload(names.empty() ? std::nullopt : std::optional<std::string>(names.front()));
  if (names.empty()) startNew();
  if (d_.changed) d_.changed();
}

bool FramesWindow::mayDiscard() {
  if (!dirty_) return true;
  if (presentation::ask(d_.dialogs, presentation::unsaved_frame_question(chosen_.value_or(""))) !=
      ports::Answer::Yes)
    return false;
  dirty_ = false;
  return true;
}

void FramesWindow::updateCommands() {
  const auto c = presentation::frame_commands(chosen_, name_->text().toStdString());
  save_->setEnabled(c.save);
  rename_->setEnabled(c.rename);
  remove_->setEnabled(c.remove);
}

void FramesWindow::renderPreview() {
  pause_->stop();
  const std::string html = text::crlf_line_breaks(source_->document()->toRawText().toStdString());
  const bool any = d_.articles.count() > 0;
  const store::Record article = any ? d_.articles.values() : store::Record();
  const std::string document =
      media::preview_document(presentation::frame_preview(html, any ? &article : nullptr));
  preview_->setHtml(q(document), QUrl(QStringLiteral("about:blank")));
}

void FramesWindow::reject() {
  if (mayDiscard()) QDialog::reject();
}

}  // namespace tellvaro::app
