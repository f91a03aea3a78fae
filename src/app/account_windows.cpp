#include "app/account_windows.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/accessible.h"
#include "presentation/labels.h"
#include "presentation/seller_details.h"

namespace tellvaro::app {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }
QString q(const std::string& s) { return QString::fromStdString(s); }

QTableWidget* read_only_table(const QStringList& headers, const QString& name,
                              const QString& description) {
  auto* t = new QTableWidget(0, static_cast<int>(headers.size()));
  t->setHorizontalHeaderLabels(headers);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionBehavior(QAbstractItemView::SelectRows);
  t->verticalHeader()->setVisible(false);
  t->setAccessibleName(name);
  t->setAccessibleDescription(description);
  return t;
}

void add_row(QTableWidget* t, const QStringList& cells, int amount_column) {
  const int r = t->rowCount();
  t->insertRow(r);
  for (int c = 0; c < cells.size(); ++c) {
    auto* item = new QTableWidgetItem(cells[c]);
    if (c == amount_column) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    t->setItem(r, c, item);
  }
}

QDialogButtonBox* close_button(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox;
  QPushButton* close = buttons->addButton(u("&Schließen"), QDialogButtonBox::RejectRole);
  close->setAccessibleName(u("Schließen"));
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

SellerDataWindow::SellerDataWindow(const session::SessionUser& user, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(u("Meine Daten"));
  setAccessibleName(u("Meine Daten"));
  auto* form = new QFormLayout;
  for (const auto& row : presentation::seller_details(user)) {
    auto* label = new QLabel(q(row.caption));
    auto* edit = new QLineEdit(q(row.value));
    edit->setReadOnly(true);
    edit->setMinimumWidth(280);
    label_for(label, edit);
    edit->setAccessibleDescription(q(row.column));
    form->addRow(label, edit);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(close_button(this));
}

QLineEdit* SellerDataWindow::valueEdit(const QString& caption) const {
  for (auto* label : findChildren<QLabel*>()) {
    if (label->text() == caption) return qobject_cast<QLineEdit*>(label->buddy());
  }
  return nullptr;
}

FeeStatementWindow::FeeStatementWindow(const catalogue::FeeStatement& statement, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(u("Meine Rechnungen"));
  setAccessibleName(u("Meine Rechnungen"));
  resize(760, 520);

  auto* rows_caption = new QLabel(u("&Gebühren:"));
  rows_ = read_only_table({u("Datum"), u("Auktion"), u("Titel"), u("Beschreibung"), u("Betrag")},
                          u("Gebühren"), u("accountpos"));
  label_for(rows_caption, rows_);
  for (const auto& r : statement.rows) {
    add_row(rows_,
            {q(presentation::fee_row_date(r.date)), q(r.auction), q(r.title), q(r.description),
             q(catalogue::money_text(r.cents))},
            4);
  }
  rows_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
  rows_->resizeColumnToContents(0);

  auto* months_caption = new QLabel(u("Summen je &Monat:"));
  months_ = read_only_table({u("Monat"), u("Summe")}, u("Summen je Monat"),
                            u("accountpos.value je Monat"));
  label_for(months_caption, months_);
  for (const auto& m : statement.months) {
    add_row(months_,
            {q(presentation::fee_month_caption(m.month)), q(catalogue::money_text(m.cents))}, 1);
  }
  months_->setMaximumHeight(160);
  months_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

  auto* total_caption = new QLabel(u("Gesamt:"));
  total_ = new QLabel(q(catalogue::money_text(statement.total_cents)) + u(" €"));
  label_for(total_caption, total_);
  name_by_value(total_, u("Gesamt"));
  total_->setAccessibleDescription(u("Summe von accountpos.value"));
  auto* total_row = new QHBoxLayout;
  total_row->addWidget(total_caption);
  total_row->addWidget(total_);
  total_row->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  if (statement.rows.empty()) {
    layout->addWidget(new QLabel(u("Für Ihr Konto sind keine Gebühren gebucht.")));
  }
  layout->addWidget(rows_caption);
  layout->addWidget(rows_, 1);
  layout->addWidget(months_caption);
  layout->addWidget(months_);
  layout->addLayout(total_row);
  layout->addWidget(close_button(this));
}

}  // namespace tellvaro::app
