-- Test data set of the local auction house (instance 127.0.0.43). Small and fixed: tests rely
-- on every value below, and tests that need more insert it themselves after reset_data().
-- The loader sets @ah_host to the instance's address before this file runs (after clear.sql).
--
--   sellers     42 haendler / geheim, suspended '0'      43 gesperrt / geheim, suspended '1'
--   numbers     rows 1 to 4 = '1000'
--   fees        Fettschrift 0.5, Textmarker 0.75, Top-Kategorie 1.25, Upload Bild 2 0.1,
--               Upload Bild 3 0.2, Untertitel 0.35, Mindestpreis 2   (ids 1 to 7 in this order)
--   payments    1 Überweisung, 2 Barzahlung bei Abholung, 3 Nachnahme, 4 PayPal
--   auctions    990, 991 of seller 42 running (closed 0), 992 of seller 42 ended (closed 1),
--               993 of seller 43 running; 990 names the pictures 990.jpg and 990_2.jpg, which
--               are not on the file server (the FTP root is empty after a reset)
--   categories  see the tree below; 311111 and 311112 sit on a sixth level
SET NAMES utf8mb4;

INSERT INTO tv_directory.qm_software
  (programm, programm_version, kunde, beschreibung, sql_host, sql_user, sql_password,
   sql_daten_bank, ftp_host, ftp_login_nick, ftp_passwort, mail_host, mail_user,
   mail_passwort, mail_sender, mail_admin) VALUES
  ('QM Tellvaro', '2.0.0.1', 'Demo-Auktionshaus', 'Testinstanz des Demo-Auktionshauses',
   @ah_host, 'tv_seller_app', 'Auktion26', 'tv_auktionshaus',
   @ah_host, 'tvftp', 'Bilder26',
   @ah_host, 'tvmail', 'Post26', 'upload@auktionshaus.example', 'admin@auktionshaus.example'),
  -- Same program for another customer, and an older version: the lookup must pick by all keys.
  ('QM Tellvaro', '2.0.0.1', 'Anderes-Auktionshaus', 'anderer Kunde',
   '127.0.0.99', 'fremd', 'fremd', 'fremd', '127.0.0.99', 'fremd', 'fremd',
   '127.0.0.99', 'fremd', 'fremd', 'fremd@anderes.example', 'fremd@anderes.example'),
  ('QM Tellvaro', '1.0.0.1', 'Demo-Auktionshaus', 'alte Version',
   '127.0.0.98', 'alt', 'alt', 'alt', '127.0.0.98', 'alt', 'alt',
   '127.0.0.98', 'alt', 'alt', 'alt@auktionshaus.example', 'alt@auktionshaus.example');

USE tv_auktionshaus;

-- password = lower-case hex MD5 over the Windows-1252 bytes of the salt
-- 'Schlüsselstärke von 256 bit' followed by the password ('geheim').
INSERT INTO users (id, nick, password, name, suspended, email, zip, city, country, reg_date) VALUES
  (42, 'haendler', 'f24d391be65ec2e13e71ff277ed9b150', 'Hans Händler', '0',
   'haendler@beispiel.example', '10115', 'Berlin', 'Deutschland', '2024-03-01 10:00:00'),
  (43, 'gesperrt', 'f24d391be65ec2e13e71ff277ed9b150', 'Gerd Gesperrt', '1',
   'gesperrt@beispiel.example', '80331', 'München', 'Deutschland', '2024-03-02 10:00:00');

-- 1 Auto & Motorrad
--   11 Autoteile
--     111 Reifen
--       1111 Sommerreifen
--       1112 Winterreifen
--     112 Zubehör
--   12 Motorräder
-- 2 Computer
--   21 Notebooks
--   22 Zubehör
--     221 Mäuse & Tastaturen
-- 3 Sammeln
--   31 Münzen
--     311 Deutschland
--       3111 Euro
--         31111 Gedenkmünzen
--           311111 2-Euro-Münzen
--           311112 10-Euro-Münzen
--         31112 Kursmünzen
-- 4 Bücher
INSERT INTO categories (cat_id, parent_id, cat_name) VALUES
  (1, 0, 'Auto & Motorrad'), (11, 1, 'Autoteile'), (111, 11, 'Reifen'),
  (1111, 111, 'Sommerreifen'), (1112, 111, 'Winterreifen'), (112, 11, 'Zubehör'),
  (12, 1, 'Motorräder'),
  (2, 0, 'Computer'), (21, 2, 'Notebooks'), (22, 2, 'Zubehör'), (221, 22, 'Mäuse & Tastaturen'),
  (3, 0, 'Sammeln'), (31, 3, 'Münzen'), (311, 31, 'Deutschland'), (3111, 311, 'Euro'),
  (31111, 3111, 'Gedenkmünzen'), (311111, 31111, '2-Euro-Münzen'),
  (311112, 31111, '10-Euro-Münzen'), (31112, 3111, 'Kursmünzen'),
  (4, 0, 'Bücher');

