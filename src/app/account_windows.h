#pragma once

// The read-only windows of the menu "&Benutzer": the seller's data from the login and the
// seller's fee rows.

#include <QDialog>

#include "catalogue/fee_account.h"
#include "session/session.h"

class QLabel;
class QLineEdit;
class QTableWidget;

namespace tellvaro::app {

class SellerDataWindow : public QDialog {
  Q_OBJECT

 public:
  explicit SellerDataWindow(const session::SessionUser& user, QWidget* parent = nullptr);
  // The edit beside a caption such as "E-Mail:", or nothing.
  QLineEdit* valueEdit(const QString& caption) const;
};

class FeeStatementWindow : public QDialog {
  Q_OBJECT

 public:
  explicit FeeStatementWindow(const catalogue::FeeStatement& statement, QWidget* parent = nullptr);
  QTableWidget* rowsTable() const { return rows_; }
  QTableWidget* monthsTable() const { return months_; }
  QLabel* totalLabel() const { return total_; }

 private:
  QTableWidget* rows_ = nullptr;
  QTableWidget* months_ = nullptr;
  QLabel* total_ = nullptr;
};

}  // namespace tellvaro::app
