-- Aerolyx fan catalogue, SQLite form.
-- Text columns compare without regard to case (COLLATE NOCASE). The
-- PostgreSQL loader derives its schema from this file: "TEXT COLLATE NOCASE"
-- becomes CITEXT, everything else runs unchanged (see README.md).

CREATE TABLE tblFab00 (
  Fab0ID INTEGER PRIMARY KEY,
  Fab0TextS TEXT COLLATE NOCASE,
  Fab0Text TEXT COLLATE NOCASE
);
CREATE TABLE tblEEPolz (
  PolID INTEGER PRIMARY KEY,
  PolTextP TEXT COLLATE NOCASE,
  PolP1 INTEGER NOT NULL,
  PolP2 INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE tblEEPolB (
  PolBID INTEGER PRIMARY KEY,
  PolBN INTEGER NOT NULL
);
CREATE TABLE tblEEVolt (
  VoltID INTEGER PRIMARY KEY,
  VoltText TEXT COLLATE NOCASE,
  VoltPhase INTEGER,
  VoltNenn INTEGER,
  VoltHz INTEGER
);
CREATE TABLE tblEEFreq (
  FrqID INTEGER PRIMARY KEY,
  FrqHz INTEGER
);
CREATE TABLE tblEEIso (
  MisoID INTEGER PRIMARY KEY,
  MisoKz TEXT COLLATE NOCASE
);
CREATE TABLE tblEEIp (
  IpID INTEGER PRIMARY KEY,
  IpText TEXT COLLATE NOCASE
);
CREATE TABLE tblEESchalt (
  SchaID INTEGER PRIMARY KEY,
  SchaText TEXT COLLATE NOCASE
);
CREATE TABLE tblFanSeries (
  TsCode TEXT COLLATE NOCASE PRIMARY KEY,
  TsActive INTEGER NOT NULL DEFAULT 1,
  Fab0ID INTEGER,
  TsTxAdd TEXT COLLATE NOCASE,
  TsSort INTEGER
);
CREATE TABLE tblFanTypes (
  TpCode TEXT COLLATE NOCASE PRIMARY KEY,
  TpActive INTEGER NOT NULL DEFAULT 1,
  TpMotForm TEXT COLLATE NOCASE,
  TpDesc TEXT COLLATE NOCASE
);
CREATE TABLE tblFanTpSe (
  TsCode TEXT COLLATE NOCASE NOT NULL,
  TpCode TEXT COLLATE NOCASE NOT NULL,
  TsActive INTEGER NOT NULL DEFAULT 1,
  Fab0ID INTEGER,
  PRIMARY KEY (TsCode, TpCode)
);
CREATE INDEX ixFanTpSeTpCode ON tblFanTpSe (TpCode);
CREATE TABLE tblFanSizes (
  FsID INTEGER PRIMARY KEY,
  TpCode TEXT COLLATE NOCASE NOT NULL,
  FsSize INTEGER NOT NULL,
  FsSizeI DOUBLE PRECISION NOT NULL,
  FsActive INTEGER NOT NULL DEFAULT 1,
  FsMinVa DOUBLE PRECISION,
  FsMaxVa DOUBLE PRECISION,
  FsMinPa DOUBLE PRECISION,
  FsMaxPa DOUBLE PRECISION,
  FsGrdStp INTEGER,
  VartdPmin DOUBLE PRECISION,
  FsImQt INTEGER,
  FsMaxMot INTEGER
);
CREATE INDEX ixFanSizesTpCode ON tblFanSizes (TpCode, FsSize);
CREATE INDEX ixFanSizesFsSize ON tblFanSizes (FsSize);
-- One row per fan size: casing, name template, poles offered, list prices,
-- weight and dimensions. FdD10..FdD12 are comma lists by motor frame (FdMot).
CREATE TABLE tblFanData (
  FsID INTEGER PRIMARY KEY REFERENCES tblFanSizes (FsID),
  CaType TEXT COLLATE NOCASE,
  FdName TEXT COLLATE NOCASE,
  FdPoles TEXT COLLATE NOCASE,
  FdEuro1 DOUBLE PRECISION,
  FdEuro2 DOUBLE PRECISION,
  FdKg DOUBLE PRECISION,
  FdD1 INTEGER, FdD2 INTEGER, FdD3 INTEGER, FdD4 INTEGER, FdD5 INTEGER,
  FdD6 INTEGER, FdD7 INTEGER, FdD8 INTEGER, FdD9 INTEGER,
  FdD10 TEXT COLLATE NOCASE, FdD11 TEXT COLLATE NOCASE, FdD12 TEXT COLLATE NOCASE,
  FdMot TEXT COLLATE NOCASE
);
CREATE INDEX ixFanDataCaType ON tblFanData (CaType);
-- The primary key keeps the flows of one curve distinct.
CREATE TABLE tblFanCurve (
  FsID INTEGER NOT NULL REFERENCES tblFanSizes (FsID),
  FanCPz INTEGER NOT NULL,
  FanCN INTEGER NOT NULL,
  FanCM DOUBLE PRECISION NOT NULL,
  FanCPa DOUBLE PRECISION NOT NULL,
  FanCP DOUBLE PRECISION,
  FanCE DOUBLE PRECISION,
  FanCDB DOUBLE PRECISION,
  PRIMARY KEY (FsID, FanCN, FanCM)
);
CREATE TABLE tblFanNoise (
  FsID INTEGER NOT NULL REFERENCES tblFanSizes (FsID),
  NsCPz INTEGER NOT NULL,
  NdD1 DOUBLE PRECISION, NdD2 DOUBLE PRECISION, NdD3 DOUBLE PRECISION, NdD4 DOUBLE PRECISION,
  NdD5 DOUBLE PRECISION, NdD6 DOUBLE PRECISION, NdD7 DOUBLE PRECISION, NdD8 DOUBLE PRECISION,
  PRIMARY KEY (FsID, NsCPz)
);
CREATE TABLE tblFanDims (
  TdCode TEXT COLLATE NOCASE NOT NULL,
  TpCode TEXT COLLATE NOCASE NOT NULL,
  TdDims TEXT COLLATE NOCASE,
  TdIds TEXT COLLATE NOCASE,
  PRIMARY KEY (TdCode, TpCode)
);
CREATE TABLE tblFanPrices (
  PrsID INTEGER PRIMARY KEY,
  TpCode TEXT COLLATE NOCASE NOT NULL,
  TsCode TEXT COLLATE NOCASE NOT NULL,
  PrsSize INTEGER NOT NULL,
  PrsPol1 INTEGER NOT NULL,
  PrsKw1 DOUBLE PRECISION NOT NULL,
  PrsPol2 INTEGER NOT NULL DEFAULT 0,
  PrsKw2 DOUBLE PRECISION NOT NULL DEFAULT 0,
  CaType TEXT COLLATE NOCASE,
  PrsPrice1 DOUBLE PRECISION,
  PrsPrice2 DOUBLE PRECISION
);
CREATE INDEX ixFanPricesKey ON tblFanPrices (TpCode, TsCode, PrsSize, PrsPol1, PrsKw1);
CREATE TABLE tblFanPricesM (
  PrsID INTEGER PRIMARY KEY,
  TpCode TEXT COLLATE NOCASE NOT NULL,
  TsCode TEXT COLLATE NOCASE NOT NULL,
  PrsSize INTEGER NOT NULL,
  PrsSch INTEGER NOT NULL,
  PrsPrice1 DOUBLE PRECISION,
  PrsPrice2 DOUBLE PRECISION
);
CREATE INDEX ixFanPricesMKey ON tblFanPricesM (TpCode, TsCode, PrsSize, PrsSch);
-- Speed step i = 1, 2: MotN (1/min), MotP (kW), MotI (A), MotIaI (starting
-- current ratio), MotEta (%). MotPrice & n per price list.
CREATE TABLE tblMotBase (
  MotID INTEGER PRIMARY KEY,
  MotName TEXT COLLATE NOCASE,
  Fab0ID INTEGER NOT NULL REFERENCES tblFab00 (Fab0ID),
  FrqID INTEGER NOT NULL REFERENCES tblEEFreq (FrqID),
  VoltID INTEGER NOT NULL REFERENCES tblEEVolt (VoltID),
  MotForm TEXT COLLATE NOCASE NOT NULL,
  PolID INTEGER NOT NULL REFERENCES tblEEPolz (PolID),
  MotBgr INTEGER NOT NULL,
  MotBgrZ TEXT COLLATE NOCASE,
  MotLg DOUBLE PRECISION,
  SchaID INTEGER REFERENCES tblEESchalt (SchaID),
  MotExClass TEXT COLLATE NOCASE,
  MisoID INTEGER REFERENCES tblEEIso (MisoID),
  IpID INTEGER REFERENCES tblEEIp (IpID),
  MotN1 DOUBLE PRECISION, MotP1 DOUBLE PRECISION NOT NULL, MotI1 DOUBLE PRECISION,
  MotIaI1 DOUBLE PRECISION, MotEta1 DOUBLE PRECISION,
  MotN2 DOUBLE PRECISION, MotP2 DOUBLE PRECISION, MotI2 DOUBLE PRECISION,
  MotIaI2 DOUBLE PRECISION, MotEta2 DOUBLE PRECISION,
  MotPrice1 DOUBLE PRECISION,
  MotPrice2 DOUBLE PRECISION,
  MotKg DOUBLE PRECISION
);
-- One motor per power step and supply: the selection takes the first row by MotP1.
CREATE UNIQUE INDEX ixMotBaseSelect ON tblMotBase (Fab0ID, FrqID, VoltID, MotForm, PolID, MotP1);
CREATE INDEX ixMotBaseBgr ON tblMotBase (MotBgr);
CREATE INDEX ixMotBaseExClass ON tblMotBase (MotExClass);
CREATE TABLE tblAccTypes (
  ActCode TEXT COLLATE NOCASE PRIMARY KEY,
  ActDesc TEXT COLLATE NOCASE,
  ActDpFld TEXT COLLATE NOCASE,
  ActDpEqu TEXT COLLATE NOCASE,
  ActDims TEXT COLLATE NOCASE
);
CREATE INDEX ixAccTypesDpFld ON tblAccTypes (ActDpFld);
CREATE TABLE tblAccData (
  AdID INTEGER PRIMARY KEY,
  AdName TEXT COLLATE NOCASE NOT NULL,
  ActCode TEXT COLLATE NOCASE NOT NULL REFERENCES tblAccTypes (ActCode),
  FsID INTEGER REFERENCES tblFanSizes (FsID),
  AdEuro1 DOUBLE PRECISION,
  AdEuro2 DOUBLE PRECISION,
  AdKg DOUBLE PRECISION
);
CREATE INDEX ixAccDataFsID ON tblAccData (FsID, ActCode);
CREATE INDEX ixAccDataActCode ON tblAccData (ActCode);
CREATE INDEX ixAccDataAdName ON tblAccData (AdName);
CREATE TABLE tblLngTrans (
  LngID TEXT COLLATE NOCASE NOT NULL,
  TrnCode TEXT COLLATE NOCASE NOT NULL,
  TrnText TEXT COLLATE NOCASE,
  PRIMARY KEY (LngID, TrnCode)
);
CREATE INDEX ixLngTransTrnCode ON tblLngTrans (TrnCode, LngID);
-- Text tables per language, the same numbering as the language files.
CREATE TABLE tblLangEN (ID INTEGER PRIMARY KEY, Text TEXT);
CREATE TABLE tblLangDE (ID INTEGER PRIMARY KEY, Text TEXT);
CREATE TABLE tblLangIT (ID INTEGER PRIMARY KEY, Text TEXT);
-- The offerable fan sizes: active size, type, series-type pair and series.
-- Where two tables share a column name the qualified name is the column name.
CREATE VIEW abfSelectFans AS
SELECT tblFanTpSe.TsCode AS TsCode,
       tblFanSizes.TpCode AS TpCode,
       tblFanData.CaType AS CaType,
       tblFanSizes.FsSize AS FsSize,
       tblFanData.FdPoles AS FdPoles,
       tblFanSizes.FsID AS FsID,
       tblFanTpSe.Fab0ID AS "tblFanTpSe.Fab0ID",
       tblFanSeries.Fab0ID AS "tblFanSeries.Fab0ID",
       tblFanTypes.TpMotForm AS TpMotForm,
       tblFanSizes.FsMaxMot AS FsMaxMot,
       tblFanData.FdName AS FdName,
       tblFanSizes.FsImQt AS FsImQt,
       tblFanSizes.FsSizeI AS FsSizeI,
       tblFanSizes.FsGrdStp AS FsGrdStp,
       tblFanData.FdEuro1 AS FdEuro1,
       tblFanData.FdEuro2 AS FdEuro2,
       tblFanData.FdKg AS FdKg
FROM (((tblFanSizes
  INNER JOIN tblFanData ON tblFanSizes.FsID = tblFanData.FsID)
  INNER JOIN tblFanTypes ON tblFanSizes.TpCode = tblFanTypes.TpCode)
  INNER JOIN tblFanTpSe ON tblFanSizes.TpCode = tblFanTpSe.TpCode)
  INNER JOIN tblFanSeries ON tblFanTpSe.TsCode = tblFanSeries.TsCode
WHERE tblFanSizes.FsActive = 1 AND tblFanTypes.TpActive = 1
  AND tblFanTpSe.TsActive = 1 AND tblFanSeries.TsActive = 1;
