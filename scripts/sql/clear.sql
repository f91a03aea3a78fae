-- Empties every table before a data set is loaded (scripts/auction-house and the tests'
-- reset_data() both run it). TRUNCATE also restarts the AUTO_INCREMENT counters.
SET NAMES utf8mb4;
TRUNCATE TABLE tv_directory.qm_software;
TRUNCATE TABLE tv_auktionshaus.users;
TRUNCATE TABLE tv_auktionshaus.categories;
TRUNCATE TABLE tv_auktionshaus.durations;
TRUNCATE TABLE tv_auktionshaus.features;
TRUNCATE TABLE tv_auktionshaus.payments;
TRUNCATE TABLE tv_auktionshaus.auctions;
TRUNCATE TABLE tv_auktionshaus.numbers;
TRUNCATE TABLE tv_auktionshaus.accountpos;
