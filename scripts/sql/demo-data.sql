-- Demo data set of the local auction house (instance 127.0.0.42), loaded after clear.sql and
-- demo-categories.sql in the same session (it uses the @kat_... variables set there). The loader
-- sets @ah_host to the instance's address. Sellers: demo / demo1234 (active) and
-- gesperrt / demo1234 (suspended). Running auctions start relative to the load time.
SET NAMES utf8mb4;

INSERT INTO tv_directory.qm_software
  (programm, programm_version, kunde, beschreibung, sql_host, sql_user, sql_password,
   sql_daten_bank, ftp_host, ftp_login_nick, ftp_passwort, mail_host, mail_user,
   mail_passwort, mail_sender, mail_admin) VALUES
  ('QM Tellvaro', '2.0.0.1', 'Demo-Auktionshaus', 'Demo-Auktionshaus, lokale Installation',
   @ah_host, 'tv_seller_app', 'Auktion26', 'tv_auktionshaus',
   @ah_host, 'tvftp', 'Bilder26',
   @ah_host, 'tvmail', 'Post26', 'upload@auktionshaus.example', 'admin@auktionshaus.example');

USE tv_auktionshaus;

-- password = lower-case hex MD5 over the Windows-1252 bytes of the salt
-- 'Schlüsselstärke von 256 bit' followed by the password.
INSERT INTO users (id, nick, password, name, suspended, email, zip, city, country, reg_date) VALUES
  (1001, 'demo', '2c86390a34a5cb3ebdf42138935db2cc', 'Dieter Demmler', '0',
   'demo@auktionshaus.example', '50667', 'Köln', 'Deutschland', '2019-05-14 18:22:05'),
  (1002, 'gesperrt', '2c86390a34a5cb3ebdf42138935db2cc', 'Sabine Sperling', '1',
   'gesperrt@auktionshaus.example', '04109', 'Leipzig', 'Deutschland', '2020-02-03 09:41:37'),
  (1003, 'reifen-mueller', '1261fe3f5b5eba803b5b7873060ce810', 'Reifen Müller GmbH', '0',
   'verkauf@reifen-mueller.example', '70173', 'Stuttgart', 'Deutschland', '2018-11-20 07:55:12'),
  (1004, 'sammlerfreund', '2a3fb5ab0e9a5fd4bd4983508ffbc634', 'Jürgen Weiß', '0',
   'sammlerfreund@post.example', '1010', 'Wien', 'Österreich', '2021-07-09 21:03:44');

INSERT INTO durations (days, description) VALUES
  (1, '1 Tag'), (3, '3 Tage'), (5, '5 Tage'), (7, '7 Tage'), (10, '10 Tage'),
  (14, '14 Tage'), (21, '21 Tage'), (30, '30 Tage');

INSERT INTO features (id, value, description) VALUES
  (1, '0.50', 'Fettschrift'), (2, '0.75', 'Textmarker'), (3, '2.00', 'Top-Kategorie'),
  (4, '0.20', 'Upload Bild 2'), (5, '0.20', 'Upload Bild 3'), (6, '0.50', 'Untertitel'),
  (7, '1.00', 'Mindestpreis');

INSERT INTO payments (id, description) VALUES
  (1, 'Überweisung'), (2, 'Barzahlung bei Abholung'), (3, 'Nachnahme'), (4, 'PayPal'),
  (5, 'Lastschrift'), (6, 'Kreditkarte'), (7, 'Sofortüberweisung'), (8, 'Rechnung'),
  (9, 'Vorkasse'), (10, 'Giropay');

INSERT INTO numbers (id, value) VALUES
  (1, '100250'), (2, '100250'), (3, '100250'), (4, '100250');

