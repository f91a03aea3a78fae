// What a screen reader hears of the editor, read from Qt's accessibility tree: every control
// bound to a field is named by what a person sees and describes its field; labels that show a
// value are heard by that value and follow it. And what it does: whatever is set through the
// accessibility interfaces (a screen reader's edit commands, dictation, actions) reaches the
// record, while showing the record never writes into it.

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <map>

#include "app/accessible.h"
#include "app/editor_fixture.h"
#include "app/record_navigator.h"
#include "catalogue/reference.h"
#include "store/field.h"

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
QStringList radio_captions(store::F field) {
  QStringList out;
  for (const auto& item : catalogue::radio_items(field)) out << q(item.caption);
  return out;
}

QAccessibleInterface* interface_of(QObject* o) { return QAccessible::queryAccessibleInterface(o); }

// The interface in the subtree of `i` that edits text: the control's own, or a drop-down's edit.
QAccessibleInterface* text_editor(QAccessibleInterface* i) {
  if (!i) return nullptr;
  if (i->editableTextInterface() && i->textInterface()) return i;
  for (int c = 0; c < i->childCount(); ++c) {
    if (auto* found = text_editor(i->child(c))) return found;
  }
  return nullptr;
}

// The ways a value reaches a control without pointer or typing.
enum class Way {
  ReplaceText,  // the editable text interface: a screen reader's edit command, dictation
  SetValue,     // the value text of the control
  Toggle,       // the toggle action of a check box, or of the radio button captioned `input`
  KeyDown,      // the keyboard: Down in a drop-down
};

// Sets `input` into the control bound to `field` the given way; false when the way is missing.
bool set_through(QWidget* control, Way way, const QString& input) {
  QAccessibleInterface* i = interface_of(control);
  switch (way) {
    case Way::ReplaceText: {
      QAccessibleInterface* e = text_editor(i);
      if (!e) return false;
      e->editableTextInterface()->replaceText(0, e->textInterface()->characterCount(), input);
      return true;
    }
    case Way::SetValue: {
      QAccessibleInterface* e = text_editor(i);
      if (!e) return false;
      e->setText(QAccessible::Value, input);
      return true;
    }
    case Way::Toggle: {
      if (qobject_cast<QGroupBox*>(control)) {
        for (int c = 0; c < i->childCount(); ++c) {
          QAccessibleInterface* b = i->child(c);
          if (b->role() == QAccessible::RadioButton && b->text(QAccessible::Name) == input) {
            i = b;
            break;
          }
        }
      }
      auto* actions = i->actionInterface();
      if (!actions || !actions->actionNames().contains(QAccessibleActionInterface::toggleAction()))
        return false;
      actions->doAction(QAccessibleActionInterface::toggleAction());
      return true;
    }
    case Way::KeyDown:
      QTest::keyClick(control, Qt::Key_Down);
      return true;
  }
  return false;
}

// A control that writes the field it describes: no display, no read-only edit, no button that
// acts on the field (a radio group counts as one control).
bool writes_field(QWidget* w) {
  if (!store::field_index(w->accessibleDescription().toStdString())) return false;
  auto* edit = qobject_cast<QLineEdit*>(w);
  return (edit && !edit->isReadOnly()) || qobject_cast<QPlainTextEdit*>(w) ||
         qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w) ||
         (qobject_cast<QGroupBox*>(w) && w->findChild<QRadioButton*>());
}

std::map<QString, QWidget*> writing_controls(QWidget* editor) {
  std::map<QString, QWidget*> out;
  for (QWidget* w : editor->findChildren<QWidget*>()) {
    if (writes_field(w)) out[w->accessibleDescription()] = w;
  }
  return out;
}

}  // namespace

class AccessibilityTest : public QObject {
  Q_OBJECT

 private slots:
  void editorControlsHeardByCaptionAndDescribedByField();
  void valueLabelsHeardByTheirValue();
  void whatAssistiveToolsSetReachesTheRecord();
  void showingRecordsLeavesThemUnedited();
};

