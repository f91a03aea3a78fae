#include "cli/options.h"

#include <string_view>

#include "session/session.h"

namespace tellvaro::cli {
namespace {

constexpr std::string_view kHelpHint = "\nHilfe: tellvaro-cli --hilfe";

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

ParsedCall refuse(std::string text) {
  return {std::nullopt, std::move(text) + std::string(kHelpHint)};
}

ParsedCall only(Command c) {
  Options o;
  o.command = c;
  return {o, {}};
}

}  // namespace

ParsedCall parse_call(const std::vector<std::string>& args) {
  Options o;
  std::optional<Command> command;
  std::vector<std::string> plain;  // arguments that are no option
  bool options_end = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options_end || a.empty() || a[0] != '-' || a == "-") {
      plain.push_back(a);
      continue;
    }
    if (a == "--") {
      options_end = true;
      continue;
    }
    // "--name=value" and "--name value" alike.
    std::string name = a;
    std::optional<std::string> value;
    if (auto eq = a.find('='); starts_with(a, "--") && eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    }
    auto take_value = [&]() -> std::optional<std::string> {
      if (value) return value;
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    auto no_value = [&] { return !value.has_value(); };

    if (name == "-h" || name == "--help" || name == "--hilfe") {
      return only(Command::Help);
    }
    if (name == "--version") return only(Command::Version);
    // Anything on the command line can be read by every user of the machine (ps, /proc).
    if (name == "-p" || (starts_with(name, "--passwort") && name != "--passwort-datei") ||
        starts_with(name, "--password") || name == "--pass") {
      return refuse(
          "Das Passwort wird nicht auf der Befehlszeile angenommen: dort können es andere "
          "Benutzer dieses Rechners lesen. Geben Sie es in der Umgebungsvariablen "
          "TELLVARO_PASSWORT, in einer nur für Sie lesbaren Datei (--passwort-datei DATEI) oder "
          "an der Eingabeaufforderung an.");
    }
    if (name == "--benutzer" || name == "--passwort-datei" || name == "--erneut" ||
        name == "--ausgabe") {
      auto v = take_value();
      if (!v || v->empty()) return refuse("Die Option " + name + " braucht einen Wert.");
      if (name == "--benutzer") o.user = *v;
      if (name == "--passwort-datei") o.password_file = *v;
      if (name == "--ausgabe") o.output = *v;
      if (name == "--erneut") {
        if (*v == "nie") {
          o.again = Again::Never;
        } else if (*v == "immer") {
          o.again = Again::Always;
        } else {
          return refuse("--erneut kennt nur \"nie\" und \"immer\", nicht \"" + *v + "\".");
        }
      }
      continue;
    }
    if (name == "--nur-vollstaendige" && no_value()) {
      o.only_complete = true;
      continue;
    }
    if (name == "--aktuelle" && no_value()) {
      o.current = true;
      continue;
    }
    if (name == "--abgelaufene" && no_value()) {
      o.expired = true;
      continue;
    }
    if (name == "--csv" && no_value()) {
      o.csv = true;
      continue;
    }
    return refuse("Unbekannte Option: " + a);
  }

  if (plain.empty()) {
    return refuse("Kein Befehl angegeben (pruefen, senden, importieren oder rechnungen).");
  }
  const std::string& word = plain.front();
  if (word == "pruefen") command = Command::Check;
  if (word == "senden") command = Command::Send;
  if (word == "importieren") command = Command::Import;
  if (word == "rechnungen") command = Command::Fees;
  if (word == "hilfe") return only(Command::Help);
  if (!command) return refuse("Unbekannter Befehl: " + word);
  o.command = *command;

  const bool with_file = o.command == Command::Check || o.command == Command::Send;
  if (with_file) {
    if (plain.size() < 2) return refuse("Der Befehl " + word + " braucht eine CSV-Datei.");
    o.file = plain[1];
  }
  if (plain.size() > (with_file ? 2u : 1u)) {
    return refuse("Zu viele Angaben für " + word + ": " + plain[with_file ? 2 : 1]);
  }

