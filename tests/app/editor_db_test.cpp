// The article editor against the test auction house: reference lists and the category page.
// Fails when the instance is down.

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/auction_house_case.h"
#include "app/auction_house_window.h"
#include "app/editor/category_page.h"
#include "app/editor_fixture.h"
#include "app/record_navigator.h"
#include "db/connection.h"
#include "store/field.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "text/error.h"

using tellvaro::test::EditorFixture;
using namespace tellvaro;

namespace {

QPushButton* button(EditorFixture& f, const QString& caption) {
  for (auto* b : f.editor->findChildren<QPushButton*>()) {
    if (b->text() == caption) return b;
  }
  return nullptr;
}

QStringList items(QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

void click_item(QListWidget* list, const QString& text) {
  auto found = list->findItems(text, Qt::MatchExactly);
  QVERIFY2(found.size() == 1, qPrintable(text));
  list->scrollToItem(found[0]);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
}

// The row's own action, as a screen reader selects an entry of a list.
void toggle_item(QListWidget* list, const QString& text) {
  QAccessibleInterface* l = QAccessible::queryAccessibleInterface(list);
  for (int c = 0; c < l->childCount(); ++c) {
    QAccessibleInterface* cell = l->child(c);
    if (cell->text(QAccessible::Name) != text) continue;
    QVERIFY2(cell->actionInterface(), qPrintable(text));
    cell->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    return;
  }
  QFAIL(qPrintable("no entry " + text));
}

bool white(QWidget* w) { return w->palette().color(QPalette::Base) == QColor(Qt::white); }

}  // namespace

class EditorDbTest : public AuctionHouseCase {
  Q_OBJECT

