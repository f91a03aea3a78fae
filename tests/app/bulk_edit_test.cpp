// The bulk change through the real main window: three of five rows selected, the duration
// changed and a payment box ticked in the dialog, its preview, the saved file, and the undo
// from the grid's Ctrl+Z. The rules (ways of changing, checks, grouping) are tested in the core.
// With TELLVARO_SCREENSHOTS naming a folder it also writes the dialog's picture there, e.g.
//   TELLVARO_SCREENSHOTS=docs/screenshots ./bulk_edit_test screenshot

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

#include "app/bulk_edit_commands.h"
#include "app/bulk_edit_dialog.h"
#include "app/main_window_fixture.h"
#include "app/table_grid.h"
#include "app/table_model.h"

using namespace tellvaro;
using namespace tellvaro::test;

namespace {

std::vector<store::Record> furniture() {
  std::vector<store::Record> out;
  for (auto [name, days] :
       {std::pair{"Uhr", "5"}, {"Tisch", "7"}, {"Sofa", "5"}, {"Lampe", "7"}, {"Bett", "7"}}) {
    auto r = store::empty_record();
    store::at(r, store::F::Artikelname) = store::Value::text(name);
    store::at(r, store::F::Auktionsdauer) = store::Value::text(days);
    out.push_back(std::move(r));
  }
  return out;
}

// Name -> "Auktionsdauer / p2" of every article in the saved article file.
std::map<std::string, std::string> saved(const Fixture& f) {
  store::Table t;
  store::load_table(t, f.path(store::kArticleFile));
  std::map<std::string, std::string> out;
  for (std::size_t r = 0; r < t.count(); ++r) {
    const auto& row = t.row(r);
    auto text = [&](store::F field) {
      return store::to_text(store::at(row, field), store::field_of(field));
    };
    out[text(store::F::Artikelname)] = text(store::F::Auktionsdauer) + " / " + text(store::F::p2);
  }
  return out;
}

}  // namespace

class BulkEditTest : public QObject {
  Q_OBJECT

 private slots:
  void threeOfFiveChangedSavedAndTakenBack();
  void refusedValueKeepsTheDialogOpen();
  void screenshot();
};

