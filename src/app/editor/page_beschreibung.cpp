#include "app/editor/page_beschreibung.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "app/accessible.h"
#include "app/editor/editor_pages.h"
#include "app/editor/field_widgets.h"
#include "app/web_engine.h"
#include "media/description.h"
#include "ports/dialogs.h"
#include "store/table.h"
#include "text/error.h"

namespace tellvaro::app {

DescriptionPage::DescriptionPage(FieldBinder& b, EditorControls& c, store::Table& articles,
                                 ports::Dialogs* dialogs, QWidget* parent)
    : QWidget(parent), articles_(articles), dialogs_(dialogs) {
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  auto* html = b.radio(store::F::html_desc_1, this);
  bar->addWidget(label_for(new QLabel(QStringLiteral("Beschreibung in HTML:"), this), html));
  bar->addWidget(html);
  bar->addStretch(1);
  auto* open = new QPushButton(QStringLiteral("Datei öffnen"), this);
  open->setAccessibleDescription(QStringLiteral("Beschreibung"));
  text_button_ = new QPushButton(QStringLiteral("Text Ansicht"), this);
  preview_button_ = new QPushButton(QStringLiteral("Browser Vorschau"), this);
  bar->addWidget(open);
  bar->addWidget(text_button_);
  bar->addWidget(preview_button_);
  layout->addLayout(bar);
  connect(open, &QPushButton::clicked, this, [this] { openFile(); });
  connect(text_button_, &QPushButton::clicked, this, [this] { showText(); });
  connect(preview_button_, &QPushButton::clicked, this, [this] { showPreview(); });

  stack_ = new QStackedWidget(this);
  c.description = b.memo(store::F::Beschreibung, stack_);
  // Under the page's tab, with no caption of its own.
  c.description->setAccessibleName(QStringLiteral("Beschreibung"));
  c.description->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  c.description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_ = c.description;
  stack_->addWidget(text_);
  layout->addWidget(stack_, 1);
  showText();
}

bool DescriptionPage::previewShown() const {
  return browser_ && stack_->currentWidget() == browser_;
}

void DescriptionPage::showText() {
  stack_->setCurrentWidget(text_);
  text_button_->setEnabled(false);
  preview_button_->setEnabled(true);
}

void DescriptionPage::showPreview() {
  if (!browser_) {
    prepare_web_engine();
    browser_ = make_sealed_view(stack_);
    browser_->setAccessibleName(QStringLiteral("Browser Vorschau"));
    browser_->setAccessibleDescription(QStringLiteral("Beschreibung"));
    stack_->addWidget(browser_);
    stale_ = true;
  }
  stack_->setCurrentWidget(browser_);
  text_button_->setEnabled(true);
  preview_button_->setEnabled(false);
  if (stale_) render();
}

void DescriptionPage::refreshPreview() {
  stale_ = true;
  if (previewShown() && isVisible()) render();
}

void DescriptionPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (previewShown() && stale_) render();
}

void DescriptionPage::render() {
  stale_ = false;
  // Rendered as HTML whatever html_desc_1 says; no base address, so relative names and file
  // addresses lead nowhere.
  const std::string document = media::preview_document(articles_.text(store::F::Beschreibung));
  browser_->setHtml(QString::fromStdString(document), QUrl(QStringLiteral("about:blank")));
}

void DescriptionPage::openFile() {
  if (!dialogs_) return;
  try {
    media::load_description(articles_, *dialogs_);
  } catch (const Error& e) {
    dialogs_->error(e.what());
  }
}

}  // namespace tellvaro::app
