#pragma once

// The article view: the article grid on the left, the article editor on the right, and below
// them the navigator, the fee of the current article, the sort label and the name filter.

#include "app/editor/article_editor.h"
#include "app/view_grid.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tellvaro::app {

class ArticleView : public GridView {
  Q_OBJECT

 public:
  // `editor` names everything but the fee label, which lives in this view's strip.
  explicit ArticleView(ArticleEditor::Dependencies editor, QWidget* parent = nullptr);

  ArticleEditor* editor() const { return editor_; }
  QLabel* feeLabel() const { return fee_; }
  QLabel* sortLabel() const { return sort_label_; }
  QLineEdit* filterEdit() const { return filter_edit_; }
  QCheckBox* filterBox() const { return filter_box_; }

  // Context menu entries; their owners connect them.
  QAction* transferOneAction() const { return transfer_one_; }
  QAction* transferAllAction() const { return transfer_all_; }
  QAction* copyAction() const { return copy_; }
  QAction* removeAction() const { return remove_; }
  QAction* removeAllAction() const { return remove_all_; }
  QAction* directAction() const { return direct_; }

 private:
  ArticleEditor* editor_ = nullptr;
  QLabel* fee_ = nullptr;
  QLabel* sort_label_ = nullptr;
  QLineEdit* filter_edit_ = nullptr;
  QCheckBox* filter_box_ = nullptr;
  QAction* transfer_one_ = nullptr;
  QAction* transfer_all_ = nullptr;
  QAction* copy_ = nullptr;
  QAction* remove_ = nullptr;
  QAction* remove_all_ = nullptr;
  QAction* direct_ = nullptr;
};

}  // namespace tellvaro::app
