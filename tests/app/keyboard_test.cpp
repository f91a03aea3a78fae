// The main window with the keyboard alone: Tab walks every editor page and every view in the
// order a person reads it and comes back around, Shift+Tab the same way back, and no control
// keeps the focus for itself. The grids' commands (the transfers among them) open from the
// keyboard at the current row.

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "app/main_window_fixture.h"
#include "app/table_grid.h"
#include "app/login_window.h"
#include "catalogue/reference.h"

using namespace tellvaro;
using namespace tellvaro::test;
using app::TableGrid;

namespace {

// How a stop of the walk is written in the tables below: the field a control is bound to (with
// the caption of a radio button), else what a person hears of it.
QString stop_name(QWidget* w) {
  if (!w) return QStringLiteral("(niemand)");
  if (qobject_cast<QTabBar*>(w)) return QStringLiteral("Reiter");
  const QString field = w->accessibleDescription();
  if (auto* radio = qobject_cast<QRadioButton*>(w)) return field + ": " + radio->text();
  if (auto* button = qobject_cast<QPushButton*>(w)) return button->text();
  if (!field.isEmpty()) return field;
  if (!w->accessibleName().isEmpty()) return w->accessibleName();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
  return QString::fromUtf8(w->metaObject()->className());
}

// Tab (or Shift+Tab) as the platform delivers it, from `start` until the focus is back there.
// A walk that does not come back within 300 steps ends with "(gefangen)".
QStringList walk(QWidget* window, QWidget* start, bool forward) {
  start->setFocus(Qt::TabFocusReason);
  QWidget* first = QApplication::focusWidget();
  QStringList stops;
  for (int i = 0; i < 300; ++i) {
    stops << stop_name(QApplication::focusWidget());
    QTest::keyClick(window->windowHandle(), Qt::Key_Tab,
                    forward ? Qt::NoModifier : Qt::ShiftModifier);
    if (QApplication::focusWidget() == first) return stops;
  }
  stops << QStringLiteral("(gefangen)");
  return stops;
}

QStringList reversed(QStringList list) {
  std::reverse(list.begin(), list.end());
  return list;
}

// Both ways round from `start`: forwards as `expected`, backwards the same stops in reverse.
void verify_walk(QWidget* window, QWidget* start, const QStringList& expected, const QString& where) {
  const QStringList there = walk(window, start, true);
  QVERIFY2(there == expected, qPrintable(where + ": [" + there.join(" | ") + "]"));
  const QStringList back = walk(window, start, false);
  QVERIFY2(back.size() == there.size() && reversed(back.mid(1)) == there.mid(1),
           qPrintable(where + " back: [" + back.join(" | ") + "]"));
}

// The ways the keyboard opens a grid's menu: Shift+F10, and the menu key, which the platform
// turns into a keyboard context menu event with the mouse pointer's position.
enum class MenuKey { ShiftF10, MenuKey };

// Opens `grid`'s menu from the keyboard and chooses `caption` with the arrow keys and Enter.
// Gives where the menu opened (global), or an empty rect when none opened.
QRect choose_from_menu(TableGrid* grid, MenuKey key, const QString& caption) {
  QRect opened;
  // Polled: the menu runs its own event loop once it is open.
  QTimer poll;
  int tries = 0;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) {
      if (++tries > 50) poll.stop();
      return;
    }
    poll.stop();
    opened = menu->geometry();
    for (int i = 0; i < 20 && !(menu->activeAction() && menu->activeAction()->text() == caption);
         ++i) {
      QTest::keyClick(menu, Qt::Key_Down);
    }
    QTest::keyClick(menu, Qt::Key_Return);
  });
  poll.start();
  grid->setFocus();
  if (key == MenuKey::ShiftF10) {
    QTest::keyClick(grid->window()->windowHandle(), Qt::Key_F10, Qt::ShiftModifier);
  } else {
    const QPoint far_away(5000, 5000);
    QContextMenuEvent event(QContextMenuEvent::Keyboard, far_away, far_away);
    QApplication::sendEvent(grid, &event);
  }
  (void)QTest::qWaitFor([&] { return !poll.isActive(); }, 2000);
  return opened;
}

}  // namespace

