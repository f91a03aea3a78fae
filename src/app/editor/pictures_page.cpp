#include "app/editor/pictures_page.h"

#include <sys/stat.h>

#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "app/editor/editor_pages.h"
#include "app/editor/field_widgets.h"
#include "media/picture_rules.h"
#include "media/pictures.h"
#include "ports/dialogs.h"
#include "store/table.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::app {
namespace {

// Changes when the file is replaced, so an unchanged picture is not decoded again.
std::string file_key(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return path + '\n' + text::format_int(st.st_size) + '\n' + text::format_int(st.st_mtim.tv_sec) +
         '.' + text::format_int(st.st_mtim.tv_nsec);
}

}  // namespace

PicturesPage::PicturesPage(FieldBinder& b, EditorControls& c, store::Table& articles,
                           ports::Dialogs* dialogs, std::string picture_folder, QWidget* parent)
    : QWidget(parent),
      controls_(c),
      articles_(articles),
      dialogs_(dialogs),
      folder_(std::move(picture_folder)) {
  using catalogue::Feature;
  auto* layout = new QVBoxLayout(this);
  auto* g = new QGridLayout;
  QLabel** fees[] = {&c.bild1_fee, &c.fee_labels[static_cast<std::size_t>(Feature::UploadBild2)],
                     &c.fee_labels[static_cast<std::size_t>(Feature::UploadBild3)]};
  // One column per picture: caption, name, fee, the two buttons, the preview.
  for (int i = 0; i < media::kSlotCount; ++i) {
    const int slot = i + 1;
    const QString field = fieldName(store::picture_field(slot));
    auto* name = b.edit(store::picture_field(slot), this, true);
    g->addWidget(label_for(new QLabel(QStringLiteral("Bild %1:").arg(slot), this), name), 0, i);
    g->addWidget(name, 1, i);
    *fees[i] = make_fee_label(QStringLiteral("Gebühr Bild %1").arg(slot), this);
    g->addWidget(*fees[i], 2, i);
    auto* add = new QPushButton(QStringLiteral("Neue Datei"), this);
    auto* del = new QPushButton(QStringLiteral("Datei löschen"), this);
    add->setAccessibleDescription(field);
    del->setAccessibleDescription(field);
    connect(add, &QPushButton::clicked, this, [this, slot] { attach(slot); });
    connect(del, &QPushButton::clicked, this, [this, slot] { remove(slot); });
    g->addWidget(add, 3, i);
    g->addWidget(del, 4, i);
    auto* preview = new QLabel(this);
    preview->setFrameShape(QFrame::Box);
    preview->setAlignment(Qt::AlignCenter);
    // The frame's inside is the preview box.
    preview->setFixedSize(media::kPreviewWidth + 2 * preview->frameWidth(),
                          media::kPreviewHeight + 2 * preview->frameWidth());
    preview->setAccessibleName(QStringLiteral("Vorschau Bild %1").arg(slot));
    preview->setAccessibleDescription(field);
    QSizePolicy keep = preview->sizePolicy();
    keep.setRetainSizeWhenHidden(true);  // the rows do not jump when a picture goes
    preview->setSizePolicy(keep);
    preview->hide();
    g->addWidget(preview, 5, i, Qt::AlignHCenter | Qt::AlignTop);
    slots_[static_cast<std::size_t>(i)].preview = preview;
    g->setColumnStretch(i, 1);
  }
  layout->addLayout(g);
  layout->addStretch(1);
}

void PicturesPage::refresh() {
  for (int slot = 1; slot <= media::kSlotCount; ++slot) {
    Slot& s = slots_[static_cast<std::size_t>(slot - 1)];
    const std::string name = articles_.text(store::picture_field(slot));
    const auto path = media::slot_picture(articles_, folder_, slot);
    const std::string key = path ? file_key(*path) : std::string();
    if (key.empty()) {
      s.preview->hide();
      s.shown_key.clear();
      continue;
    }
    if (key == s.shown_key && s.preview->isVisibleTo(this)) continue;
    const auto image = media::preview_image(folder_, name);
    if (!image) {
      s.preview->hide();
      s.shown_key.clear();
      continue;
    }
    const QImage q(image->rgb.data(), image->width, image->height, image->width * 3,
                   QImage::Format_RGB888);
    s.preview->setPixmap(QPixmap::fromImage(q));  // copies the pixels
    s.preview->show();
    s.shown_key = key;
  }
}

void PicturesPage::attach(int slot) {
  if (!dialogs_) return;
  try {
    media::attach_picture(articles_, slot, folder_, *dialogs_, [this](const std::string& line) {
      if (controls_.status_list) controls_.status_list->addItem(QString::fromStdString(line));
    });
  } catch (const Error& e) {
    dialogs_->error(e.what());
  }
  refresh();
}

void PicturesPage::remove(int slot) {
  if (!dialogs_) return;
  try {
    media::delete_picture(articles_, slot, folder_, *dialogs_);
  } catch (const Error& e) {
    dialogs_->error(e.what());
  }
  refresh();
}

}  // namespace tellvaro::app