INSERT INTO auctions (id, user, title, qm_untertitel, sprache, einheiten, masseinheit, starts,
  html_desc_1, description, pict_url, category, category_2, minimum_bid, qm_fsk18_artikel,
  qm_preis_vorschlag, qm_preis_vorschlag_minimum, qm_minimum_preis, qm_minimum_preis_zeigen,
  qm_versandart_1, qm_versandkosten_1, qm_versandart_2, qm_versandkosten_2, qm_versandart_3,
  qm_versandkosten_3, auction_type, duration, location, location_zip, country, shipping,
  payment, international, ends, qm_wiedereinstellen, current_bid, closed, photo_uploaded,
  quantity, suspended, fett, marker, topkat, zustand, buynow, buy_now_show, pict_url2,
  pict_url3) VALUES
  -- ended auctions of the demo seller
  (100236, 1001, 'Märklin H0 Dampflok BR 44 mit OVP', 'Digital, top gepflegt', 3, '', '0',
   NOW() - INTERVAL 40 DAY, 1,
   '<h2>Dampflok BR 44 in Spur H0</h2>\n<p>Aus Nichtraucherhaushalt, kaum gelaufen, mit Originalverpackung und Anleitung.</p>\n<ul><li>Digitaldecoder</li><li>Rauchgenerator</li></ul>',
   '100236.jpg', @kat_h0_loks, 0, 89.00, 0, 0, 0.00, 120.00, 1, 'DHL Packet (Inland)', 6.99,
   'Abholung Vorort möglich', 0.00, '', 0.00, 1, 10, 'Köln', '50667', 'Deutschland', 1,
   'Überweisung \nPayPal \n', 0, NOW() - INTERVAL 30 DAY, 0, 131.00, 1, 1, 1, 0, 1, 0, 0, 2,
   0.00, 1, '100236_2.jpg', ''),
  (100238, 1001, 'Kaffeevollautomat mit Milchaufschäumer', 'Frisch entkalkt', 3, '', '0',
   NOW() - INTERVAL 35 DAY, 0,
   'Funktioniert einwandfrei, wurde regelmäßig gereinigt und entkalkt. Kleine Kratzer an der Seite, siehe Bilder.',
   '100238.jpg', @kat_kaffee, 0, 49.00, 0, 1, 60.00, 0.00, 0, 'DHL Packet (Inland)', 7.49, '',
   0.00, '', 0.00, 1, 7, 'Köln', '50667', 'Deutschland', 1, 'Überweisung \nBarzahlung bei Abholung \n',
   0, NOW() - INTERVAL 28 DAY, 0, 75.50, 1, 1, 1, 0, 0, 0, 0, 3, 0.00, 1, '', ''),
  (100240, 1001, 'Winterreifen 205/55 R16 91H, 4 Stück', '7 mm Profil, DOT 2023', 3, '4', '0',
   NOW() - INTERVAL 25 DAY, 0,
   'Vier Winterreifen, eine Saison gefahren. Nur Abholung oder Versand per Spedition nach Absprache.',
   '100240.jpg', @kat_winterreifen, 0, 120.00, 0, 0, 0.00, 0.00, 0,
   'Abholung Vorort möglich', 0.00, '', 0.00, '', 0.00, 1, 14, 'Köln', '50667', 'Deutschland',
   1, 'Barzahlung bei Abholung \n', 0, NOW() - INTERVAL 11 DAY, 0, 165.00, 1, 1, 1, 0, 0, 0,
   0, 3, 0.00, 1, '', ''),
  (100241, 1001, 'Kinderfahrrad 20 Zoll, blau, mit Licht', '', 3, '', '0',
   NOW() - INTERVAL 20 DAY, 0, 'Gebrauchtes Kinderfahrrad, fahrbereit. Reifen neu.',
   '100241.jpg', @kat_kinderfahrrad, 0, 25.00, 0, 0, 0.00, 0.00, 0,
   'Kein Versand, nur Abholung', 0.00, '', 0.00, '', 0.00, 1, 7, 'Köln', '50667',
   'Deutschland', 1, 'Barzahlung bei Abholung \n', 0, NOW() - INTERVAL 13 DAY, 0, 0.00, 1, 1,
   1, 0, 0, 0, 0, 4, 0.00, 1, '', ''),
  (100242, 1001, '2 Euro Gedenkmünze 2006 Holstentor, bfr.', 'Prägestätte A', 3, '1', '0',
   NOW() - INTERVAL 18 DAY, 0, 'Bankfrisch aus der Rolle, in Münzkapsel.', '', @kat_zwei_euro,
   0, 2.50, 0, 0, 0.00, 0.00, 0, 'Post Brief (Inland)', 0.95, '', 0.00, '', 0.00, 1, 5,
   'Köln', '50667', 'Deutschland', 1, 'Überweisung \nPayPal \n', 1, NOW() - INTERVAL 13 DAY, 0,
   3.20, 1, 0, 3, 0, 0, 0, 0, 7, 0.00, 1, '', ''),
  -- running auctions of the demo seller
  (100243, 1001, 'Notebook 15,6 Zoll, 16 GB RAM, SSD 512 GB', 'Mit Ladegerät und Tasche', 3,
   '', '0', NOW() - INTERVAL 2 DAY, 1,
   '<p>Gut erhaltenes Notebook, Akku hält etwa 4 Stunden.</p>\n<table><tr><td>Prozessor</td><td>4 Kerne</td></tr><tr><td>Arbeitsspeicher</td><td>16 GB</td></tr><tr><td>SSD</td><td>512 GB</td></tr></table>',
   '100243.jpg', @kat_notebooks, 0, 199.00, 0, 1, 180.00, 250.00, 1, 'DHL Packet (Inland)',
   6.99, 'UPS Versand (Inland)', 9.90, '', 0.00, 1, 10, 'Köln', '50667', 'Deutschland', 1,
   'Überweisung \nPayPal \nNachnahme \n', 0, NOW() + INTERVAL 8 DAY, 1, 215.00, 0, 1, 1, 0, 1,
   1, 0, 1, 349.00, 2, '100243_2.jpg', '100243_3.jpg'),
  (100244, 1001, 'Sommerreifen 195/65 R15 auf Stahlfelgen', 'Komplettsatz', 3, '4', '0',
   NOW() - INTERVAL 1 DAY, 0, 'Vier Kompletträder, Profil 5 mm, passend für viele Kompaktwagen.',
   '100244.jpg', @kat_sommerreifen, 0, 80.00, 0, 0, 0.00, 0.00, 0, 'Abholung Vorort möglich',
   0.00, 'DHL Packet (Inland)', 29.90, '', 0.00, 1, 7, 'Köln', '50667', 'Deutschland', 1,
   'Überweisung \nBarzahlung bei Abholung \n', 0, NOW() + INTERVAL 6 DAY, 0, 0.00, 0, 1, 1, 0,
   0, 0, 0, 3, 0.00, 1, '', ''),
  (100245, 1001, 'Damen Winterjacke Gr. 38, dunkelgrün', 'Wie neu', 3, '', '0',
   NOW() - INTERVAL 3 DAY, 0, 'Nur zweimal getragen, warm gefüttert, mit Kapuze.',
   '100245.jpg', @kat_damen_jacken, 0, 15.00, 0, 0, 0.00, 0.00, 0, 'DHL Päckchen (Inland)',
   4.99, '', 0.00, '', 0.00, 1, 7, 'Köln', '50667', 'Deutschland', 1, 'Überweisung \nPayPal \n',
   1, NOW() + INTERVAL 4 DAY, 2, 22.00, 0, 1, 1, 0, 0, 1, 0, 1, 0.00, 1, '', ''),
  (100246, 1001, 'Gartenbank aus Teakholz, 3-Sitzer', '', 3, '', '0', NOW() - INTERVAL 4 DAY, 0,
   'Massive Gartenbank, geölt. Maße 150 x 60 x 90 cm. Selbstabholung in Köln.', '100246.jpg',
   @kat_gartenbank, 0, 60.00, 0, 1, 50.00, 0.00, 0, 'Kein Versand, nur Abholung', 0.00, '',
   0.00, '', 0.00, 1, 14, 'Köln', '50667', 'Deutschland', 1, 'Barzahlung bei Abholung \n', 0,
   NOW() + INTERVAL 10 DAY, 0, 0.00, 0, 1, 1, 0, 0, 0, 0, 4, 0.00, 1, '', ''),
  (100247, 1001, 'Briefmarken Deutsches Reich im Album', 'Über 400 Marken', 3, '', '0',
   NOW() - INTERVAL 5 DAY, 0,
   'Sammlung aus Opa´s Nachlass, überwiegend gestempelt. Album mit Gebrauchsspuren.',
   '100247.jpg', @kat_briefmarken_reich, 0, 35.00, 0, 0, 0.00, 0.00, 0,
   'Post Einschreiben (Inland)', 4.50, 'Post Einschreiben (Ausland)', 12.00, '', 0.00, 1, 21,
   'Köln', '50667', 'Deutschland', 1, 'Überweisung \nPayPal \n', 1, NOW() + INTERVAL 16 DAY,
   0, 41.00, 0, 1, 1, 0, 1, 0, 1, 0, 0.00, 1, '100247_2.jpg', ''),
  (100248, 1001, 'Akkuschrauber 18 V mit zwei Akkus', 'Im Koffer', 3, '', '0',
   NOW() - INTERVAL 1 DAY, 0, 'Akkuschrauber mit Schnellladegerät, zwei Akkus 2,0 Ah, Bitsatz.',
   '100248.jpg', @kat_akkuschrauber, 0, 1.00, 0, 0, 0.00, 0.00, 0, 'DHL Packet (Inland)', 5.99,
   '', 0.00, '', 0.00, 2, 7, 'Köln', '50667', 'Deutschland', 1, 'PayPal \n', 0,
   NOW() + INTERVAL 6 DAY, 0, 0.00, 0, 1, 1, 0, 0, 0, 0, 7, 59.00, 1, '', ''),
  (100249, 1001, 'Krimi-Paket: 10 Taschenbücher', '', 3, '10', '0', NOW() - INTERVAL 6 HOUR, 0,
   'Zehn Kriminalromane, gelesen, guter Zustand. Titelliste auf Anfrage.', '', @kat_krimis, 0,
   5.00, 0, 0, 0.00, 0.00, 0, 'Post Bücher - Warensendung (Inland)', 2.70, '', 0.00, '', 0.00,
   1, 5, 'Köln', '50667', 'Deutschland', 1, 'Überweisung \n', 0, NOW() + INTERVAL 5 DAY - INTERVAL 6 HOUR,
   0, 0.00, 0, 0, 1, 0, 0, 0, 0, 4, 0.00, 1, '', ''),
  -- other sellers
  (100237, 1004, 'Taschenuhr Silber um 1900', 'Läuft', 3, '', '0', NOW() - INTERVAL 9 DAY, 0,
   'Silberne Taschenuhr mit Sprungdeckel, Werk läuft.', '100237.jpg', @kat_taschenuhren, 0, 45.00, 0, 0, 0.00,
   0.00, 0, 'Post Einschreiben (Ausland)', 9.00, '', 0.00, '', 0.00, 1, 14, 'Wien', '1010',
   'Österreich', 1, 'Überweisung \n', 1, NOW() + INTERVAL 5 DAY, 0, 52.00, 0, 1, 1, 0, 0, 0, 0,
   4, 0.00, 1, '', ''),
  (100239, 1003, 'Ganzjahresreifen 225/45 R17, Neuware', '', 3, '4', '0', NOW() - INTERVAL 2 DAY,
   0, 'Neue Ganzjahresreifen, Versand kostenlos.', '', @kat_ganzjahresreifen, 0, 280.00, 0, 0,
   0.00, 0.00, 0, 'Kostenloser Versand (Inland)', 0.00, '', 0.00, '', 0.00, 2, 30, 'Stuttgart',
   '70173', 'Deutschland', 2, 'Überweisung \nPayPal \nRechnung \n', 0, NOW() + INTERVAL 28 DAY,
   99, 0.00, 0, 0, 20, 0, 1, 0, 1, 7, 280.00, 2, '', '');

