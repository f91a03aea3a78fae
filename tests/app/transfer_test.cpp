// The article view's transfer commands through the real main window: the messages and editor
// pages of the one-article form, the question, protocol lines and summary of the all-articles
// form, and the upload grid and status panels afterwards.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "app/main_window_fixture.h"
#include "app/table_grid.h"

using namespace tellvaro;
using namespace tellvaro::test;

namespace {

using store::Value;

QStringList protocol(MainWindow& w) { return w.protocolView()->lines(); }

void double_click_row(MainWindow& w, int row) {
  auto* grid = w.articleView()->grid();
  const QRect cell = grid->visualRect(grid->model()->index(row, 0));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

}  // namespace

class TransferTest : public QObject {
  Q_OBJECT

 private slots:
  void oneArticleMessagesAndPages();
  void oneArticleOnAnEmptyGrid();
  void doubleClickOpensNoCellEditor();
  void allArticles();
  void allArticlesAnsweredNo();
  void allArticlesSettleAnEditAndEndOnTheLast();
};

void TransferTest::oneArticleMessagesAndPages() {
  Fixture f;
  // The fee of "A Reifen" is its bold title's: every page change posts the article again and
  // the fee is computed anew.
  store::Record bold = complete_article("A Reifen", 1.5);
  store::at(bold, store::F::Fettschrift) = Value::flag(true);
  f.put(store::kArticleFile, {bold, without(complete_article("B Felge", 0), store::F::location),
                              without(complete_article("C Kette", 0), store::F::p1),
                              without(complete_article("D Lampe", 0), store::F::Kategorie_Nummer)});
  auto& w = f.open();
  auto* editor = w.articleView()->editor();
  catalogue::FeatureFees fees;
  fees.fee[static_cast<std::size_t>(catalogue::Feature::Fettschrift)] = 1.5;
  f.ws->set_feature_fees(fees);
  struct Case {
    int row;
    const char* message;
    const char* page;
  };
  const Case cases[] = {
      {1, "Bitte zu Artikelstandort den Ort angeben.", "Artikel"},
      {2, "Bitte die Bezahlart auswählen.", "Bezahlung"},
      {3, "Bitte eine Kategorie Nummer auswählen.", "Kategorie"},
  };
  for (const auto& c : cases) {
    editor->setCurrentIndex(editor->count() - 1);
    f.dialogs.shown.clear();
    double_click_row(w, c.row);
    QCOMPARE(f.dialogs.shown, std::vector<std::string>{c.message});
    QCOMPARE(editor->tabText(editor->currentIndex()), u(c.page));
  }
  QCOMPARE(w.uploadView()->grid()->model()->rowCount(), 0);

  // The menu entry does the same as the double click; the article stays where it was.
  w.articleView()->grid()->selectRow(0);
  f.dialogs.shown.clear();
  w.articleView()->transferOneAction()->trigger();
  QCOMPARE(f.dialogs.shown,
           std::vector<std::string>{"A Reifen wurde in die Upload-Tabelle übertragen."});
  double_click_row(w, 0);
  QCOMPARE(w.uploadView()->grid()->model()->rowCount(), 2);
  QCOMPARE(w.articleView()->grid()->currentIndex().row(), 0);
  QCOMPARE(w.articleView()->grid()->model()->rowCount(), 4);
  QCOMPARE(w.statusPanel(1)->text(), u("Artikel in Upload-Tabelle: 2"));
  QCOMPARE(w.statusPanel(2)->text(), u("Upload-Gesamtpreis: 3"));
}

void TransferTest::oneArticleOnAnEmptyGrid() {
  Fixture f;
  auto& w = f.open();
  auto* editor = w.articleView()->editor();
  editor->setCurrentIndex(editor->count() - 1);
  QTest::mouseDClick(w.articleView()->grid()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
  QCOMPARE(f.dialogs.shown, std::vector<std::string>{"Bitte Artikelnamen eingeben."});
  QCOMPARE(editor->tabText(editor->currentIndex()), u("Artikel"));
  QCOMPARE(w.uploadView()->grid()->model()->rowCount(), 0);
}

void TransferTest::doubleClickOpensNoCellEditor() {
  Fixture f;
  f.put(store::kArticleFile, {complete_article("A Reifen", 0)});
  auto& w = f.open();
  auto* grid = w.articleView()->grid();
  f.dialogs.while_shown = [] { QTest::qWait(QApplication::doubleClickInterval() + 100); };
  // On the row already current, as a user who looked at the article before transferring it.
  double_click_row(w, 0);
  QCOMPARE(f.dialogs.shown,
           std::vector<std::string>{"A Reifen wurde in die Upload-Tabelle übertragen."});
  f.dialogs.while_shown = nullptr;
  QTest::qWait(QApplication::doubleClickInterval() + 100);
  for (auto* editor : grid->viewport()->findChildren<QWidget*>()) {
    QVERIFY2(!editor->isVisible(), qPrintable(editor->metaObject()->className()));
  }
  QCOMPARE(w.uploadView()->grid()->model()->rowCount(), 1);
  QCOMPARE(f.store().articles.state(), store::EditState::Browse);

  // Editing in place still starts with F2.
  QTest::keyClick(grid, Qt::Key_F2);
  QVERIFY(grid->viewport()->findChild<QLineEdit*>() &&
          grid->viewport()->findChild<QLineEdit*>()->isVisible());
}

void TransferTest::allArticles() {
  Fixture f;
  f.put(store::kArticleFile,
        {complete_article("A", 0.5), without(complete_article("B", 0), store::F::Beschreibung),
         complete_article("C", 0.25), without(complete_article("D", 0), store::F::Startpreis),
         complete_article("E", 1)});
  auto& w = f.open();
  f.ws->protocol().add("älter");
  f.dialogs.answers.push_back(ports::Answer::Yes);
  w.articleView()->transferAllAction()->trigger();
  QCOMPARE(f.dialogs.shown,
           (std::vector<std::string>{
               "Sollen 5 Artikel in die Upload-Tabelle übertragen werden ?",
               "3 Artikel erfolgreich in die Upload-Tabelle übertragen.\r\n\r\n2 Artikel sind "
               "unvollständig und wurden nicht in die Upload-Tabelle übertragen.\r\n\r\nEine "
               "Liste der unvollständigen Artikel finden Sie im Upload-Protokoll."}));
  QCOMPARE(protocol(w), QStringList({u("älter"), u("Artikel:B ist unvolständig !!!"),
                                     u("Artikel:D ist unvolständig !!!")}));
  QCOMPARE(w.currentView(), MainWindow::View::Articles);
  auto* uploads = w.uploadView()->grid()->model();
  QCOMPARE(uploads->rowCount(), 3);
  QCOMPARE(w.statusPanel(1)->text(), u("Artikel in Upload-Tabelle: 3"));
  QCOMPARE(w.statusPanel(2)->text(), u("Upload-Gesamtpreis: 1.75"));
}

void TransferTest::allArticlesAnsweredNo() {
  Fixture f;
  f.put(store::kArticleFile, {complete_article("A", 0.5)});
  auto& w = f.open();
  const QString panel = w.statusPanel(1)->text();
  f.dialogs.answers.push_back(ports::Answer::No);
  w.articleView()->transferAllAction()->trigger();
  QCOMPARE(f.dialogs.shown,
           std::vector<std::string>{"Sollen 1 Artikel in die Upload-Tabelle übertragen werden ?"});
  QCOMPARE(w.uploadView()->grid()->model()->rowCount(), 0);
  QCOMPARE(w.statusPanel(1)->text(), panel);
}

// A pending edit is posted before counting (here it leaves the filter); afterwards the article
// grid stands on the last article and the upload grid on the last copy, where a walk through
// them ends.
void TransferTest::allArticlesSettleAnEditAndEndOnTheLast() {
  Fixture f;
  f.put(store::kArticleFile,
        {complete_article("Reifen vorn", 0), complete_article("Felge", 0),
         complete_article("Reifen hinten", 0), complete_article("Reifen Mitte", 0)});
  auto& w = f.open();
  auto& articles = f.store().articles;
  articles.set_filter(store::Table::like_expression(store::F::Artikelname, "Reifen"));
  articles.set_filtered(true);
  articles.move_to(0);
  articles.set(store::F::Artikelname, Value::text("Kette"));
  f.dialogs.answers.push_back(ports::Answer::Yes);
  w.articleView()->transferAllAction()->trigger();
  QCOMPARE(f.dialogs.shown.front(),
           std::string("Sollen 2 Artikel in die Upload-Tabelle übertragen werden ?"));
  auto& uploads = f.store().uploads;
  QCOMPARE(uploads.count(), std::size_t(2));
  QCOMPARE(articles.position(), std::optional<std::size_t>(1));
  QCOMPARE(w.articleView()->grid()->currentIndex().row(), 1);
  QCOMPARE(uploads.position(), std::optional<std::size_t>(1));
  // Both grids go by the name: "Reifen hinten" became "Kette", the copies are Mitte and vorn.
  QCOMPARE(articles.text(store::F::Artikelname), std::string("Reifen vorn"));
  QCOMPARE(uploads.text(store::F::Artikelname), std::string("Reifen vorn"));
}

QTEST_MAIN(TransferTest)
#include "transfer_test.moc"