void BulkEditTest::threeOfFiveChangedSavedAndTakenBack() {
  Fixture f;
  f.put(store::kArticleFile, furniture());
  auto& w = f.open();
  f.ws->set_durations({"5", "7", "10"});
  catalogue::PaymentNames payments;
  payments.name = {"Überweisung", "Nachnahme"};
  payments.shown = 2;
  f.ws->set_payment_names(payments);
  auto* grid = w.articleView()->grid();
  QCOMPARE(names_shown(f.store().articles),
           (std::vector<std::string>{"Bett", "Lampe", "Sofa", "Tisch", "Uhr"}));
  const auto* commands = w.bulkEditCommands();
  QVERIFY(!w.menus().bulk_undo->isEnabled());

  // Lampe, Sofa (current) and Tisch.
  auto* selection = grid->selectionModel();
  selection->setCurrentIndex(grid->model()->index(2, 0),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  for (int row : {1, 3}) {
    selection->select(grid->model()->index(row, 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  QCOMPARE(f.store().articles.position(), std::size_t{2});
  w.menus().bulk_edit->trigger();
  auto* dialog = commands->dialog();
  QVERIFY(dialog);
  QVERIFY(f.dialogs.shown.empty());  // three rows selected: nothing to ask

  auto* duration = qobject_cast<QComboBox*>(dialog->valueControl(store::F::Auktionsdauer));
  QVERIFY(duration);
  QCOMPARE(duration->accessibleName(), u("Auktionsdauer"));
  QCOMPARE(duration->accessibleDescription(), u("Auktionsdauer"));
  QCOMPARE(dialog->changeBox(store::F::Auktionsdauer)->accessibleName(), u("Auktionsdauer ändern"));
  duration->setCurrentIndex(duration->findText(u("10")));  // ticks "ändern" by itself
  QVERIFY(dialog->changeBox(store::F::Auktionsdauer)->isChecked());
  auto* cod = dialog->flagBox(store::F::p2);
  QCOMPARE(cod->text(), u("Nachnahme"));
  QCOMPARE(cod->checkState(), Qt::PartiallyChecked);                         // left as it is
  QTest::mouseClick(cod, Qt::LeftButton, {}, QPoint(8, cod->height() / 2));  // on its box
  QCOMPARE(cod->checkState(), Qt::Checked);
  QVERIFY(!dialog->flagBox(store::F::p3));  // no payment named for it

  QTRY_COMPARE(dialog->summaryText(), u("3 Artikel, 2 Felder"));
  QCOMPARE(dialog->previewText(), u("Auktionsdauer: 7 (2 Artikel), 5 (1 Artikel) -> 10\n"
                                    "Nachnahme: nein (3 Artikel) -> ja"));

  QTest::mouseClick(dialog->applyButton(), Qt::LeftButton);
  QTRY_VERIFY(!commands->dialog());
  QCOMPARE(f.dialogs.shown, std::vector<std::string>{});
  // The grid keeps its order and its current row.
  QCOMPARE(names_shown(f.store().articles),
           (std::vector<std::string>{"Bett", "Lampe", "Sofa", "Tisch", "Uhr"}));
  QCOMPARE(f.store().articles.position(), std::size_t{2});
  QCOMPARE(grid->currentIndex().row(), 2);
  QVERIFY(w.statusBar()->currentMessage().startsWith(u("Sammelbearbeitung: 3 Artikel geändert.")));
  QVERIFY(w.menus().bulk_undo->isEnabled());

  w.menus().save->trigger();
  const std::map<std::string, std::string> changed = {{"Bett", "7 / "},
                                                      {"Lampe", "10 / True"},
                                                      {"Sofa", "10 / True"},
                                                      {"Tisch", "10 / True"},
                                                      {"Uhr", "5 / "}};
  QCOMPARE(saved(f), changed);

  // Saving did not end the undo; Ctrl+Z in the grid takes the change back.
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  grid->setFocus();
  QVERIFY(grid->hasFocus());
  QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(store::at(f.store().articles.row(1), store::F::Auktionsdauer), store::Value::text("7"));
  QVERIFY(!w.menus().bulk_undo->isEnabled());
  QCOMPARE(w.statusBar()->currentMessage(), u("Sammelbearbeitung rückgängig gemacht: 3 Artikel."));
  QCOMPARE(f.store().articles.position(), std::size_t{2});
  w.menus().save->trigger();
  const std::map<std::string, std::string> back = {
      {"Bett", "7 / "}, {"Lampe", "7 / "}, {"Sofa", "5 / "}, {"Tisch", "7 / "}, {"Uhr", "5 / "}};
  QCOMPARE(saved(f), back);
}

void BulkEditTest::refusedValueKeepsTheDialogOpen() {
  Fixture f;
  f.put(store::kArticleFile, furniture());
  auto& w = f.open();
  // One row selected: the question offers all five shown.
  f.dialogs.answers.push_back(ports::Answer::Yes);
  w.menus().bulk_edit->trigger();
  QCOMPARE(f.dialogs.shown, std::vector<std::string>{
                                "Es ist höchstens ein Artikel markiert. Sollen alle 5 angezeigten "
                                "Artikel bearbeitet werden?"});
  auto* dialog = w.bulkEditCommands()->dialog();
  QVERIFY(dialog);
  auto* price = qobject_cast<QLineEdit*>(dialog->valueControl(store::F::Startpreis));
  QTest::keyClicks(price, "1.299,00");
  QVERIFY(dialog->changeBox(store::F::Startpreis)->isChecked());
  dialog->updatePreview();
  QCOMPARE(dialog->summaryText(), u("Nicht möglich:"));
  QTest::mouseClick(dialog->applyButton(), Qt::LeftButton);
  QCOMPARE(f.dialogs.shown.back(),
           std::string("Die Sammelbearbeitung ist so nicht möglich:\nStartpreis: „1.299,00“ ist "
                       "kein Betrag (zum Beispiel 12.50 oder 12,50)."));
  QVERIFY(dialog->isVisible());
  QVERIFY(!w.menus().bulk_undo->isEnabled());
  QVERIFY(store::at(f.store().articles.stored()[0], store::F::Startpreis).is_null());
}

void BulkEditTest::screenshot() {
  const QString folder = qEnvironmentVariable("TELLVARO_SCREENSHOTS");
  if (folder.isEmpty()) QSKIP("TELLVARO_SCREENSHOTS not set");
  QVERIFY(QDir().mkpath(folder));
  Fixture f;
  auto records = furniture();
  for (std::size_t i = 0; i < records.size(); ++i) {
    store::at(records[i], store::F::Startpreis) = store::Value::amount(10 + 2.5 * (i % 3));
  }
  f.put(store::kArticleFile, records);
  auto& w = f.open();
  f.ws->set_durations({"3", "5", "7", "10", "14"});
  catalogue::PaymentNames payments;
  payments.name = {"Überweisung", "Nachnahme", "PayPal", "Barzahlung bei Abholung"};
  payments.shown = 4;
  f.ws->set_payment_names(payments);
  f.dialogs.answers.push_back(ports::Answer::Yes);
  w.menus().bulk_edit->trigger();
  auto* dialog = w.bulkEditCommands()->dialog();
  QVERIFY(dialog);
  dialog->wayBox(store::F::Startpreis)->setCurrentIndex(2);
  qobject_cast<QLineEdit*>(dialog->valueControl(store::F::Startpreis))->setText(u("10"));
  dialog->changeBox(store::F::Startpreis)->setChecked(true);
  auto* duration = qobject_cast<QComboBox*>(dialog->valueControl(store::F::Auktionsdauer));
  duration->setCurrentIndex(duration->findText(u("10")));
  dialog->flagBox(store::F::p3)->setCheckState(Qt::Checked);
  dialog->flagBox(store::F::p2)->setCheckState(Qt::Unchecked);
  dialog->updatePreview();
  QCoreApplication::processEvents();
  QVERIFY(dialog->grab().save(QDir(folder).filePath("sammelbearbeitung.png")));
}

QTEST_MAIN(BulkEditTest)
#include "bulk_edit_test.moc"