void AccessibilityTest::editorControlsHeardByCaptionAndDescribedByField() {
  EditorFixture f;
  // Drop-downs without a caption are heard by their value.
  f.add_article({{store::F::Artikelname, "Alpha"},
                 {store::F::Anzeigenart, "Normal"},
                 {store::F::Sprache, "Deutsch"},
                 {store::F::Masseinheit, "Stück"},
                 {store::F::Verhalten, "Sofort"}});
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
      {"FSK 18", QStringList{"FSK 18 Artikel"} + radio_captions(store::F::FSK_18)},
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
       QStringList{u"Preisvorschläge akzeptieren"_qs} + radio_captions(store::F::Preisvorschlag)},
      {"Preisvorschlag-Minimum", {u"Preisvorschläge unterhalb von"_qs}},
      {"Fettschrift", {"Fettschrift"}},
      {"Textmarker", {"Textmarker"}},
      {"Top-Kategorie", {"Top-Kategorie"}},
      {"location", {"Ort"}},
      {"location_zip", {"PLZ"}},
      {"country", {"Land"}},
      {"shipping", QStringList{"Versand"} + radio_captions(store::F::shipping)},
      {"international", {"Internationaler Versand"}},
      {"html_desc_1", QStringList{"Beschreibung in HTML"} + radio_captions(store::F::html_desc_1)},
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
  for (const char* name : {"Verbindungsstatus", "Kat 1", "Vorlage", "Gebühr Untertitel ( 0.00 € )",
                           "Gebühr Bild 1 ( 0.00 € )", "Gebühr Top-Kategorie ( 0.00 € )"}) {
    QVERIFY2(tree.names.contains(QString::fromUtf8(name)), name);
  }
}