class KeyboardTest : public QObject {
  Q_OBJECT

 private slots:
  void tabFollowsEachEditorPage();
  void tabFollowsEachView();
  void tabFollowsTheLoginWindow();
  void gridMenusOpenFromTheKeyboardAtTheCurrentRow();
};

void KeyboardTest::tabFollowsEachEditorPage() {
  Fixture f;
  f.put(store::kArticleFile, named({"Alpha"}));
  auto& w = f.open();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  catalogue::PaymentNames payments;
  payments.name[0] = "Bar";
  payments.name[1] = "Karte";
  payments.name[2] = "Scheck";
  payments.shown = 3;
  f.ws->set_payment_names(payments);

  // The grid on the left, the editor's page on the right, the strip below.
  const QStringList before = {"Artikel-Tabelle", "Reiter"};
  const QStringList after = {"Erster Datensatz",     "Vorheriger Datensatz", u("Nächster Datensatz"),
                             "Letzter Datensatz",    u("Datensatz einfügen"), u("Datensatz löschen"),
                             "Datensatz bearbeiten", "Datensatz speichern",  "Bearbeitung abbrechen",
                             "Filtertext",           "Filter"};
  // Page by page, what lies between; radio groups are one stop at their chosen button.
  const std::vector<std::pair<QString, QStringList>> pages = {
      {"Artikel",
       {// The article box, row by row,
        "Artikelname", "Anzeigenart", "Untertitel", "FSK 18: nein", "Sprache", "Zustand", "Anzahl",
        "Einheiten", "Masseinheit", "Auktionsdauer", "Wiedereinstellen", "Artikelstatus",
        "Artikelgruppe", "Artikelnummer",
        // then the left column's boxes: prices, offers, highlights,
        "Startpreis", "Sofortkauf", "Verhalten", "Mindestpreis", "minimum_preis_zeigen",
        "Preisvorschlag: nein", "Preisvorschlag-Minimum", "Fettschrift", "Textmarker",
        "Top-Kategorie",
        // then the right column's: location and shipping.
        "location", "location_zip", "country", u("shipping: Käufer trägt Versandkosten"),
        "international", "Versand_1", "Versandpreis_1", "Versand_2", "Versandpreis_2", "Versand_3",
        "Versandpreis_3"}},
      // "Text Ansicht" is off while the text is shown; the frame's choice belongs to the text.
      {"Beschreibung",
       {"html_desc_1: ja", "Vorlage", u("Datei öffnen"), "Browser Vorschau", "Beschreibung"}},
      // Column by column, one per picture.
      {"Bilder",
       {"Bild1", "Neue Datei", u("Datei löschen"), "Bild2", "Neue Datei", u("Datei löschen"),
        "Bild3", "Neue Datei", u("Datei löschen")}},
      // The browse lists wait for "Kategorie ändern".
      {"Kategorie",
       {u("Kategorie ändern"), "Kat", "Kategorie Nummer", "Kategorie Nummer 2", "Suchen",
        "Gefundene Kategorien"}},
      {"Bezahlung", {"p1", "p2", "p3"}},
      {u("Gebüren"), {"Verbindungsstatus"}},
      {"Infos", {"Info_1", "Info_2", "Mitglied", "Erstellt", "Editiert"}},
  };
  auto* editor = w.articleView()->editor();
  QCOMPARE(editor->count(), static_cast<int>(pages.size()));
  for (const auto& [page, stops] : pages) {
    for (int i = 0; i < editor->count(); ++i) {
      if (editor->tabText(i) == page) editor->setCurrentIndex(i);
    }
    QCOMPARE(editor->tabText(editor->currentIndex()), page);
    verify_walk(&w, w.articleView()->grid(), before + stops + after, page);
  }
}

