// What a screen reader hears of the editor, read from Qt's accessibility tree: every control
// bound to a field is named by what a person sees and describes its field; labels that show a
// value are heard by that value and follow it.

#include <QAccessible>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <map>

#include "app/accessible.h"
#include "app/editor_fixture.h"
#include "catalogue/reference.h"

using tellvaro::test::EditorFixture;
using namespace tellvaro;

namespace {

QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// A drop-down is heard on Linux by the caption that labels it, else by the value it shows.
QString heard(QAccessibleInterface* i) {
  if (i->role() == QAccessible::ComboBox) {
    for (const auto& [label, relation] : i->relations(QAccessible::Label)) {
      if (qobject_cast<QLabel*>(label->object())) {
        return app::spoken_caption(label->text(QAccessible::Name));
      }
    }
    return i->text(QAccessible::Value);
  }
  return i->text(QAccessible::Name);
}

struct Tree {
  std::map<QString, QStringList> by_field;  // description -> heard names, sorted
  QStringList names;                        // every heard name
};

void walk(QAccessibleInterface* i, Tree& tree) {
  if (!i) return;
  // Controls hidden on purpose (unused payment slots, the level fields) are not heard.
  auto* w = qobject_cast<QWidget*>(i->object());
  if (w && w->isHidden()) return;
  const QString description = i->text(QAccessible::Description);
  if (!description.isEmpty()) tree.by_field[description] << heard(i);
  tree.names << heard(i);
  for (int c = 0; c < i->childCount(); ++c) walk(i->child(c), tree);
}

// Page by page: the tree holds only the page shown.
Tree read_tree(QTabWidget* editor) {
  Tree tree;
  const int shown = editor->currentIndex();
  for (int page = 0; page < editor->count(); ++page) {
    editor->setCurrentIndex(page);
    walk(QAccessible::queryAccessibleInterface(editor->currentWidget()), tree);
  }
  editor->setCurrentIndex(shown);
  for (auto& [field, names] : tree.by_field) names.sort();
  return tree;
}

// The caption names of a radio group's buttons.
QStringList radio_captions(std::string_view field) {
  QStringList out;
  for (const auto& item : catalogue::radio_items(field)) out << q(item.caption);
  return out;
}

}  // namespace

class AccessibilityTest : public QObject {
  Q_OBJECT

 private slots:
  void editorControlsHeardByCaptionAndDescribedByField();
  void valueLabelsHeardByTheirValue();
};

