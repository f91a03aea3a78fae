#include "app/editor/description_page.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "app/accessible.h"
#include "app/editor/editor_pages.h"
#include "app/editor/field_widgets.h"
#include "app/web_engine.h"
#include "media/description.h"
#include "ports/dialogs.h"
#include "presentation/description_frames.h"
#include "store/description_frames.h"
#include "store/table.h"
#include "text/error.h"

namespace tellvaro::app {

DescriptionPage::DescriptionPage(FieldBinder& b, EditorControls& c, store::Table& articles,
                                 ports::Dialogs* dialogs, store::FrameFolder& frames,
                                 QWidget* parent)
    : QWidget(parent), articles_(articles), dialogs_(dialogs), frames_(frames), binder_(b) {
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  auto* html = b.radio(store::F::html_desc_1, this);
  bar->addWidget(label_for(new QLabel(QStringLiteral("Beschreibung in HTML:"), this), html));
  bar->addWidget(html);
  frame_choice_ = new QComboBox(this);
  // No field's description: tools that look for the control bound to `Beschreibung` find the
  // text, whose own text this choice leaves alone.
  frame_choice_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  bar->addSpacing(12);
  bar->addWidget(label_for(new QLabel(QStringLiteral("Vorlage:"), this), frame_choice_));
  bar->addWidget(frame_choice_);
  // Only a choice by the seller changes the article, not one shown for the record.
  connect(frame_choice_, &QComboBox::activated, this, [this](int index) { chooseFrame(index); });
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
  c.description = b.bindOwnDescription(new QPlainTextEdit(stack_));
  // Under the page's tab, with no caption of its own.
  c.description->setAccessibleName(QStringLiteral("Beschreibung"));
  c.description->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  c.description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_ = c.description;
  stack_->addWidget(text_);
  layout->addWidget(stack_, 1);
  showText();
  refreshFrames();
}

void DescriptionPage::refreshFrames() {
  frame_names_ = frames_.names();
  showFrame();
  refreshPreview();
}

void DescriptionPage::showFrame() {
  const auto choice =
      presentation::frame_choice(frame_names_, articles_.text(store::F::Beschreibung));
  QSignalBlocker quiet(frame_choice_);
  frame_choice_->clear();
  for (const std::string& item : choice.items) frame_choice_->addItem(QString::fromStdString(item));
  frame_choice_->setCurrentIndex(choice.current);
  frame_items_ = choice.frames;
}

void DescriptionPage::chooseFrame(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= frame_items_.size()) return;
  try {
    // What was typed into the text stays the seller's own text under the new frame.
    binder_.flush();
    const std::string now = articles_.text(store::F::Beschreibung);
    const std::string chosen = store::with_frame(now, frame_items_[index]);
    if (chosen == now) return;
    articles_.edit();
    articles_.set(store::F::Beschreibung, store::Value::text(chosen));
  } catch (const Error& e) {
    if (dialogs_) dialogs_->error(e.what());
    showFrame();
  }
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
  showFrame();
  stale_ = true;
  if (previewShown() && isVisible()) render();
}

void DescriptionPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (previewShown() && stale_) render();
}

void DescriptionPage::render() {
  stale_ = false;
  // Rendered as HTML whatever html_desc_1 says, framed as it will be sent; no base address, so
  // relative names and file addresses lead nowhere.
  const std::string document =
      media::preview_document(presentation::description_preview(frames_, articles_.values()));
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
