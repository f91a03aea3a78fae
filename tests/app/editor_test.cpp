// The article editor's bindings, fee display, payment boxes and page-change commit, offscreen and
// without a database.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>
#include <set>

#include "app/editor/clickable_label.h"
#include "app/editor_fixture.h"
#include "app/record_navigator.h"
#include "store/field.h"

using tellvaro::test::EditorFixture;
using namespace tellvaro;

namespace {

QColor text_colour(const QLabel* label) { return label->palette().color(QPalette::WindowText); }
const QColor kRed(221, 0, 0);
QColor normal_colour() { return QPalette().color(QPalette::WindowText); }

// One key event per character: keyClicks cannot send umlauts.
void type_over(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  for (QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

void leave(QWidget* w) {
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(w, &out);
}

QRadioButton* radio_button(QGroupBox* group, const QString& caption) {
  for (auto* b : group->findChildren<QRadioButton*>()) {
    if (b->text() == caption) return b;
  }
  return nullptr;
}

// Two articles, the cursor on the first.
void two_articles(EditorFixture& f) {
  f.add_article({{store::F::Artikelname, "Alpha"},
                 {store::F::Startpreis, "5"},
                 {store::F::FSK_18, "nein"},
                 {store::F::Zustand, "Neu"},
                 {store::F::Versand_1, "Abholung Vorort möglich"},
                 {store::F::shipping, "1"},
                 {store::F::html_desc_1, "0"},
                 {store::F::international, "False"}});
  f.add_article({{store::F::Artikelname, "Beta"},
                 {store::F::FSK_18, "ja"},
                 {store::F::Zustand, "Defekt"},
                 {store::F::Beschreibung, "Text B"},
                 {store::F::Versand_1, "Kein Versand, nur Abholung"},
                 {store::F::shipping, "2"},
                 {store::F::html_desc_1, "1"},
                 {store::F::international, "True"}});
  f.articles.first();
}

}  // namespace

class EditorTest : public QObject {
  Q_OBJECT

 private slots:
  void everyFieldControlCarriesItsFieldName();
  void editWritesAsTypedAndFollowsTheRecord();
  void memoWritesAndFollowsTheRecord();
  void comboWritesChoicesAndTypedText();
  void radioGroupsStoreTheirValues();
  void checkBoxStoresTrueAndFalse();
  void textThatIsNoNumberIsRefused();
  void priceWithDecimalPoint();
  void priceWithDecimalComma();
  void feeLabelsFollowTheFeatures();
  void paymentBoxesShownByName();
  void pageChangeCommits();
  void pageChangeOnEmptyTableAddsOneArticle();
  void pageChangeAndNavigatorPostRefreshTheFee();
  void categoryTextOpensCategoryPage();
  void uploadPanelsFollowTheUploadTable();
  void listenersBeforeTheEditorFindItsControlsShowingTheRecord();
};

void EditorTest::everyFieldControlCarriesItsFieldName() {
  EditorFixture f;
  f.open();
  // Every field the editor edits or shows: all but the fee, the unused ones and the hidden
  // picture slots.
  const std::set<store::F> not_on_pages = {store::F::Gebuehr, store::F::duration,
                                           store::F::payment};
  for (std::size_t i = 0; i < store::kFieldCount; ++i) {
    const auto id = static_cast<store::F>(i);
    if (not_on_pages.count(id)) continue;
    bool picture_slot = id >= store::picture_field(4) && id <= store::picture_field(12);
    if (picture_slot) continue;  // Bild4 .. Bild12
    std::string_view name = store::name_of(id);
    QString q = QString::fromUtf8(name.data(), static_cast<int>(name.size()));
    QVERIFY2(f.find<QWidget>(id) != nullptr, qPrintable(q));
  }
  for (const char* name : {"Kategorie Ebene 1", "Kategorie Ebene 5", "Kat", "Gebühr Fettschrift",
                           "Gebühr Bild 1", "Gebühr Mindestpreis"}) {
    QVERIFY2(f.named<QWidget>(QString::fromUtf8(name)) != nullptr, name);
  }
}

void EditorTest::editWritesAsTypedAndFollowsTheRecord() {
  EditorFixture f;
  two_articles(f);
  f.open();
  auto* edit = f.find<QLineEdit>(store::F::Artikelname);
  QCOMPARE(edit->text(), QString("Alpha"));

  type_over(edit, "Gamma");
  QCOMPARE(f.articles.state(), store::EditState::Edit);  // typing starts the edit
  QCOMPARE(f.articles.text(store::F::Artikelname), std::string("Gamma"));
  QCOMPARE(edit->cursorPosition(), 5);  // writing did not show the field again under the cursor

  f.articles.next();  // posts and moves
  QCOMPARE(edit->text(), QString("Beta"));
  // Showing the next record wrote nothing back into it.
  QCOMPARE(f.articles.state(), store::EditState::Browse);
  f.articles.first();
  QCOMPARE(edit->text(), QString("Gamma"));
  QCOMPARE(f.articles.text(store::F::Artikelname), std::string("Gamma"));

  // A change by code shows at once and writes nothing back.
  f.articles.set(store::F::Artikelname, store::Value::text("Delta"));
  QCOMPARE(edit->text(), QString("Delta"));
  f.articles.cancel();
  QCOMPARE(edit->text(), QString("Gamma"));
  QVERIFY(f.dialogs.shown.empty());
}

void EditorTest::memoWritesAndFollowsTheRecord() {
  EditorFixture f;
  two_articles(f);
  f.open();
  auto* memo = f.find<QPlainTextEdit>(store::F::Beschreibung);
  QCOMPARE(memo->toPlainText(), QString());
  QTest::keyClicks(memo, "Zeile 1");
  QTest::keyClick(memo, Qt::Key_Return);
  QTest::keyClicks(memo, "<b>2</b>");
  QCOMPARE(f.articles.state(), store::EditState::Edit);
  leave(memo);
  QCOMPARE(f.articles.text(store::F::Beschreibung), std::string("Zeile 1\r\n<b>2</b>"));
  f.articles.next();
  QCOMPARE(memo->toPlainText(), QString("Text B"));

  // A description as loaded from a file: one key typed keeps every CR LF, the empty line and
  // the no-break space (U+00A0) of "5 €".
  const std::string loaded = "<p>Zeile 1</p>\r\n\r\n<p>5\xC2\xA0\xE2\x82\xAC</p>\r\nEnde";
  f.articles.edit();
  f.articles.set_text(store::F::Beschreibung, loaded);
  f.articles.post();
  memo->moveCursor(QTextCursor::End);
  QTest::keyClick(memo, Qt::Key_Period);
  leave(memo);
  QCOMPARE(f.articles.text(store::F::Beschreibung), loaded + ".");
  // Stored through the next post unchanged.
  f.articles.post();
  QCOMPARE(f.articles.text(store::F::Beschreibung), loaded + ".");
}

void EditorTest::comboWritesChoicesAndTypedText() {
  EditorFixture f;
  two_articles(f);
  f.open();
  auto* zustand = f.find<QComboBox>(store::F::Zustand);
  QCOMPARE(zustand->count(), 8);
  QCOMPARE(zustand->currentText(), QString("Neu"));
  QTest::keyClick(zustand, Qt::Key_Down);  // the next choice, taken at once
  QCOMPARE(f.articles.text(store::F::Zustand), std::string("Neuwertig"));

  // The separators of the shipping list can be chosen like any item.
  auto* versand = f.find<QComboBox>(store::F::Versand_1);
  QCOMPARE(versand->count(), 37);
  QCOMPARE(f.find<QComboBox>(store::F::Versand_2)->count(), 36);
  QTest::keyClick(versand, Qt::Key_Down);
  QTest::keyClick(versand, Qt::Key_Down);
  QCOMPARE(f.articles.text(store::F::Versand_1), std::string("---"));

  // Free text is stored as typed; `country` has no items at all.
  auto* country = f.find<QComboBox>(store::F::country);
  QCOMPARE(country->count(), 0);
  QTest::keyClicks(country->lineEdit(), "Schweiz");
  QTest::keyClick(country->lineEdit(), Qt::Key_Return);
  QCOMPARE(f.articles.text(store::F::country), std::string("Schweiz"));

  f.articles.next();
  QCOMPARE(f.articles.state(), store::EditState::Browse);
  QCOMPARE(zustand->currentText(), QString("Defekt"));
  QCOMPARE(versand->currentText(), QString("Kein Versand, nur Abholung"));
  QCOMPARE(country->currentText(), QString());
}

void EditorTest::radioGroupsStoreTheirValues() {
  EditorFixture f;
  two_articles(f);
  f.open();
  struct Case {
    store::F field;
    const char* caption;
    const char* stored;
    const char* other_record_checked;  // caption checked on the second article
  };
  const Case cases[] = {
      {store::F::FSK_18, "ja", "ja", "ja"},
      {store::F::Preisvorschlag, "nein", "nein", nullptr},
      {store::F::shipping, "Verkäufer trägt Versandkosten", "2", "Verkäufer trägt Versandkosten"},
      {store::F::html_desc_1, "ja", "1", "ja"},
  };
  for (const auto& c : cases) {
    f.articles.first();
    const std::string name(store::name_of(c.field));
    auto* group = f.find<QGroupBox>(c.field);
    QVERIFY2(group, name.c_str());
    auto* button = radio_button(group, QString::fromUtf8(c.caption));
    QVERIFY2(button, c.caption);
    QVERIFY(!button->isChecked());
    button->click();  // also on a page not shown, or scrolled out of sight
    QCOMPARE(f.articles.text(c.field), std::string(c.stored));
    f.articles.next();
    for (auto* b : group->findChildren<QRadioButton*>()) {
      bool expect =
          c.other_record_checked && b->text() == QString::fromUtf8(c.other_record_checked);
      QVERIFY2(b->isChecked() == expect, name.c_str());
    }
  }
  f.articles.first();
  QCOMPARE(f.articles.get(store::F::html_desc_1).as_small_int(), std::optional<std::int16_t>(1));
}

void EditorTest::checkBoxStoresTrueAndFalse() {
  EditorFixture f;
  two_articles(f);
  f.open();
  auto* box = f.find<QCheckBox>(store::F::international);
  QVERIFY(!box->isChecked());
  QTest::mouseClick(box, Qt::LeftButton);
  QCOMPARE(f.articles.text(store::F::international), std::string("True"));
  QCOMPARE(f.articles.state(), store::EditState::Edit);
  f.articles.next();
  QVERIFY(box->isChecked());
  QTest::mouseClick(box, Qt::LeftButton);
  QCOMPARE(f.articles.text(store::F::international), std::string("False"));
}

void EditorTest::textThatIsNoNumberIsRefused() {
  EditorFixture f;
  two_articles(f);
  f.open();
  for (store::F field : {store::F::Startpreis, store::F::Versandpreis_2}) {
    f.dialogs.shown.clear();
    auto* edit = f.find<QLineEdit>(field);
    std::string before = f.articles.text(field);
    type_over(edit, "zwölf");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
    QVERIFY2(f.dialogs.shown[0].find(store::name_of(field)) != std::string::npos,
             f.dialogs.shown[0].c_str());
    QCOMPARE(f.articles.text(field), before);
    QCOMPARE(edit->text().toStdString(), before);
    leave(edit);  // leaving again does not repeat the message
    QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
  }
}

void EditorTest::priceWithDecimalPoint() {
  EditorFixture f;
  two_articles(f);
  f.open();
  auto* edit = f.find<QLineEdit>(store::F::Sofortkauf);
  type_over(edit, "12.50");
  // A number typed halfway ("12.") stays as typed until the edit is left.
  QCOMPARE(edit->text(), QString("12.50"));
  QTest::keyClick(edit, Qt::Key_Return);
  QCOMPARE(f.articles.get(store::F::Sofortkauf).as_amount(), std::optional<double>(12.5));
  QCOMPARE(edit->text(), QString("12.5"));
}

// A German seller types a decimal comma: one comma and no point is a decimal number, shown back
// with a point; a grouped text is refused like any other text that is no number.
void EditorTest::priceWithDecimalComma() {
  EditorFixture f;
  two_articles(f);
  f.open();
  auto* edit = f.find<QLineEdit>(store::F::Startpreis);
  type_over(edit, "16,99");
  QTest::keyClick(edit, Qt::Key_Return);
  QCOMPARE(f.articles.get(store::F::Startpreis).as_amount(), std::optional<double>(16.99));
  QCOMPARE(edit->text(), QString("16.99"));
  QVERIFY(f.dialogs.shown.empty());

  // Pasted whole (typed key by key, "1.299" would be a number on the way).
  edit->selectAll();
  edit->insert(QStringLiteral("1.299,00"));
  QTest::keyClick(edit, Qt::Key_Return);
  QCOMPARE(f.dialogs.shown,
           std::vector<std::string>{"Feld 'Startpreis': '1.299,00' ist keine gültige Zahl.\nDer "
                                    "bisherige Wert bleibt erhalten."});
  QCOMPARE(f.articles.get(store::F::Startpreis).as_amount(), std::optional<double>(16.99));
  f.articles.post();
  QCOMPARE(f.articles.text(store::F::Startpreis), std::string("16.99"));
}

void EditorTest::feeLabelsFollowTheFeatures() {
  EditorFixture f;
  two_articles(f);
  f.open();
  catalogue::FeatureFees fees;
  fees.fee = {1.0, 0.5, 0.0, 0.3, 0.0, 0.25, 12};  // Feature order
  f.ws.set_feature_fees(fees);
  auto label = [&](const char* feature) {
    return f.named<QLabel>(QString::fromUtf8("Gebühr ") + QString::fromUtf8(feature));
  };
  QCOMPARE(label("Textmarker")->text(), QString::fromUtf8("( 0.50 € )"));
  QCOMPARE(label("Mindestpreis")->text(), QString::fromUtf8("( 12.00 € )"));
  QCOMPARE(label("Bild 1")->text(), QString::fromUtf8("( 0.00 € )"));
  QCOMPARE(f.fee_total.text(), QString::fromUtf8("( 0.00 € )"));
  QCOMPARE(text_colour(&f.fee_total), normal_colour());

  QTest::mouseClick(f.find<QCheckBox>(store::F::Fettschrift), Qt::LeftButton);
  QTest::mouseClick(f.find<QCheckBox>(store::F::Textmarker), Qt::LeftButton);
  QTest::mouseClick(f.find<QCheckBox>(store::F::Top_Kategorie), Qt::LeftButton);  // fee 0: no red
  auto* subtitle = f.find<QLineEdit>(store::F::Untertitel);
  QTest::keyClicks(subtitle, "Neu");
  QTest::keyClick(subtitle, Qt::Key_Return);

  QCOMPARE(f.fee_total.text(), QString::fromUtf8("( 1.75 € )"));
  QCOMPARE(text_colour(&f.fee_total), kRed);
  for (const char* red : {"Fettschrift", "Textmarker", "Untertitel"}) {
    QVERIFY2(text_colour(label(red)) == kRed, red);
  }
  for (const char* black : {"Top-Kategorie", "Mindestpreis", "Bild 2", "Bild 3", "Bild 1"}) {
    QVERIFY2(text_colour(label(black)) == normal_colour(), black);
  }

  // The fee is stored when the article is posted.
  f.articles.post();
  QCOMPARE(f.articles.get(store::F::Gebuehr).as_amount(), std::optional<double>(1.75));

  // Another article without features: all black again; the boxes show its fields.
  f.articles.next();
  QCOMPARE(f.fee_total.text(), QString::fromUtf8("( 0.00 € )"));
  QCOMPARE(text_colour(&f.fee_total), normal_colour());
  QCOMPARE(text_colour(label("Fettschrift")), normal_colour());
  QVERIFY(!f.find<QCheckBox>(store::F::Fettschrift)->isChecked());
  f.articles.set_text(store::F::Bild2, "42_2.jpg");  // a second picture alone costs its fee
  QCOMPARE(text_colour(label("Bild 2")), kRed);
  QCOMPARE(f.fee_total.text(), QString::fromUtf8("( 0.30 € )"));
}

void EditorTest::paymentBoxesShownByName() {
  EditorFixture f;
  f.add_article({{store::F::Artikelname, "Alpha"}, {store::F::p2, "True"}});
  f.open();
  for (int i = 1; i <= 15; ++i) QVERIFY(f.find<QCheckBox>(store::payment_flag(i))->isHidden());
  catalogue::PaymentNames names;
  names.name[0] = "Überweisung";
  names.name[1] = "PayPal";
  names.name[2] = "Nachnahme";
  names.shown = 3;
  f.ws.set_payment_names(names);
  for (int i = 1; i <= 15; ++i) {
    auto* box = f.find<QCheckBox>(store::payment_flag(i));
    QCOMPARE(box->isHidden(), i > 3);
  }
  QCOMPARE(f.find<QCheckBox>(store::F::p1)->text(), QString::fromUtf8("Überweisung"));
  QVERIFY(f.find<QCheckBox>(store::F::p2)->isChecked());
  QVERIFY(!f.find<QCheckBox>(store::F::p3)->isChecked());
  f.find<QCheckBox>(store::F::p3)->click();
  QCOMPARE(f.articles.text(store::F::p3), std::string("True"));
}

void EditorTest::pageChangeCommits() {
  EditorFixture f;
  two_articles(f);
  f.open();
  // Text typed but not yet left is part of what the page change stores.
  auto* edit = f.find<QLineEdit>(store::F::Artikelname);
  type_over(edit, "Gamma");
  f.editor->setCurrentIndex(1);
  QCOMPARE(f.articles.state(), store::EditState::Browse);
  QCOMPARE(f.articles.text(store::F::Artikelname), std::string("Gamma"));
  QCOMPARE(f.articles.count(), std::size_t(2));
}

void EditorTest::pageChangeOnEmptyTableAddsOneArticle() {
  EditorFixture f;
  f.open();
  QCOMPARE(f.articles.count(), std::size_t(0));
  f.editor->setCurrentIndex(2);
  QCOMPARE(f.articles.count(), std::size_t(1));
  QCOMPARE(f.articles.state(), store::EditState::Browse);
  QCOMPARE(f.panel_articles.text(), QString("Artikel in Artikel-Tabelle: 1"));
  f.editor->setCurrentIndex(0);
  QCOMPARE(f.articles.count(), std::size_t(1));
}

void EditorTest::pageChangeAndNavigatorPostRefreshTheFee() {
  EditorFixture f;
  // A fee read from a file that no longer fits: nothing the user changes brings it up to date.
  auto read = store::empty_record();
  store::at(read, store::F::Artikelname) = store::Value::text("Alpha");
  store::at(read, store::F::Fettschrift) = store::Value::flag(true);
  store::at(read, store::F::Gebuehr) = store::Value::amount(9);
  f.articles.replace_all({read});
  f.open();
  catalogue::FeatureFees fees;
  fees.fee[static_cast<std::size_t>(catalogue::Feature::Fettschrift)] = 0.5;
  f.ws.set_feature_fees(fees);
  QCOMPARE(f.articles.get(store::F::Gebuehr), store::Value::amount(9));

  f.editor->setCurrentIndex(1);
  QCOMPARE(f.articles.state(), store::EditState::Browse);
  QCOMPARE(f.articles.get(store::F::Gebuehr), store::Value::amount(0.5));

  // The auction house changed its fee; "edit" and "post" on the navigator store the new one.
  fees.fee[static_cast<std::size_t>(catalogue::Feature::Fettschrift)] = 1.25;
  f.ws.set_feature_fees(fees);
  app::RecordNavigator nav(
      f.articles, f.dialogs,
      {app::RecordNavigator::Button::Edit, app::RecordNavigator::Button::Post});
  nav.button(app::RecordNavigator::Button::Edit)->click();
  nav.button(app::RecordNavigator::Button::Post)->click();
  QCOMPARE(f.articles.state(), store::EditState::Browse);
  QCOMPARE(f.articles.get(store::F::Gebuehr), store::Value::amount(1.25));
  QCOMPARE(store::at(f.articles.stored()[0], store::F::Gebuehr), store::Value::amount(1.25));
}

void EditorTest::categoryTextOpensCategoryPage() {
  EditorFixture f;
  f.add_article({{store::F::Artikelname, "Alpha"}, {store::F::Kategorie, "Auto > Teile"}});
  f.open();
  auto* link = f.find<app::ClickableLabel>(store::F::Kategorie);
  QVERIFY(link);
  QCOMPARE(link->text(), QString("Auto > Teile"));
  QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseClick(link, Qt::LeftButton);
  QCOMPARE(f.editor->tabText(f.editor->currentIndex()), QString("Kategorie"));
}

void EditorTest::uploadPanelsFollowTheUploadTable() {
  EditorFixture f;
  for (const char* fee : {"0.1", "0.2", "0.3"}) {
    f.uploads.append();
    f.uploads.set_text(store::F::Gebuehr, fee);
    f.uploads.post();
  }
  f.open();
  f.editor->updateUploadTotals();
  QCOMPARE(f.panel_uploads.text(), QString("Artikel in Upload-Tabelle: 3"));
  QCOMPARE(f.panel_total.text(), QString("Upload-Gesamtpreis: 0.6"));
  // Deleting a row (or anything else that changes the rows) refreshes both panels; the user's
  // row stays current.
  f.uploads.move_to(0);
  f.uploads.remove();
  QTRY_COMPARE(f.panel_uploads.text(), QString("Artikel in Upload-Tabelle: 2"));
  QCOMPARE(f.panel_total.text(), QString("Upload-Gesamtpreis: 0.5"));
  QCOMPARE(f.uploads.position(), std::optional<std::size_t>(0));
  f.uploads.remove_all_shown();
  QTRY_COMPARE(f.panel_uploads.text(), QString("Artikel in Upload-Tabelle: 0"));
  QCOMPARE(f.panel_total.text(), QString("Upload-Gesamtpreis: 0"));
}

// Whoever hooks the article table before the editor exists (the workspace, a view built
// first) finds the controls showing the record it hears of.
void EditorTest::listenersBeforeTheEditorFindItsControlsShowingTheRecord() {
  EditorFixture f;
  two_articles(f);
  QLineEdit* name = nullptr;
  QStringList seen;
  auto early = f.articles.on_data_change([&](std::optional<std::size_t>) {
    if (name) seen << name->text();
  });
  f.open();
  name = f.find<QLineEdit>(store::F::Artikelname);
  f.articles.last();
  f.articles.set(store::F::Artikelname, store::Value::text("Gamma"));
  f.articles.cancel();
  f.articles.first();
  QCOMPARE(seen, (QStringList{"Beta", "Gamma", "Beta", "Alpha"}));
}

QTEST_MAIN(EditorTest)
#include "editor_test.moc"
