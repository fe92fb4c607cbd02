-- The hand-made catalogue of the tests (support/TestCatalogue.h). Rows a
-- lookup must pass over come before the row it must find.
CREATE TABLE tblFanSeries (TsCode TEXT COLLATE NOCASE, TsTxAdd TEXT, Fab0ID INTEGER);
INSERT INTO tblFanSeries VALUES ('AXM', 'Eco', 1), ('AXL', NULL, 1);
CREATE TABLE abfSelectFans (FsID INTEGER, TsCode TEXT COLLATE NOCASE, TpCode TEXT COLLATE NOCASE,
  CaType TEXT COLLATE NOCASE, FsSize INTEGER, FdPoles TEXT, "tblFanTpSe.Fab0ID" INTEGER,
  "tblFanSeries.Fab0ID" INTEGER, TpMotForm TEXT, FsMaxMot INTEGER, FdName TEXT, FsImQt INTEGER, FsSizeI INTEGER,
  FdEuro1 REAL, FdEuro2 REAL, FdKg REAL);
INSERT INTO abfSelectFans VALUES
  (11, 'AXM', 'AXM-S', 'S', 400, '4,6', 0, 1, 'B3', 0, 'AXM ?B-?A ?C ?F ?T', 6, 400, 500.0, 600.0, 40.0),
  (12, 'AXM', 'AXM-S', 'S', 315, '2,4,6', 0, 1, 'B3', 90, 'AXM 315', 6, 315, NULL, NULL, 30.0),
  (13, 'AXM', 'AXM-L', NULL, 500, '', 0, 1, 'B3', 0, 'AXM 500', 8, 500, 800.0, 900.0, 55.0),
  (14, 'AXM', 'AXM-L', 'L', 630, '4', 2, 1, 'B3', 0, 'AXM 630', 9, 630, 99.99, 0, 80.0),
  (21, 'AXL', 'AXL-S', NULL, 250, '2', 0, 1, 'B3', 0, 'AXL 250/?B', 5, 250, 0, 0, 12.5);
CREATE TABLE tblMotBase (MotID INTEGER, MotName TEXT, MotP1 REAL, Fab0ID INTEGER, FrqID INTEGER, VoltID INTEGER,
  MotForm TEXT, PolID INTEGER, MotBgr INTEGER, MotBgrZ TEXT, MotLg REAL, SchaID INTEGER, MotExClass TEXT,
  MisoID INTEGER, IpID INTEGER, MotN1 REAL, MotP2 REAL, MotI1 REAL, MotIaI1 REAL, MotEta1 REAL,
  MotN2 REAL, MotI2 REAL, MotIaI2 REAL, MotEta2 REAL, MotPrice1 REAL, MotPrice2 REAL, MotKg REAL);
INSERT INTO tblMotBase VALUES
  (1, 'M71-4', 0.37, 1, 50, 2, 'B3', 2, 71, 'A', 220, 1, NULL, 1, 1, 1390, NULL, 1.1, 4.5, 68, NULL, NULL, NULL, NULL, 120.0, 130.0, 6.0),
  (2, 'M80-4', 0.75, 1, 50, 2, 'B3', 2, 80, 'B', 250, 1, NULL, 1, 1, 1400, NULL, 1.9, 5.0, 75, NULL, NULL, NULL, NULL, 150.0, 160.0, 9.0),
  (3, 'M100-4', 3.0, 1, 50, 2, 'B3', 2, 100, 'L', NULL, 1, NULL, 1, 2, 1430, NULL, 6.3, 6.5, 84, NULL, NULL, NULL, NULL, 300.0, 320.0, 22.0),
  (4, 'M80-6', 0.55, 1, 50, 2, 'B3', 3, 80, '', 250, 1, NULL, 1, 1, 920, NULL, 1.6, 4.0, 70, NULL, NULL, NULL, NULL, 140.0, 150.0, 9.5),
  (5, 'M80-2', 0.75, 1, 50, 2, 'B3', 1, 80, '', 250, 1, NULL, 1, 1, 2850, NULL, 1.7, 6.0, 77, NULL, NULL, NULL, NULL, 145.0, 155.0, 8.0),
  (6, 'M90-4/8', 1.1, 1, 50, 2, 'B3', 7, 90, 'S', 300, 2, NULL, 1, 1, 1420, 0.25, 2.6, 5.5, 78, 710, 1.2, 3.5, 60, 260.0, 280.0, 14.0),
  (7, 'M80-12', 0.25, 1, 50, 2, 'B3', 5, 80, '', 250, 1, NULL, 1, 1, 460, NULL, 1.5, 3.0, 55, NULL, NULL, NULL, NULL, 200.0, 210.0, 11.0),
  (8, 'M71-4 60', 0.37, 1, 60, 4, 'B3', 2, 71, 'A', 220, 1, NULL, 1, 1, 1680, NULL, 1.0, 4.5, 69, NULL, NULL, NULL, NULL, 125.0, 135.0, 6.0),
  (9, 'M71-4L', 0.42, 1, 50, 2, 'B3', 2, 71, 'B', 230, 1, 'EEx', 1, 1, 1395, NULL, 1.2, 4.6, 70, NULL, NULL, NULL, NULL, 128.0, 138.0, 6.5);