 private slots:
  void referenceListsFillTheEditor();
  void feeThatIsNoNumberKeepsTheOthers();
  void unreachableDatabaseIsReportedNotShownAsEmptyLists();
  void categoryPageBrowsesTheTree();
  void levelFiveTakesDeeperCategories();
  void everyPostEndsTheBrowse();
  void browseAndSearchThroughAccessibleInterfaces();
};

void EditorDbTest::referenceListsFillTheEditor() {
  test::admin_exec(
      "delete from tv_auktionshaus.payments;"
      "insert into tv_auktionshaus.payments (id, description) values"
      " (1,'Überweisung'),(2,'PayPal'),(3,'Nachnahme')");
  EditorFixture f(test::service_config());
  QVERIFY(f.connect());
  f.add_article(
      {{store::F::Artikelname, "Alpha"}, {store::F::p3, "True"}, {store::F::Textmarker, "True"}});
  f.open();
  f.ws.load_reference_lists();

  auto* duration = f.find<QComboBox>(store::F::Auktionsdauer);
  QCOMPARE(duration->count(), 8);
  QCOMPARE(duration->itemText(0), QString("1"));
  QCOMPARE(duration->itemText(7), QString("30"));
  QCOMPARE(f.named<QLabel>(QString::fromUtf8("Gebühr Top-Kategorie"))->text(),
           QString::fromUtf8("( 1.25 € )"));
  QCOMPARE(f.fee_total.text(), QString::fromUtf8("( 0.75 € )"));
  for (int i = 1; i <= 15; ++i) {
    QCOMPARE(f.find<QCheckBox>(store::payment_flag(i))->isHidden(), i > 3);
  }
  QCOMPARE(f.find<QCheckBox>(store::F::p2)->text(), QString("PayPal"));
  QVERIFY(f.find<QCheckBox>(store::F::p3)->isChecked());
  QCOMPARE(f.ws.payment_names().name[2], std::string("Nachnahme"));
}

void EditorDbTest::feeThatIsNoNumberKeepsTheOthers() {
  test::admin_exec("update tv_auktionshaus.features set value='zwei' where id=2");
  EditorFixture f(test::service_config());
  QVERIFY(f.connect());
  f.add_article({{store::F::Artikelname, "Alpha"},
                 {store::F::Fettschrift, "True"},
                 {store::F::Mindestpreis, "5"}});
  f.open();
  try {
    f.ws.load_reference_lists();
    QFAIL("the bad fee was not reported");
  } catch (const tellvaro::Error& e) {
    QCOMPARE(
        QString::fromUtf8(e.what()),
        QString::fromUtf8(
            "Die Gebühr für \"Textmarker\" ist keine Zahl ('zwei') und wird nicht berechnet."));
  }
  // The fees before and after the bad row are charged; the start went on to the payments.
  QCOMPARE(f.fee_total.text(), QString::fromUtf8("( 2.50 € )"));
  f.editor->setCurrentIndex(1);
  QCOMPARE(f.articles.get(store::F::Gebuehr), store::Value::amount(2.5));
  QVERIFY(!f.find<QCheckBox>(store::F::p1)->isHidden());
}

void EditorDbTest::unreachableDatabaseIsReportedNotShownAsEmptyLists() {
  EditorFixture f;  // never connected
  f.add_article({{store::F::Artikelname, "Alpha"}});
  f.open();
  QVERIFY_THROWS_EXCEPTION(tellvaro::Error, f.ws.load_reference_lists());
  QCOMPARE(f.find<QComboBox>(store::F::Auktionsdauer)->count(), 0);
  QVERIFY(f.find<QCheckBox>(store::F::p1)->isHidden());
  QCOMPARE(f.named<QLabel>(QString::fromUtf8("Gebühr Fettschrift"))->text(),
           QString::fromUtf8("( 0.00 € )"));
  // The category page stays usable: a browse says why it found nothing and stops.
  f.editor->setCurrentIndex(3);
  QTest::mouseClick(button(f, QString::fromUtf8("Kategorie ändern")), Qt::LeftButton);
  QVERIFY(!f.named<QComboBox>("Kategorie Ebene 1")->isEnabled());
  QCOMPARE(f.dialogs.shown.size(), std::size_t{1});
  QVERIFY(f.dialogs.shown[0].rfind("Die Kategorien konnten nicht gelesen werden.", 0) == 0);
}

void EditorDbTest::categoryPageBrowsesTheTree() {
  EditorFixture f(test::service_config());
  QVERIFY(f.connect());
  f.add_article({{store::F::Artikelname, "Winterreifen"},
                 {store::F::Kategorie_2, "Bücher"},
                 {store::F::Kategorie_Nummer_2, "4"}});
  f.open();
  f.editor->setCurrentIndex(3);
  auto* change = button(f, QString::fromUtf8("Kategorie ändern"));
  auto* save = button(f, "Speichern");
  auto* chooser = f.named<QComboBox>("Kategorie Ebene 1");
  QListWidget* lists[] = {
      f.named<QListWidget>("Kategorie Ebene 2"), f.named<QListWidget>("Kategorie Ebene 3"),
      f.named<QListWidget>("Kategorie Ebene 4"), f.named<QListWidget>("Kategorie Ebene 5")};
  auto* number = f.find<QLineEdit>(store::F::Kategorie_Nummer);
  QVERIFY(change->isEnabled());
  QVERIFY(!save->isEnabled());
  QVERIFY(!chooser->isEnabled() && !white(chooser));
  for (auto* l : lists) QVERIFY(!l->isEnabled() && !white(l));

  QTest::mouseClick(change, Qt::LeftButton);
  QVERIFY(!change->isEnabled());
  QVERIFY(chooser->isEnabled() && white(chooser));
  QStringList top;
  for (int i = 0; i < chooser->count(); ++i) top << chooser->itemText(i);
  QCOMPARE(top, QStringList({"Auto & Motorrad -->", QString::fromUtf8("Bücher"), "Computer -->",
                             "Sammeln -->"}));
  chooser->setCurrentIndex(0);
  emit chooser->activated(0);
  QVERIFY(lists[0]->isEnabled() && white(lists[0]));
  QCOMPARE(items(lists[0]), QStringList({"Autoteile ->", QString::fromUtf8("Motorräder")}));
  click_item(lists[0], "Autoteile ->");
  QCOMPARE(items(lists[1]), QStringList({"Reifen ->", QString::fromUtf8("Zubehör")}));
  click_item(lists[1], "Reifen ->");
  click_item(lists[2], "Winterreifen");
  QVERIFY(save->isEnabled());
  QCOMPARE(number->text(), QString("1112"));
  QVERIFY(!lists[3]->isEnabled());

  // Choosing again at level 2 empties what lies below.
  click_item(lists[0], "Autoteile ->");
  QVERIFY(!save->isEnabled());
  QCOMPARE(lists[2]->count(), 0);
  QVERIFY(!lists[2]->isEnabled() && !white(lists[2]));
  QCOMPARE(number->text(), QString());
  click_item(lists[1], "Reifen ->");
  click_item(lists[2], "Winterreifen");

  QTest::mouseClick(save, Qt::LeftButton);
  QCOMPARE(f.articles.state(), store::EditState::Browse);
  QCOMPARE(f.articles.text(store::F::Kategorie),
           std::string("Auto & Motorrad > Autoteile > Reifen > Winterreifen"));
  QCOMPARE(f.articles.text(store::F::Kategorie_Nummer), std::string("1112"));
  QCOMPARE(f.articles.text(store::F::Kategorie4), std::string("Winterreifen"));
  QCOMPARE(f.articles.text(store::F::Kategorie_2),
           std::string("Bücher"));  // the other slot untouched
  QCOMPARE(number->text(), QString("1112"));
  QVERIFY(change->isEnabled());
  QVERIFY(!save->isEnabled());
  QVERIFY(!chooser->isEnabled() && chooser->count() == 0);
  // The text on page "Artikel" follows.
  QCOMPARE(f.find<QLabel>(store::F::Kategorie)->text(),
           QString("Auto & Motorrad > Autoteile > Reifen > Winterreifen"));

  // "Kat 2": a leaf at level 1 for the second category.
  auto* kat = f.named<QComboBox>("Kat");
  kat->setCurrentIndex(1);
  QTest::mouseClick(change, Qt::LeftButton);
  QCOMPARE(f.articles.text(store::F::Kategorie_2), std::string());  // emptied at the start
  chooser->setCurrentIndex(1);
  emit chooser->activated(1);
  QCOMPARE(f.find<QLineEdit>(store::F::Kategorie_Nummer_2)->text(), QString("4"));
  QTest::mouseClick(save, Qt::LeftButton);
  QCOMPARE(f.articles.text(store::F::Kategorie_2), std::string("Bücher"));
  QCOMPARE(f.articles.text(store::F::Kategorie_Nummer), std::string("1112"));

  // Any change of the record empties the browser; posting brings "Kategorie ändern" back.
  kat->setCurrentIndex(0);
  QTest::mouseClick(change, Qt::LeftButton);
  chooser->setCurrentIndex(2);
  emit chooser->activated(2);
  QVERIFY(lists[0]->isEnabled());
  f.articles.set_text(store::F::Artikelname, "Sommerreifen");
  QVERIFY(!chooser->isEnabled() && chooser->count() == 0);
  QVERIFY(!lists[0]->isEnabled() && lists[0]->count() == 0);
  QVERIFY(!save->isEnabled() && !change->isEnabled());
  f.articles.post();
  QVERIFY(change->isEnabled());
}

void EditorDbTest::levelFiveTakesDeeperCategories() {
  EditorFixture f(test::service_config());
  QVERIFY(f.connect());
  f.add_article({{store::F::Artikelname, "Gedenkmünze"}});
  f.open();
  f.editor->setCurrentIndex(3);
  QTest::mouseClick(button(f, QString::fromUtf8("Kategorie ändern")), Qt::LeftButton);
  auto* chooser = f.named<QComboBox>("Kategorie Ebene 1");
  int top = chooser->findText("Sammeln -->");
  chooser->setCurrentIndex(top);
  emit chooser->activated(top);
  click_item(f.named<QListWidget>("Kategorie Ebene 2"), QString::fromUtf8("Münzen ->"));
  click_item(f.named<QListWidget>("Kategorie Ebene 3"), "Deutschland ->");
  click_item(f.named<QListWidget>("Kategorie Ebene 4"), "Euro ->");
  auto* level5 = f.named<QListWidget>("Kategorie Ebene 5");
  click_item(level5, QString::fromUtf8("Gedenkmünzen ->"));
  // The sixth level joins the fifth list below its entries.
  QCOMPARE(items(level5),
           QStringList({QString::fromUtf8("Gedenkmünzen ->"), QString::fromUtf8("Kursmünzen"),
                        QString::fromUtf8("10-Euro-Münzen"), QString::fromUtf8("2-Euro-Münzen")}));
  click_item(level5, QString::fromUtf8("2-Euro-Münzen"));
  QTest::mouseClick(button(f, "Speichern"), Qt::LeftButton);
  QCOMPARE(f.articles.text(store::F::Kategorie),
           std::string("Sammeln > Münzen > Deutschland > Euro > 2-Euro-Münzen"));
  QCOMPARE(f.articles.text(store::F::Kategorie_Nummer), std::string("311111"));
}

// A browse on "Kat 1" that chose a leaf and is then left by each kind of post, on a record
// whose first category was absent, empty or set.
void EditorDbTest::everyPostEndsTheBrowse() {
  using Nav = app::RecordNavigator::Button;
  using Fields = std::vector<std::pair<store::F, const char*>>;
  const std::pair<const char*, Fields> records[] = {
      {"absent", {}},
      {"empty",
       {{store::F::Kategorie, ""},
        {store::F::Kategorie_Nummer, ""},
        {store::F::Kategorie1, ""},
        {store::F::Kategorie2, ""}}},
      {"set",
       {{store::F::Kategorie, "Computer > Notebooks"},
        {store::F::Kategorie_Nummer, "21"},
        {store::F::Kategorie1, "Computer"},
        {store::F::Kategorie2, "Notebooks"}}},
  };
  const char* ways[] = {"page change", "navigator post", "next record", "Speichern"};
  for (const auto& [slot, fields] : records) {
    for (const char* way : ways) {
      const QByteArray name = QByteArray(slot) + " / " + way;
      EditorFixture f(test::service_config());
      QVERIFY(f.connect());
      f.articles.append();
      f.articles.set_text(store::F::Artikelname, "Erster");
      for (const auto& [field, text] : fields) f.articles.set_text(field, text);
      f.articles.post();
      f.add_article({{store::F::Artikelname, "Zweiter"}});
      f.articles.first();
      f.open();
      app::RecordNavigator nav(f.articles, f.dialogs, {Nav::Next, Nav::Post});
      f.editor->setCurrentIndex(3);
      auto* change = button(f, QString::fromUtf8("Kategorie ändern"));
      QTest::mouseClick(change, Qt::LeftButton);
      QVERIFY2(!change->isEnabled(), name);
      auto* chooser = f.named<QComboBox>("Kategorie Ebene 1");
      int leaf = chooser->findText(QString::fromUtf8("Bücher"));
      chooser->setCurrentIndex(leaf);
      emit chooser->activated(leaf);
      QVERIFY2(button(f, "Speichern")->isEnabled(), name);

      const std::string w = way;
      if (w == "page change") f.editor->setCurrentIndex(0);
      if (w == "navigator post") nav.button(Nav::Post)->click();
      if (w == "next record") nav.button(Nav::Next)->click();
      if (w == "Speichern") QTest::mouseClick(button(f, "Speichern"), Qt::LeftButton);

      QVERIFY2(f.articles.state() == store::EditState::Browse, name);
      QVERIFY2(change->isEnabled(), name);
      const store::Record& first = f.articles.stored()[0];
      auto text = [&](store::F field) {
        return store::to_text(store::at(first, field), store::field_of(field));
      };
      const bool saved = w == "Speichern";
      QVERIFY2(text(store::F::Kategorie) == (saved ? "Bücher" : ""), name);
      QVERIFY2(text(store::F::Kategorie_Nummer) == (saved ? "4" : ""), name);
      QVERIFY2(text(store::F::Kategorie1) == (saved ? "Bücher" : ""), name);
      QVERIFY2(text(store::F::Kategorie2).empty(), name);
    }
  }
}

void EditorDbTest::browseAndSearchThroughAccessibleInterfaces() {
  EditorFixture f(test::service_config());
  QVERIFY(f.connect());
  f.add_article({{store::F::Artikelname, "Winterreifen"}});
  f.open();
  f.editor->setCurrentIndex(3);
  button(f, QString::fromUtf8("Kategorie ändern"))->click();
  auto* chooser = f.named<QComboBox>("Kategorie Ebene 1");
  QTest::keyClick(chooser, Qt::Key_Down);  // the first entry: Auto & Motorrad
  toggle_item(f.named<QListWidget>("Kategorie Ebene 2"), "Autoteile ->");
  toggle_item(f.named<QListWidget>("Kategorie Ebene 3"), "Reifen ->");
  toggle_item(f.named<QListWidget>("Kategorie Ebene 4"), "Winterreifen");
  QCOMPARE(f.find<QLineEdit>(store::F::Kategorie_Nummer)->text(), QString("1112"));
  button(f, "Speichern")->click();
  QCOMPARE(f.articles.text(store::F::Kategorie),
           std::string("Auto & Motorrad > Autoteile > Reifen > Winterreifen"));

  // The search: its text dictated, a result selected by its action, Enter takes that one.
  auto* page = f.editor->categoryPage();
  auto* search = QAccessible::queryAccessibleInterface(page->searchEdit());
  search->editableTextInterface()->insertText(0, "Reifen");
  auto* results = page->searchResults();
  QTRY_COMPARE(results->count(), 3);
  const QString leaf = "Auto & Motorrad > Autoteile > Reifen > Winterreifen";
  // Narrower than the path: the list shows its end, the name and the tool tip all of it.
  QVERIFY(results->fontMetrics().horizontalAdvance(leaf) > results->viewport()->width());
  QVERIFY(results->visualItemRect(results->item(2)).width() <= results->viewport()->width());
  QCOMPARE(results->item(2)->toolTip(), leaf);
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(results);
  QCOMPARE(list->child(2)->text(QAccessible::Name), leaf);

  f.dialogs.shown.clear();
  f.add_article({{store::F::Artikelname, "Sommerreifen"}});  // current now, without a category
  toggle_item(results, "Auto & Motorrad > Autoteile > Reifen > Sommerreifen");
  QTest::keyClick(results, Qt::Key_Return);
  QCOMPARE(f.articles.text(store::F::Artikelname), std::string("Sommerreifen"));
  QCOMPARE(f.articles.text(store::F::Kategorie),
           std::string("Auto & Motorrad > Autoteile > Reifen > Sommerreifen"));
  QCOMPARE(f.articles.text(store::F::Kategorie_Nummer), std::string("1111"));
  QVERIFY(f.dialogs.shown.empty());
}

QTEST_MAIN(EditorDbTest)
#include "editor_db_test.moc"
