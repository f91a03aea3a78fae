-- Schema of the local auction house: the maker's directory database and the auction house's
-- own database. Text is Windows-1252 (MariaDB's latin1), tables are InnoDB. Loaded through the
-- root socket by scripts/auction-house whenever the data folder is new or this file changed.
--
-- The types are what a PHP auction site of this kind uses; the program sends every value as a
-- quoted text and the server converts it, so '' in a number column is 0 (the server runs in
-- its default strict mode; the program's sessions leave the strict flags out).
-- Almost every column is nullable: tests insert NULLs to check how the program reads them.

SET NAMES utf8mb4;

DROP DATABASE IF EXISTS tv_directory;
CREATE DATABASE tv_directory CHARACTER SET latin1 COLLATE latin1_german1_ci;

CREATE TABLE tv_directory.qm_software (
  id               INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  programm         VARCHAR(64)  NULL,
  programm_version VARCHAR(32)  NULL,
  kunde            VARCHAR(64)  NULL,
  beschreibung     VARCHAR(255) NULL,
  sql_host         VARCHAR(128) NULL,
  sql_user         VARCHAR(64)  NULL,
  sql_password     VARCHAR(64)  NULL,
  sql_daten_bank   VARCHAR(64)  NULL,
  ftp_host         VARCHAR(128) NULL,
  ftp_login_nick   VARCHAR(64)  NULL,
  ftp_passwort     VARCHAR(64)  NULL,
  mail_host        VARCHAR(128) NULL,
  mail_user        VARCHAR(64)  NULL,
  mail_passwort    VARCHAR(64)  NULL,
  mail_sender      VARCHAR(128) NULL,
  mail_admin       VARCHAR(128) NULL,
  KEY lookup (programm, programm_version, kunde)
) ENGINE=InnoDB DEFAULT CHARSET=latin1 COLLATE=latin1_german1_ci;

DROP DATABASE IF EXISTS tv_auktionshaus;
CREATE DATABASE tv_auktionshaus CHARACTER SET latin1 COLLATE latin1_german1_ci;
USE tv_auktionshaus;

-- nick is not unique on purpose (a second row with the same nick and hash must fail a login);
-- the hash compares in binary so an upper-case hex text does not match.
CREATE TABLE users (
  id        INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  nick      VARCHAR(32)  NOT NULL DEFAULT '',
  password  CHAR(32) CHARACTER SET latin1 COLLATE latin1_bin NOT NULL DEFAULT '',
  name      VARCHAR(64)  NULL,
  suspended VARCHAR(8)   NULL DEFAULT '0',
  email     VARCHAR(128) NULL,
  zip       VARCHAR(16)  NULL,
  city      VARCHAR(64)  NULL,
  country   VARCHAR(64)  NULL,
  reg_date  DATETIME     NULL,
  KEY nick (nick)
) ENGINE=InnoDB DEFAULT CHARSET=latin1 COLLATE=latin1_german1_ci;

CREATE TABLE categories (
  cat_id    INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  parent_id INT NOT NULL DEFAULT 0,
  cat_name  VARCHAR(255) NOT NULL DEFAULT '',
  KEY children (parent_id, cat_name)
) ENGINE=InnoDB DEFAULT CHARSET=latin1 COLLATE=latin1_german1_ci;

CREATE TABLE durations (
  days        INT NOT NULL PRIMARY KEY,
  description VARCHAR(64) NULL
) ENGINE=InnoDB DEFAULT CHARSET=latin1 COLLATE=latin1_german1_ci;

-- value is a decimal text with "." ("0.50"); kept as text like the site's admin pages write it.
CREATE TABLE features (
  id          INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  value       VARCHAR(16) NULL,
  description VARCHAR(64) NULL
) ENGINE=InnoDB DEFAULT CHARSET=latin1 COLLATE=latin1_german1_ci;

CREATE TABLE payments (
  id          INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  description VARCHAR(64) NULL
) ENGINE=InnoDB DEFAULT CHARSET=latin1 COLLATE=latin1_german1_ci;

-- starts and ends take the program's texts such as '2006.12.04 9:05:09' (any punctuation is
-- a valid DATETIME separator) and read back as '2006-12-04 09:05:09'.
CREATE TABLE auctions (
  id                         INT NOT NULL PRIMARY KEY,
  user                       INT NULL,
  title                      VARCHAR(255) NULL,
  qm_untertitel              VARCHAR(255) NULL,
  sprache                    TINYINT NULL,
  einheiten                  VARCHAR(16) NULL,
  masseinheit                VARCHAR(8) NULL,
  starts                     DATETIME NULL,
  html_desc_1                TINYINT NULL,
  description                MEDIUMTEXT NULL,
  pict_url                   VARCHAR(255) NULL,
  category                   INT NULL,
  category_2                 INT NULL,
  minimum_bid                DECIMAL(12,2) NULL,
  qm_fsk18_artikel           TINYINT NULL,
  qm_preis_vorschlag         TINYINT NULL,
  qm_preis_vorschlag_minimum DECIMAL(12,2) NULL,
  qm_minimum_preis           DECIMAL(12,2) NULL,
  qm_minimum_preis_zeigen    TINYINT NULL,
  qm_versandart_1            VARCHAR(128) NULL,
  qm_versandkosten_1         DECIMAL(10,2) NULL,
  qm_versandart_2            VARCHAR(128) NULL,
  qm_versandkosten_2         DECIMAL(10,2) NULL,
  qm_versandart_3            VARCHAR(128) NULL,
  qm_versandkosten_3         DECIMAL(10,2) NULL,
  auction_type               TINYINT NULL,
  duration                   SMALLINT NULL,
  location                   VARCHAR(128) NULL,
  location_zip               VARCHAR(16) NULL,
  country                    VARCHAR(128) NULL,
  shipping                   TINYINT NULL,
  payment                    TEXT NULL,
  international              TINYINT NULL,
  ends                       DATETIME NULL,
  qm_wiedereinstellen        TINYINT NULL,
  current_bid                DECIMAL(12,2) NULL,
  closed                     TINYINT NULL,
  photo_uploaded             TINYINT NULL,
  quantity                   INT NULL,
  suspended                  TINYINT NULL,
  fett                       TINYINT NULL,
  marker                     TINYINT NULL,
  topkat                     TINYINT NULL,
  zustand                    TINYINT NULL,
  buynow                     DECIMAL(12,2) NULL,
  buy_now_show               TINYINT NULL,
  pict_url2                  VARCHAR(255) NULL,
  pict_url3                  VARCHAR(255) NULL,
  KEY seller (user, closed)
) ENGINE=InnoDB DEFAULT CHARSET=latin1 COLLATE=latin1_german1_ci;

-- Row 1 is the auction number counter; rows 2 to 4 are raised with it.
CREATE TABLE numbers (
  id    INT NOT NULL PRIMARY KEY,
  value VARCHAR(32) NULL
) ENGINE=InnoDB DEFAULT CHARSET=latin1 COLLATE=latin1_german1_ci;

-- The program sends id and re_nr as ''; id then takes the next number, re_nr stays empty
-- until the monthly invoice run fills it.
CREATE TABLE accountpos (
  id            INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  re_nr         VARCHAR(16) NOT NULL DEFAULT '',
  date          DATETIME NULL,
  user_id       INT NULL,
  auction_id    INT NULL,
  auction_title VARCHAR(255) NULL,
  description   VARCHAR(255) NULL,
  value         DECIMAL(10,2) NULL,
  closed        TINYINT NULL DEFAULT 0,
  KEY account (user_id, closed)
) ENGINE=InnoDB DEFAULT CHARSET=latin1 COLLATE=latin1_german1_ci;
