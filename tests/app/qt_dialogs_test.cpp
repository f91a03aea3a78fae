// The real message boxes: title, text, German buttons and the answer each button gives.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/qt_dialogs.h"

using namespace tellvaro;

class QtDialogsTest : public QObject {
  Q_OBJECT

  struct Seen {
    QString title, text;
    QStringList buttons;
  };

  // Answers the next modal box by clicking the button with `caption`, and records what it showed.
  static void answerWith(const QString& caption, Seen& seen) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, caption, &seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      poll->stop();
      poll->deleteLater();
      seen.title = box->windowTitle();
      seen.text = box->text();
      for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
      for (QAbstractButton* b : box->buttons()) {
        if (b->text() == caption) b->click();
      }
    });
    poll->start(10);
  }

 private slots:
  void boxesCarryTheApplicationTitleAndGermanButtons() {
    struct Case {
      std::function<ports::Answer(app::QtDialogs&)> ask;
      QString click;
      QStringList buttons;
      ports::Answer answer;
    };
    const std::string text = "Wirklich alle Artikel löschen?";
    const Case cases[] = {
        {[&](app::QtDialogs& d) { return d.ask_yes_no(text); },
         "&Ja",
         {"&Ja", "&Nein"},
         ports::Answer::Yes},
        {[&](app::QtDialogs& d) { return d.ask_yes_no(text); },
         "&Nein",
         {"&Ja", "&Nein"},
         ports::Answer::No},
        {[&](app::QtDialogs& d) { return d.ask_yes_cancel(text); },
         "Abbrechen",
         {"&Ja", "Abbrechen"},
         ports::Answer::Cancel},
        {[&](app::QtDialogs& d) {
           d.inform(text);
           return ports::Answer::Yes;
         },
         "OK",
         {"OK"},
         ports::Answer::Yes},
    };
    for (const Case& c : cases) {
      app::QtDialogs dialogs;
      Seen seen;
      answerWith(c.click, seen);
      QCOMPARE(c.ask(dialogs), c.answer);
      QCOMPARE(seen.title, QString("Quillmar Tellvaro"));
      QCOMPARE(seen.text, QString::fromStdString(text));
      seen.buttons.sort();
      QStringList expected = c.buttons;
      expected.sort();
      QCOMPARE(seen.buttons, expected);
    }
  }
};

QTEST_MAIN(QtDialogsTest)
#include "qt_dialogs_test.moc"
