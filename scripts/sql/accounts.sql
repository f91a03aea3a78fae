-- Database accounts of the local auction house. The program reaches the server over TCP, and
-- Linux gives every 127.x destination the source address 127.0.0.1, so the accounts are
-- opened for 127.0.0.% instead of the instance's own address. Passwords are given as their
-- mysql_native_password hashes only.

CREATE OR REPLACE USER 'tv_directory'@'127.0.0.%'
  IDENTIFIED BY PASSWORD '*AD62C6A3F878C69C7AB04CA0E6943976F7D4469D';
GRANT SELECT ON tv_directory.* TO 'tv_directory'@'127.0.0.%';

CREATE OR REPLACE USER 'tv_seller_app'@'127.0.0.%'
  IDENTIFIED BY PASSWORD '*CD3B770C3CCE4973684D79CBC3E991DAC089D6C3';
GRANT SELECT, INSERT, UPDATE ON tv_auktionshaus.* TO 'tv_seller_app'@'127.0.0.%';