CREATE TABLE tblEEPolz (PolID INTEGER, PolTextP TEXT, PolP1 INTEGER, PolP2 INTEGER);
INSERT INTO tblEEPolz VALUES (1,'2',2,0),(2,'4',4,0),(3,'6',6,0),(4,'8',8,0),(5,'12',12,0),(6,'2/4',2,4),(7,'4/8',4,8);
CREATE TABLE tblEEVolt (VoltID INTEGER, VoltText TEXT, VoltPhase INTEGER, VoltNenn INTEGER, VoltHz INTEGER);
INSERT INTO tblEEVolt VALUES (1,'230',1,230,50),(2,'230/400',3,400,50),(3,'400/690',3,690,50),(4,'460',3,460,60),(5,'380',3,380,60);
CREATE TABLE tblEEFreq (FrqID INTEGER, FrqHz INTEGER);
INSERT INTO tblEEFreq VALUES (50, 50), (60, 60);
CREATE TABLE tblEEPolB (PolBID INTEGER, PolBN INTEGER);
INSERT INTO tblEEPolB VALUES (2,2900),(4,1450),(6,960),(8,720),(12,480);
CREATE TABLE tblEEIso (MisoID INTEGER, MisoKz TEXT);
INSERT INTO tblEEIso VALUES (1, 'F');
CREATE TABLE tblEEIp (IpID INTEGER, IpText TEXT);
INSERT INTO tblEEIp VALUES (1, 'IP55'), (2, 'IP65');
CREATE TABLE tblFab00 (Fab0ID INTEGER, Fab0TextS TEXT);
INSERT INTO tblFab00 VALUES (1, 'Motorwerk'), (2, NULL);
CREATE TABLE tblFanPrices (TpCode TEXT COLLATE NOCASE, TsCode TEXT COLLATE NOCASE, PrsSize INTEGER, PrsPol1 INTEGER,
  PrsKw1 REAL, PrsPol2 INTEGER, PrsKw2 REAL, CaType TEXT COLLATE NOCASE, PrsPrice1 REAL, PrsPrice2 REAL);
INSERT INTO tblFanPrices VALUES
  ('AXM-S', 'AXM', 315, 4, 0.75, 0, 0, NULL, 1.0, 1.0),
  ('AXM-S', 'AXM', 315, 4, 0.75, 0, 0, 'S', 1000.0, 1100.0),
  ('AXM-S', 'AXM', 315, 4, 1.1, 8, 0.25, 'S', 1500.0, 1600.0),
  ('AXL-S', 'AXL', 250, 2, 0.75, 0, 0, 'S', 9999.0, 9999.0),
  ('AXL-S', 'AXL', 250, 2, 0.75, 0, 0, NULL, 700.0, 750.0);
CREATE TABLE tblFanPricesM (TpCode TEXT COLLATE NOCASE, TsCode TEXT COLLATE NOCASE, PrsSize INTEGER, PrsSch INTEGER,
  PrsPrice1 REAL, PrsPrice2 REAL);
INSERT INTO tblFanPricesM VALUES ('AXM-S', 'AXM', 315, 6, 50.0, 55.0), ('AXM-S', 'AXM', 315, 9, 70.0, 75.0);
CREATE TABLE tblAccTypes (ActCode TEXT COLLATE NOCASE, ActDesc TEXT, ActDpFld TEXT COLLATE NOCASE, ActDpEqu TEXT);
INSERT INTO tblAccTypes VALUES
  ('GRD', 'Guard', 'I_DpaAc1', '0.5*[C]^2'), ('SIL', 'Silencer', 'I_DpaAc2', '2*[c]^2+10'),
  ('FLX', 'Flexible connection', NULL, NULL), ('DMP', 'Damper', 'I_DpaAc3', ''), ('FOOT', 'Feet', NULL, NULL);
CREATE TABLE tblAccData (AdID INTEGER, AdName TEXT, ActCode TEXT COLLATE NOCASE, FsID INTEGER, AdEuro1 REAL, AdEuro2 REAL);
INSERT INTO tblAccData VALUES
  (12, 'GRD-400', 'GRD', 11, 100.0, 110.0), (40, 'FLX-400', 'FLX', 11, 10.0, 11.0),
  (41, 'SIL-400', 'SIL', 11, 250.0, 260.0), (50, 'GRD-315', 'GRD', 12, 90.0, 95.0),
  (51, 'SIL-315', 'SIL', 12, 230.0, 240.0), (60, 'FOOT-ALL', 'FOOT', NULL, 20.0, 21.0),
  (70, 'CENT', 'FLX', 99, 0.005, 0.005);