INSERT INTO durations (days, description) VALUES
  (1, '1 Tag'), (3, '3 Tage'), (5, '5 Tage'), (7, '7 Tage'), (10, '10 Tage'),
  (14, '14 Tage'), (21, '21 Tage'), (30, '30 Tage');

INSERT INTO features (id, value, description) VALUES
  (1, '0.50', 'Fettschrift'), (2, '0.75', 'Textmarker'), (3, '1.25', 'Top-Kategorie'),
  (4, '0.10', 'Upload Bild 2'), (5, '0.20', 'Upload Bild 3'), (6, '0.35', 'Untertitel'),
  (7, '2.00', 'Mindestpreis');

INSERT INTO payments (id, description) VALUES
  (1, 'Überweisung'), (2, 'Barzahlung bei Abholung'), (3, 'Nachnahme'), (4, 'PayPal');

INSERT INTO numbers (id, value) VALUES (1, '1000'), (2, '1000'), (3, '1000'), (4, '1000');

-- 990: every coded column set to a non-default value; payment holds slots 1 and 4.
-- 991: mostly defaults, no pictures. 992: ended. 993: another seller's.
INSERT INTO auctions (id, user, title, qm_untertitel, sprache, einheiten, masseinheit, starts,
  html_desc_1, description, pict_url, category, category_2, minimum_bid, qm_fsk18_artikel,
  qm_preis_vorschlag, qm_preis_vorschlag_minimum, qm_minimum_preis, qm_minimum_preis_zeigen,
  qm_versandart_1, qm_versandkosten_1, qm_versandart_2, qm_versandkosten_2, qm_versandart_3,
  qm_versandkosten_3, auction_type, duration, location, location_zip, country, shipping,
  payment, international, ends, qm_wiedereinstellen, current_bid, closed, photo_uploaded,
  quantity, suspended, fett, marker, topkat, zustand, buynow, buy_now_show, pict_url2,
  pict_url3) VALUES
  (990, 42, 'Winterreifen 205/55 R16', 'Vier Stück, 7 mm Profil', 3, '4', 'kg',
   '2026-01-10 09:05:09', 1, '<p>Reifen vom Händler´s Lager.</p>', '990.jpg', 1112, 12,
   120.00, 1, 1, 90.00, 150.00, 1, 'DHL Packet (Inland)', 6.99, 'Abholung Vorort möglich',
   0.00, 'UPS Versand (Inland)', 12.50, 2, 7, 'Berlin', '10115', 'Deutschland', 2,
   'Überweisung \nPayPal \n', 1, '2026-01-17 09:05:09', 99, 0, 0, 1, 4, 0, 1, 1, 1, 7,
   200.00, 2, '990_2.jpg', ''),
  (991, 42, 'Notebook 15 Zoll', '', 1, '', '0', '2026-01-11 10:00:00', 0,
   'Gebraucht, läuft einwandfrei.', '', 21, 0, 1.00, 0, 0, 0.00, 0.00, 0,
   'Kein Versand, nur Abholung', 0.00, '', 0.00, '', 0.00, 1, 10, 'Potsdam', '14467',
   'Deutschland', 1, 'Barzahlung bei Abholung \n', 0, '2026-01-21 10:00:00', 0, 0, 0, 0, 1,
   0, 0, 0, 0, 0, 0.00, 1, '', ''),
  (992, 42, '2-Euro-Gedenkmünze 2006', 'Holstentor, bankfrisch', 3, '1', '0',
   '2025-11-01 08:00:00', 0, 'Münze in Kapsel.', '', 311111, 0, 2.50, 0, 0, 0.00, 0.00, 0,
   'Post Brief (Inland)', 1.45, '', 0.00, '', 0.00, 1, 7, 'Berlin', '10115', 'Deutschland',
   1, 'Überweisung \n', 0, '2025-11-08 08:00:00', 0, 3.10, 1, 0, 1, 0, 0, 0, 0, 1, 0.00, 1,
   '', ''),
  (993, 43, 'Mauspad', '', 1, '', '0', '2026-01-12 12:00:00', 0, 'Neu.', '', 221, 0, 1.00,
   0, 0, 0.00, 0.00, 0, 'Post Brief (Inland)', 1.00, '', 0.00, '', 0.00, 1, 7, 'München',
   '80331', 'Deutschland', 1, 'PayPal \n', 0, '2026-01-19 12:00:00', 0, 0, 0, 0, 1, 0, 0, 0,
   0, 7, 0.00, 1, '', '');