void AccessibilityTest::valueLabelsHeardByTheirValue() {
  EditorFixture f;
  f.add_article({{store::F::Artikelname, "Alpha"},
                 {store::F::Kategorie, "Auto & Motorrad > Autoteile"},
                 {store::F::Untertitel, "Neu"}});
  f.add_article({{store::F::Artikelname, "Beta"}, {store::F::Kategorie, "Bücher"}});
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

void AccessibilityTest::whatAssistiveToolsSetReachesTheRecord() {
  EditorFixture f;
  f.add_article({{store::F::Artikelname, "Alpha"},
                 {store::F::Anzeigenart, "Auktion"},
                 {store::F::Zustand, "Neu"},
                 {store::F::Wiedereinstellen, "1 x"},
                 {store::F::Verhalten, "Ausblenden"},
                 {store::F::minimum_preis_zeigen, "nicht erreicht"},
                 {store::F::Preisvorschlag, "ja"},
                 {store::F::international, "True"},
                 {store::F::p2, "True"}});
  f.open();
  catalogue::PaymentNames payments;
  for (std::size_t i = 0; i < catalogue::kPaymentSlots; ++i) {
    payments.name[i] = "Zahlart " + std::to_string(i + 1);
  }
  payments.shown = catalogue::kPaymentSlots;
  f.ws.set_payment_names(payments);
  app::RecordNavigator nav(f.articles, f.dialogs, {app::RecordNavigator::Button::Post});
  nav.setBeforeEach([&] { f.editor->commitPendingEdits(); });

  struct Row {
    QString field;
    Way way;
    QString input;
    std::string stored;
  };
  std::vector<Row> rows = {
      {"Artikelname", Way::ReplaceText, "Taschenuhr", "Taschenuhr"},
      {"Anzeigenart", Way::KeyDown, "", "Sofortkauf"},
      {"Untertitel", Way::SetValue, "Silber, 1920", "Silber, 1920"},
      {"FSK 18", Way::Toggle, "ja", "ja"},
      {"Sprache", Way::ReplaceText, "Andere", "Andere"},
      {"Zustand", Way::KeyDown, "", "Neuwertig"},
      {"Anzahl", Way::ReplaceText, "3", "3"},
      {"Einheiten", Way::ReplaceText, "2", "2"},
      {"Masseinheit", Way::ReplaceText, "kg - Kilogramm", "kg - Kilogramm"},
      {"Auktionsdauer", Way::ReplaceText, "10 Tage", "10 Tage"},
      {"Wiedereinstellen", Way::KeyDown, "", "2 x"},
      {"Artikelstatus", Way::ReplaceText, "bereit", "bereit"},
      {"Artikelgruppe", Way::ReplaceText, "Uhren", "Uhren"},
      {"Artikelnummer", Way::SetValue, "U-17", "U-17"},
      {"Startpreis", Way::ReplaceText, "12.50", "12.5"},
      {"Sofortkauf", Way::SetValue, "40", "40"},
      {"Verhalten", Way::KeyDown, "", "Stehen lassen"},
      {"Mindestpreis", Way::ReplaceText, "15", "15"},
      {"minimum_preis_zeigen", Way::KeyDown, "", "Mindestpreis"},
      {"Preisvorschlag", Way::Toggle, "nein", "nein"},
      {"Preisvorschlag-Minimum", Way::ReplaceText, "8.5", "8.5"},
      {"Fettschrift", Way::Toggle, "", "True"},
      {"Textmarker", Way::Toggle, "", "True"},
      {"Top-Kategorie", Way::Toggle, "", "True"},
      {"location", Way::ReplaceText, u"München"_qs, "München"},
      {"location_zip", Way::ReplaceText, "80331", "80331"},
      {"country", Way::ReplaceText, u"Österreich"_qs, "Österreich"},
      {"shipping", Way::Toggle, u"Verkäufer trägt Versandkosten"_qs, "2"},
      {"international", Way::Toggle, "", "False"},
      {"Versand_1", Way::ReplaceText, "Brief", "Brief"},
      {"Versandpreis_1", Way::ReplaceText, "1.55", "1.55"},
      {"Versand_2", Way::SetValue, "Paket", "Paket"},
      {"Versandpreis_2", Way::SetValue, "4.99", "4.99"},
      {"Versand_3", Way::ReplaceText, "Spedition", "Spedition"},
      {"Versandpreis_3", Way::ReplaceText, "39", "39"},
      {"html_desc_1", Way::Toggle, "ja", "1"},
      // Stored with the CR LF of the table files.
      {"Beschreibung", Way::ReplaceText, "<b>Neu</b>\nZweite Zeile", "<b>Neu</b>\r\nZweite Zeile"},
      {"Info_1", Way::ReplaceText, "Notiz", "Notiz"},
      {"Info_2", Way::ReplaceText, "Zweite Notiz", "Zweite Notiz"},
      {"Mitglied", Way::ReplaceText, "seit 2001", "seit 2001"},
      {"Erstellt", Way::ReplaceText, "01.02.2026", "01.02.2026"},
      {"Editiert", Way::SetValue, "03.02.2026", "03.02.2026"},
  };
  for (std::size_t i = 1; i <= catalogue::kPaymentSlots; ++i) {
    // p2 starts ticked: the action takes it off.
    rows.push_back({QString("p%1").arg(i), Way::Toggle, "", i == 2 ? "False" : "True"});
  }

  // Every control that writes a field has its row.
  const auto controls = writing_controls(f.editor.get());
  QStringList covered, writing;
  for (const auto& r : rows) covered << r.field;
  for (const auto& [field, control] : controls) writing << field;
  covered.sort();
  QCOMPARE(covered, writing);

  for (const auto& r : rows) {
    const char* field = qPrintable(r.field);
    QWidget* control = controls.at(r.field);
    QVERIFY2(set_through(control, r.way, r.input), field);
    nav.button(app::RecordNavigator::Button::Post)->click();
    QVERIFY2(f.articles.state() == store::EditState::Browse, field);
    // The field as the control describes it.
    const auto id = static_cast<store::F>(store::field_at(r.field.toStdString()));
    QVERIFY2(f.articles.text(id) == r.stored,
             qPrintable(r.field + ": " + QString::fromStdString(f.articles.text(id))));
  }
  QCOMPARE(f.articles.count(), std::size_t(1));
  QVERIFY(f.dialogs.shown.empty());
}

void AccessibilityTest::showingRecordsLeavesThemUnedited() {
  EditorFixture f;
  f.add_article({{store::F::Artikelname, "Alpha"},
                 {store::F::Startpreis, "12.5"},
                 {store::F::Auktionsdauer, "7 Tage"},
                 {store::F::Zustand, "Neu"},
                 {store::F::country, "Frei getippt"},
                 {store::F::FSK_18, "ja"},
                 {store::F::shipping, "2"},
                 {store::F::html_desc_1, "1"},
                 {store::F::Fettschrift, "True"},
                 {store::F::p3, "True"},
                 {store::F::Beschreibung, "Zeile 1\nZeile 2"}});
  f.add_article({{store::F::Artikelname, "Beta"},
                 {store::F::Auktionsdauer, "unbekannt"},
                 {store::F::Zustand, "Defekt"}});
  f.open();
  const auto stored = f.articles.stored();
  catalogue::PaymentNames payments;
  payments.name[0] = "Bar";
  payments.name[1] = "Karte";
  payments.name[2] = "Scheck";
  payments.shown = 3;
  const std::vector<std::pair<const char*, std::function<void()>>> steps = {
      {"next", [&] { f.articles.next(); }},
      {"prior", [&] { f.articles.prior(); }},
      {"last", [&] { f.articles.last(); }},
      {"first", [&] { f.articles.first(); }},
      {"refresh", [&] { f.editor->refreshAll(); }},
      {"durations", [&] { f.ws.set_durations({"3 Tage", "7 Tage", "10 Tage"}); }},
      {"payment names", [&] { f.ws.set_payment_names(payments); }},
      {"fees", [&] { f.ws.set_feature_fees({}); }},
      {"flush", [&] { f.editor->commitPendingEdits(); }},
  };
  for (const auto& [name, step] : steps) {
    step();
    QVERIFY2(f.articles.state() == store::EditState::Browse, name);
    QVERIFY2(f.articles.stored() == stored, name);
  }
  QCOMPARE(f.find<QComboBox>(store::F::Auktionsdauer)->currentText(), QString("7 Tage"));
  QVERIFY(f.dialogs.shown.empty());
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