void AccessibilityTest::editorControlsHeardByCaptionAndDescribedByField() {
  EditorFixture f;
  // Drop-downs without a caption are heard by their value.
  f.add_article({{"Artikelname", "Alpha"},
                 {"Anzeigenart", "Normal"},
                 {"Sprache", "Deutsch"},
                 {"Masseinheit", "Stück"},
                 {"Verhalten", "Sofort"}});
  f.open();
  catalogue::PaymentNames payments;
  payments.name[0] = "Überweisung";
  payments.name[1] = "Bar & Abholung";
  payments.shown = 2;
  f.ws.set_payment_names(payments);

  // field -> what is heard of every visible control bound to it
  std::map<QString, QStringList> expected = {
      {"Artikelname", {"Artikelname"}},
      {"Anzeigenart", {"Normal"}},
      {"Untertitel", {"Untertitel"}},
      {"FSK 18", QStringList{"FSK 18 Artikel"} + radio_captions("FSK 18")},
      {"Sprache", {"Deutsch"}},
      {"Zustand", {"Zustand der Ware"}},
      {"Anzahl", {"Anzahl"}},
      {"Einheiten", {"Einheiten"}},
      {"Masseinheit", {u"Stück"_qs}},
      {"Auktionsdauer", {"Auktionsdauer"}},
      {"Wiedereinstellen", {"Wiedereinstellen"}},
      // The path on pages Artikel (after its caption) and Kategorie; none chosen yet.
      {"Kategorie", {"Kategorie", ""}},
      {"Kategorie 2", {""}},
      {"Kategorie Nummer", {"Kat 1"}},
      {"Kategorie Nummer 2", {"Kat 2"}},
      {"Artikelstatus", {"Artikelstatus"}},
      {"Artikelgruppe", {"Artikelgruppe"}},
      {"Artikelnummer", {"Artikelnummer"}},
      {"Startpreis", {"Startpreis"}},
      {"Sofortkauf", {"Sofort-Kaufen Preis"}},
      {"Verhalten", {"Sofort"}},
      {"Mindestpreis", {"Mindestpreis"}},
      {"minimum_preis_zeigen", {"solange nicht erreicht, in der Artikelbeschreibung als"}},
      {"Preisvorschlag",
       QStringList{u"Preisvorschläge akzeptieren"_qs} + radio_captions("Preisvorschlag")},
      {"Preisvorschlag-Minimum", {u"Preisvorschläge unterhalb von"_qs}},
      {"Fettschrift", {"Fettschrift"}},
      {"Textmarker", {"Textmarker"}},
      {"Top-Kategorie", {"Top-Kategorie"}},
      {"location", {"Ort"}},
      {"location_zip", {"PLZ"}},
      {"country", {"Land"}},
      {"shipping", QStringList{"Versand"} + radio_captions("shipping")},
      {"international", {"Internationaler Versand"}},
      {"html_desc_1", QStringList{"Beschreibung in HTML"} + radio_captions("html_desc_1")},
      {"Beschreibung", {"Beschreibung", u"Datei öffnen"_qs}},
      {"Info_1", {"Info 1"}},
      {"Info_2", {"Info 2"}},
      {"Mitglied", {"Mitglied"}},
      {"Erstellt", {"Erstellt"}},
      {"Editiert", {"Editiert"}},
      // The payment boxes by the names the auction house gives them.
      {"p1", {u"Überweisung"_qs}},
      {"p2", {"Bar & Abholung"}},
  };
  for (int i = 1; i <= 3; ++i) {
    expected[QString("Versand_%1").arg(i)] = {QString("Versandart %1").arg(i)};
    expected[QString("Versandpreis_%1").arg(i)] = {"Preis"};
    expected[QString("Bild%1").arg(i)] = {QString("Bild %1").arg(i), u"Datei löschen"_qs,
                                          "Neue Datei"};
  }
  for (auto& [field, names] : expected) names.sort();

  const Tree tree = read_tree(f.editor.get());
  for (const auto& [field, names] : expected) {
    auto it = tree.by_field.find(field);
    const QStringList got = it == tree.by_field.end() ? QStringList() : it->second;
    QVERIFY2(got == names, qPrintable(field + ": heard [" + got.join(" | ") + "], expected [" +
                                      names.join(" | ") + "]"));
  }
  for (const auto& [field, names] : tree.by_field) {
    QVERIFY2(expected.count(field), qPrintable("not expected: " + field));
  }
  // Controls bound to no field, heard as a person reads them.
  for (const char* name : {"Verbindungsstatus", "Kat 1", "Gebühr Untertitel ( 0.00 € )",
                           "Gebühr Bild 1 ( 0.00 € )", "Gebühr Top-Kategorie ( 0.00 € )"}) {
    QVERIFY2(tree.names.contains(QString::fromUtf8(name)), name);
  }
}

void AccessibilityTest::valueLabelsHeardByTheirValue() {
  EditorFixture f;
  f.add_article({{"Artikelname", "Alpha"},
                 {"Kategorie", "Auto & Motorrad > Autoteile"},
                 {"Untertitel", "Neu"}});
  f.add_article({{"Artikelname", "Beta"}, {"Kategorie", "Bücher"}});
  f.articles.first();
  f.open();
  auto heard_for = [&](const QString& field) { return read_tree(f.editor.get()).by_field[field]; };
  QCOMPARE(heard_for("Kategorie"),
           QStringList({"Auto & Motorrad > Autoteile", "Kategorie Auto & Motorrad > Autoteile"}));

  // A fee that changes is heard with its new amount, after what it is for.
  catalogue::FeatureFees fees;
  fees.fee = {1.0, 0.5, 0.0, 0.3, 0.0, 0.25, 12};  // Feature order
  f.ws.set_feature_fees(fees);
  const QStringList names = read_tree(f.editor.get()).names;
  QVERIFY(names.contains(u"Gebühr Untertitel ( 0.25 € )"_qs));
  QVERIFY(names.contains(u"Gebühr Mindestpreis ( 12.00 € )"_qs));
  QVERIFY(!names.contains(u"Gebühr Untertitel ( 0.00 € )"_qs));
  QCOMPARE(f.fee_total.accessibleName(), f.fee_total.text());
  QCOMPARE(f.fee_total.text(), u"( 0.25 € )"_qs);

  // Another record: the path and the count panel are heard as they now read.
  f.articles.next();
  QCOMPARE(heard_for("Kategorie"), QStringList({u"Bücher"_qs, u"Kategorie Bücher"_qs}));
  QCOMPARE(f.panel_articles.accessibleName(), u"Artikel in Artikel-Tabelle: 2"_qs);
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