void KeyboardTest::tabFollowsEachView() {
  Fixture f;
  f.put(store::kUploadFile, named({"Alpha"}));
  f.put(store::kImportFile, named({"Beta"}));
  auto& w = f.open();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  const QStringList navigator = {"Erster Datensatz", "Vorheriger Datensatz",
                                 u("Nächster Datensatz"), "Letzter Datensatz",
                                 u("Datensatz löschen"), "Datensatz speichern"};
  // The top row left to right, then the grid below it.
  const std::vector<std::pair<MainWindow::View, QStringList>> views = {
      {MainWindow::View::Uploads,
       navigator + QStringList{"Markierten Artikel senden", "Alle Artikel senden", "Upload-Tabelle"}},
      {MainWindow::View::Protocol, {"Upload-Protokoll"}},
      {MainWindow::View::Imports,
       navigator + QStringList{"Aktuelle Artikel importieren", "Abgelaufene Artikel importieren",
                               "Importieren", "Import-Tabelle"}},
  };
  for (const auto& [view, stops] : views) {
    view_item(w, view)->trigger();
    QWidget* shown = view_widget(w, view);
    // Whatever of the view comes first in the chain.
    QWidget* first = shown;
    while (!(first->focusPolicy() & Qt::TabFocus) || !shown->isAncestorOf(first) ||
           !first->isVisible()) {
      first = first->nextInFocusChain();
    }
    verify_walk(&w, first, stops, stops.last());
  }
}

void KeyboardTest::tabFollowsTheLoginWindow() {
  QTemporaryDir folder;
  ScriptedDialogs dialogs;
  app::LoginWindow window(session::Deployment::built_in(), folder.path().toStdString() + "/",
                          dialogs, [](const session::Login&, const std::string&, QWidget*) {
                            return std::unique_ptr<QWidget>();
                          });
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  const QString credit = window.loginPanel()->findChild<QLabel*>("creditLine")->accessibleName();
  verify_walk(&window, window.focusWidget(), {"Benutzer", "Passwort", "Einloggen", credit},
              "Login");
}

void KeyboardTest::gridMenusOpenFromTheKeyboardAtTheCurrentRow() {
  Fixture f;
  f.put(store::kArticleFile, {complete_article("Reifen")});
  f.put(store::kImportFile, named({"Krug"}));
  auto& w = f.open();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  auto inside_grid = [](TableGrid* grid, const QRect& menu) {
    const QRect area(grid->viewport()->mapToGlobal(QPoint(0, 0)), grid->viewport()->size());
    return area.contains(menu.topLeft());
  };

  for (MenuKey key : {MenuKey::ShiftF10, MenuKey::MenuKey}) {
    const int uploads = w.uploadView()->grid()->model()->rowCount();
    const int articles = w.articleView()->grid()->model()->rowCount();
    f.dialogs.shown.clear();

    // The import's transfer of the round before made its article current.
    const auto shown = names_shown(f.store().articles);
    f.store().articles.move_to(static_cast<std::size_t>(
        std::find(shown.begin(), shown.end(), "Reifen") - shown.begin()));
    auto* grid = w.articleView()->grid();
    QRect menu = choose_from_menu(grid, key, u("Diesen Artikel in Upload-Tabelle übertragen"));
    QVERIFY(inside_grid(grid, menu));
    QCOMPARE(QString::fromStdString(f.dialogs.shown.empty() ? "" : f.dialogs.shown.back()),
             u("Reifen wurde in die Upload-Tabelle übertragen."));
    QCOMPARE(w.uploadView()->grid()->model()->rowCount(), uploads + 1);

    view_item(w, MainWindow::View::Imports)->trigger();
    grid = w.importView()->grid();
    menu = choose_from_menu(grid, key, u("Diesen Artikel in Artikel-Tabelle übertragen"));
    QVERIFY(inside_grid(grid, menu));
    QCOMPARE(f.store().articles.count(), static_cast<std::size_t>(articles + 1));
    view_item(w, MainWindow::View::Articles)->trigger();
  }
}

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