  // Options that belong to another command are a mistake in the script, not something to skip.
  auto only_for = [&](bool set, const char* option, Command c,
                      const char* owner) -> std::optional<ParsedCall> {
    if (set && o.command != c) {
      return refuse(std::string("Die Option ") + option + " gehört zum Befehl " + owner + ".");
    }
    return std::nullopt;
  };
  for (auto check : {only_for(o.only_complete, "--nur-vollstaendige", Command::Send, "senden"),
                     only_for(o.again != Again::Ask, "--erneut", Command::Send, "senden"),
                     only_for(o.current, "--aktuelle", Command::Import, "importieren"),
                     only_for(o.expired, "--abgelaufene", Command::Import, "importieren"),
                     only_for(!o.output.empty(), "--ausgabe", Command::Import, "importieren"),
                     only_for(o.csv, "--csv", Command::Fees, "rechnungen")}) {
    if (check) return *check;
  }
  if (o.user.empty()) return refuse("Bitte den Benutzernamen mit --benutzer NAME angeben.");
  // Neither box named: both, so a plain "importieren" brings every auction of the seller.
  if (o.command == Command::Import && !o.current && !o.expired) o.current = o.expired = true;
  return {o, {}};
}

std::string help_text() {
  return std::string("tellvaro-cli ") + std::string(session::kVersion) +
         R"( - Artikel ohne Fenster prüfen, einstellen und importieren

Aufruf:
  tellvaro-cli pruefen DATEI.csv --benutzer NAME
  tellvaro-cli senden DATEI.csv --benutzer NAME [--nur-vollstaendige] [--erneut=nie|immer]
  tellvaro-cli importieren --benutzer NAME [--aktuelle] [--abgelaufene] [--ausgabe DATEI.csv]
  tellvaro-cli rechnungen --benutzer NAME [--csv]
  tellvaro-cli --hilfe | --version

Befehle:
  pruefen      liest die CSV-Datei wie "Artikel aus einer Datei importieren", prüft jeden
               Artikel auf Vollständigkeit und nennt je Artikel die erste Lücke oder die
               Gebühr, die er kosten würde. Es wird nichts geschrieben oder gesendet.
  senden       liest und prüft die Datei, hängt die Bilder an, überträgt die Artikel in die
               Upload-Tabelle und sendet sie wie "Alle Artikel senden" (Auktion, Gebühren,
               Bilder, Upload-Protokoll per E-Mail). Die Protokollzeilen erscheinen auf der
               Standardausgabe, während sie entstehen. Ist ein Artikel unvollständig oder
               eine Zeile nicht lesbar, wird nichts gesendet, außer mit --nur-vollstaendige.
               Strg-C oder SIGTERM hält nach dem laufenden Artikel an; das Protokoll der
               eingestellten Artikel geht trotzdem per E-Mail (Rückgabewert 1).
  importieren  liest die eigenen Auktionen (ohne Angabe: aktuelle und abgelaufene), holt ihre
               Bilder in den Bilderordner und schreibt die Artikel als CSV in die Datei von
               --ausgabe oder auf die Standardausgabe.
  rechnungen   zeigt die gebuchten Gebühren mit den Summen je Monat wie "Meine Rechnungen";
               mit --csv als CSV-Tabelle.

Optionen:
  --benutzer NAME         Benutzername beim Auktionshaus
  --passwort-datei DATEI  Passwort aus DATEI (erste Zeile); die Datei darf nur für ihren
                          Besitzer lesbar sein (chmod 600)
  --nur-vollstaendige     senden: unvollständige Artikel auslassen statt abzubrechen
  --erneut=nie|immer      senden: Artikel, die schon einmal eingestellt wurden, auslassen oder
                          noch einmal einstellen (ohne Angabe: Frage am Terminal, sonst "nie")
  --aktuelle              importieren: laufende Auktionen
  --abgelaufene           importieren: beendete Auktionen
  --ausgabe DATEI.csv     importieren: in diese Datei statt auf die Standardausgabe
  --csv                   rechnungen: als CSV

Passwort:
  Nie auf der Befehlszeile. Der Reihe nach: die Datei von --passwort-datei, die
  Umgebungsvariable TELLVARO_PASSWORT, sonst eine Eingabe ohne Echo, wenn die Standardeingabe
  ein Terminal ist.

Bilder:
  Bild1 bis Bild3 dürfen Dateien irgendwo nennen (relative Pfade gelten ab dem Ordner der
  CSV-Datei); sie werden wie im Artikel-Editor angehängt: kopiert ohne GPS-Angaben, oder über
  1000000 Bytes aufrecht gedreht und verkleinert. Ein Name ohne "/", den es im Bilderordner
  schon gibt, bleibt wie er ist.

Datenordner:
  Derselbe wie beim Fenster. Solange das Fenster mit ihm läuft, verweigert tellvaro-cli die
  Arbeit, und umgekehrt.

Rückgabewerte:
  0  erledigt
  1  teilweise erledigt: einzelne Artikel ausgelassen oder fehlgeschlagen
  2  falscher Aufruf, fehlerhafte Eingabe oder Datenordner belegt: nichts gesendet
  3  Anmeldung oder Verbindung fehlgeschlagen
)";
}

}  // namespace tellvaro::cli