INSERT INTO accountpos (re_nr, date, user_id, auction_id, auction_title, description, value, closed) VALUES
  ('R-2026-0117', NOW() - INTERVAL 40 DAY, 1001, 100236, 'Märklin H0 Dampflok BR 44 mit OVP',
   'Upload 2. Bild', 0.20, 1),
  ('R-2026-0117', NOW() - INTERVAL 40 DAY, 1001, 100236, 'Märklin H0 Dampflok BR 44 mit OVP',
   'Untertitel', 0.50, 1),
  ('R-2026-0117', NOW() - INTERVAL 40 DAY, 1001, 100236, 'Märklin H0 Dampflok BR 44 mit OVP',
   'Mindestpreis', 1.00, 1),
  ('', NOW() - INTERVAL 2 DAY, 1001, 100243, 'Notebook 15,6 Zoll, 16 GB RAM, SSD 512 GB',
   'Hervorhebung: Fettschrift', 0.50, 0),
  ('', NOW() - INTERVAL 2 DAY, 1001, 100243, 'Notebook 15,6 Zoll, 16 GB RAM, SSD 512 GB',
   'Upload 2. Bild', 0.20, 0),
  ('', NOW() - INTERVAL 2 DAY, 1001, 100243, 'Notebook 15,6 Zoll, 16 GB RAM, SSD 512 GB',
   'Upload 3. Bild', 0.20, 0),
  ('', NOW() - INTERVAL 2 DAY, 1001, 100243, 'Notebook 15,6 Zoll, 16 GB RAM, SSD 512 GB',
   'Untertitel', 0.50, 0),
  ('', NOW() - INTERVAL 2 DAY, 1001, 100243, 'Notebook 15,6 Zoll, 16 GB RAM, SSD 512 GB',
   'Mindestpreis', 1.00, 0);
