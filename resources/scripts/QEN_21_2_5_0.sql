-- =============================================================================
-- Aktualizacja bazy systemu Qen do wersji 21.2.5.0.
-- Skrypt jest pe³ny dla swojej wersji: usuwa i tworzy na nowo procedury, funkcje
-- i wyzwalacze, zak³ada brakuj¹ce tabele i kolumny oraz uzupe³nia wiersze.
-- Program aktualizacji wykonuje go w jednej transakcji, operacja po operacji.
-- Zmiana w tej wersji: parametr ZAOKRAGLENIE (liczba miejsc po przecinku kwot).
-- =============================================================================

-- Skrypt dzia³a tylko na bazie w wersji poprzedniej albo w³asnej (ponowne wykonanie).
DECLARE @WERSJA_BAZY T_KONFIG_QZ_WARTOSC
DECLARE @WERSJA_SKRYPTU T_KONFIG_QZ_WARTOSC
DECLARE @WERSJA_POPRZEDNIA T_KONFIG_QZ_WARTOSC
DECLARE @KOMUNIKAT VARCHAR(255)

SET @WERSJA_SKRYPTU = '21.2.5.0'
SET @WERSJA_POPRZEDNIA = '21.1.6.0'

SELECT @WERSJA_BAZY = LTRIM(RTRIM(wartosc))
  FROM konfig_qz
 WHERE grupa = 'WERSJE'
   AND nazwa = 'ZURQZ_WERSJA'
IF @WERSJA_BAZY IS NULL
  SET @WERSJA_BAZY = '0.0.0.0'

IF @WERSJA_BAZY NOT IN (LTRIM(RTRIM(@WERSJA_SKRYPTU)), LTRIM(RTRIM(@WERSJA_POPRZEDNIA)))
BEGIN
  SET @KOMUNIKAT = 'Wersja systemu: ' + @WERSJA_BAZY + CHAR(13) + CHAR(10)
    + 'Aktualizacja jest przeznaczona dla wersji ' + @WERSJA_POPRZEDNIA
  -- Komunikat jako argument: znak % w zapisanej wersji nie mo¿e byæ brany za format.
  RAISERROR('%s', 16, 1, @KOMUNIKAT)
END
GO

-- Tabela qen_dziennik_zdarzen: dziennik zdarzeñ bazy (aktualizacje, zmiany parametrów).
IF OBJECT_ID(N'dbo.qen_dziennik_zdarzen') IS NULL
  CREATE TABLE dbo.qen_dziennik_zdarzen (
    id          INT IDENTITY(1, 1) NOT NULL CONSTRAINT pk_qen_dziennik_zdarzen PRIMARY KEY,
    data        DATETIME      NOT NULL CONSTRAINT df_qen_dziennik_zdarzen_data DEFAULT (GETDATE()),
    uzytkownik  NVARCHAR(128) NOT NULL CONSTRAINT df_qen_dziennik_zdarzen_uzytkownik DEFAULT (SUSER_SNAME()),
    opis        VARCHAR(255)  NOT NULL,
    komputer    NVARCHAR(128) NULL CONSTRAINT df_qen_dziennik_zdarzen_komputer DEFAULT (HOST_NAME())
  )
GO

-- Od wersji 20.1.1.0 dziennik zapisuje komputer; wpisy sprzed niej maj¹ tu NULL.
IF COL_LENGTH(N'dbo.qen_dziennik_zdarzen', N'komputer') IS NULL
  ALTER TABLE dbo.qen_dziennik_zdarzen
    ADD komputer NVARCHAR(128) NULL CONSTRAINT df_qen_dziennik_zdarzen_komputer DEFAULT (HOST_NAME())
GO

-- Tabela qen_parametry: parametry dzia³ania systemu, zmieniane przez u¿ytkownika.
IF OBJECT_ID(N'dbo.qen_parametry') IS NULL
  CREATE TABLE dbo.qen_parametry (
    nazwa    VARCHAR(50)  NOT NULL CONSTRAINT pk_qen_parametry PRIMARY KEY,
    wartosc  VARCHAR(255) NOT NULL,
    opis     VARCHAR(255) NULL
  )
GO

-- Tabela qen_waluty: s³ownik walut.
IF OBJECT_ID(N'dbo.qen_waluty') IS NULL
  CREATE TABLE dbo.qen_waluty (
    kod    CHAR(3)     NOT NULL CONSTRAINT pk_qen_waluty PRIMARY KEY,
    nazwa  VARCHAR(50) NOT NULL
  )
GO

-- Funkcja fn_WERSJA_MS_SQL: wersja serwera jako rok wydania.
IF OBJECT_ID(N'dbo.fn_WERSJA_MS_SQL') IS NOT NULL
  DROP FUNCTION dbo.fn_WERSJA_MS_SQL
GO

CREATE FUNCTION dbo.fn_WERSJA_MS_SQL()
RETURNS INT
-- 'C810A5C6-2053-412E-8618-652E1868305B'
AS
BEGIN
  DECLARE @WERSJA VARCHAR(128)
  DECLARE @KROPKA INT
  DECLARE @GLOWNA VARCHAR(128)

  SET @WERSJA = CAST(SERVERPROPERTY('ProductVersion') AS VARCHAR(128))
  SET @KROPKA = CHARINDEX('.', @WERSJA)
  IF @KROPKA > 1
    SET @GLOWNA = LEFT(@WERSJA, @KROPKA - 1)
  ELSE
    SET @GLOWNA = @WERSJA

  -- Numer g³ówny porównywany jako tekst: nieznany (tak¿e nieliczbowy) daje 9999.
  RETURN CASE @GLOWNA
           WHEN '8' THEN 2000
           WHEN '9' THEN 2005
           WHEN '10' THEN 2008
           WHEN '11' THEN 2012
           WHEN '12' THEN 2014
           WHEN '13' THEN 2016
           WHEN '14' THEN 2017
           WHEN '15' THEN 2019
           WHEN '16' THEN 2022
           ELSE 9999
         END
END
GO

-- Procedura pc_QEN_AKTUALIZACJA: czy po³¹czenie nale¿y do programu aktualizacji.
-- Program zapisuje w tabeli tymczasowej po³¹czenia #WA_OPCJE_TMP wiersz
-- Qen_AKTUALIZACJA o wartoœci 'T'.
IF OBJECT_ID(N'dbo.pc_QEN_AKTUALIZACJA') IS NOT NULL
  DROP PROCEDURE dbo.pc_QEN_AKTUALIZACJA
GO

CREATE PROCEDURE dbo.pc_QEN_AKTUALIZACJA
  @AKTUALIZACJA CHAR(1) OUTPUT
-- 'C810A5C6-2053-412E-8618-652E1868305B'
AS
BEGIN
  SET NOCOUNT ON
  DECLARE @ILE INT
  DECLARE @WARTOSC VARCHAR(8000)

  SET @AKTUALIZACJA = NULL
  IF OBJECT_ID(N'tempdb..#WA_OPCJE_TMP') IS NULL
  BEGIN
    SET @AKTUALIZACJA = 'N'
    RETURN 0
  END

  SELECT @ILE = COUNT(*), @WARTOSC = MAX(WARTOSC)
    FROM #WA_OPCJE_TMP
   WHERE NAZWA = 'Qen_AKTUALIZACJA'

  IF @ILE = 0
    SET @AKTUALIZACJA = 'N'
  ELSE IF @ILE > 1
  BEGIN
    RAISERROR('Tabela #WA_OPCJE_TMP zawiera %d wierszy Qen_AKTUALIZACJA zamiast jednego.', 16, 1, @ILE)
    RETURN 1
  END
  ELSE IF @WARTOSC = 'T'
    SET @AKTUALIZACJA = 'T'
  ELSE
  BEGIN
    RAISERROR('Niepoprawna wartoœæ opcji Qen_AKTUALIZACJA w tabeli #WA_OPCJE_TMP: "%s".', 16, 1, @WARTOSC)
    RETURN 1
  END
  RETURN 0
END
GO

-- Procedura pc_QEN_ZAPISZ_ZDARZENIE: wpis w dzienniku zdarzeñ. B³¹d zapisu
-- wraca z opisem, sk¹d pochodzi (TRY...CATCH, dlatego tylko od SQL Server 2005).
IF OBJECT_ID(N'dbo.pc_QEN_ZAPISZ_ZDARZENIE') IS NOT NULL
  DROP PROCEDURE dbo.pc_QEN_ZAPISZ_ZDARZENIE
GO

CREATE PROCEDURE dbo.pc_QEN_ZAPISZ_ZDARZENIE
  @OPIS VARCHAR(255)
-- 'C810A5C6-2053-412E-8618-652E1868305B'
-- $MIN_SQL_2005
AS
BEGIN
  SET NOCOUNT ON
  DECLARE @KOMUNIKAT NVARCHAR(2048)

  BEGIN TRY
    INSERT INTO dbo.qen_dziennik_zdarzen (opis) VALUES (@OPIS)
  END TRY
  BEGIN CATCH
    SET @KOMUNIKAT = N'Nie uda³o siê zapisaæ zdarzenia w dzienniku: ' + ERROR_MESSAGE()
    RAISERROR(N'%s', 16, 1, @KOMUNIKAT)
  END CATCH
END
GO

-- Funkcja fn_QEN_PARAMETR: wartoœæ parametru albo NULL, gdy go nie ma.
IF OBJECT_ID(N'dbo.fn_QEN_PARAMETR') IS NOT NULL
  DROP FUNCTION dbo.fn_QEN_PARAMETR
GO

CREATE FUNCTION dbo.fn_QEN_PARAMETR(@NAZWA VARCHAR(50))
RETURNS VARCHAR(255)
-- 'C810A5C6-2053-412E-8618-652E1868305B'
AS
BEGIN
  DECLARE @WARTOSC VARCHAR(255)
  SELECT @WARTOSC = wartosc
    FROM dbo.qen_parametry
   WHERE nazwa = @NAZWA
  RETURN @WARTOSC
END
GO

-- Wyzwalacz tr_qen_parametry_zmiana: nowy parametr i zmiana wartoœci trafiaj¹
-- do dziennika zdarzeñ.
IF OBJECT_ID(N'dbo.tr_qen_parametry_zmiana') IS NOT NULL
  DROP TRIGGER dbo.tr_qen_parametry_zmiana
GO

CREATE TRIGGER dbo.tr_qen_parametry_zmiana ON dbo.qen_parametry
-- 'C810A5C6-2053-412E-8618-652E1868305B'
AFTER INSERT, UPDATE
AS
BEGIN
  SET NOCOUNT ON
  INSERT INTO dbo.qen_dziennik_zdarzen (opis)
  SELECT LEFT('Parametr ' + i.nazwa + ': ' + ISNULL(d.wartosc, '(brak)') + ' -> ' + i.wartosc, 255)
    FROM inserted i
    LEFT JOIN deleted d ON d.nazwa = i.nazwa
   WHERE d.nazwa IS NULL
      OR d.wartosc <> i.wartosc
END
GO

-- Procedura pc_QEN_USUN_STARE_ZDARZENIA: usuwa z dziennika wpisy starsze ni¿
-- parametr DNI_DZIENNIKA.
IF OBJECT_ID(N'dbo.pc_QEN_USUN_STARE_ZDARZENIA') IS NOT NULL
  DROP PROCEDURE dbo.pc_QEN_USUN_STARE_ZDARZENIA
GO

CREATE PROCEDURE dbo.pc_QEN_USUN_STARE_ZDARZENIA
-- 'C810A5C6-2053-412E-8618-652E1868305B'
AS
BEGIN
  SET NOCOUNT ON
  DECLARE @DNI INT

  -- Bez parametru dziennik przechowuje wpisy przez rok.
  SET @DNI = CAST(ISNULL(dbo.fn_QEN_PARAMETR('DNI_DZIENNIKA'), '365') AS INT)
  DELETE FROM dbo.qen_dziennik_zdarzen
   WHERE data < DATEADD(day, -@DNI, GETDATE())
END
GO

-- Wiersze konfiguracji grupy QEN. Wartoœæ wybrana przez u¿ytkownika zostaje,
-- brakuj¹cy wiersz dostaje wartoœæ domyœln¹.
IF NOT EXISTS (SELECT 1 FROM konfig_qz WHERE grupa = 'QEN' AND nazwa = 'KOD_KRAJU')
  INSERT INTO konfig_qz (grupa, nazwa, wartosc) VALUES ('QEN', 'KOD_KRAJU', 'PL')
IF NOT EXISTS (SELECT 1 FROM konfig_qz WHERE grupa = 'QEN' AND nazwa = 'WALUTA')
  INSERT INTO konfig_qz (grupa, nazwa, wartosc) VALUES ('QEN', 'WALUTA', 'PLN')
GO

-- Parametry systemu: wartoœæ ustawiona przez u¿ytkownika zostaje, opis jest
-- zawsze opisem tej wersji.
IF EXISTS (SELECT 1 FROM dbo.qen_parametry WHERE nazwa = 'DNI_DZIENNIKA')
  UPDATE dbo.qen_parametry
     SET opis = 'Liczba dni, przez które dziennik zdarzeñ przechowuje wpisy'
   WHERE nazwa = 'DNI_DZIENNIKA'
ELSE
  INSERT INTO dbo.qen_parametry (nazwa, wartosc, opis)
  VALUES ('DNI_DZIENNIKA', '365', 'Liczba dni, przez które dziennik zdarzeñ przechowuje wpisy')
IF EXISTS (SELECT 1 FROM dbo.qen_parametry WHERE nazwa = 'ZAOKRAGLENIE')
  UPDATE dbo.qen_parametry
     SET opis = 'Liczba miejsc po przecinku, do której zaokr¹gla siê kwoty'
   WHERE nazwa = 'ZAOKRAGLENIE'
ELSE
  INSERT INTO dbo.qen_parametry (nazwa, wartosc, opis)
  VALUES ('ZAOKRAGLENIE', '2', 'Liczba miejsc po przecinku, do której zaokr¹gla siê kwoty')
GO

-- S³ownik walut w stanie tej wersji.
IF EXISTS (SELECT 1 FROM dbo.qen_waluty WHERE kod = 'PLN')
  UPDATE dbo.qen_waluty SET nazwa = 'z³oty polski' WHERE kod = 'PLN'
ELSE
  INSERT INTO dbo.qen_waluty (kod, nazwa) VALUES ('PLN', 'z³oty polski')
IF EXISTS (SELECT 1 FROM dbo.qen_waluty WHERE kod = 'EUR')
  UPDATE dbo.qen_waluty SET nazwa = 'euro' WHERE kod = 'EUR'
ELSE
  INSERT INTO dbo.qen_waluty (kod, nazwa) VALUES ('EUR', 'euro')
IF EXISTS (SELECT 1 FROM dbo.qen_waluty WHERE kod = 'USD')
  UPDATE dbo.qen_waluty SET nazwa = 'dolar amerykañski' WHERE kod = 'USD'
ELSE
  INSERT INTO dbo.qen_waluty (kod, nazwa) VALUES ('USD', 'dolar amerykañski')
GO

-- Wpis o aktualizacji w dzienniku zdarzeñ.
INSERT INTO dbo.qen_dziennik_zdarzen (opis)
VALUES ('Aktualizacja bazy do wersji 21.2.5.0')
GO

-- Zapis nowej wersji systemu. B³¹d albo liczba zmienionych wierszy inna ni¿ jeden
-- przerywa aktualizacjê, a program wycofuje ca³¹ wersjê.
DECLARE @BLAD INT
DECLARE @ILE INT

UPDATE konfig_qz
   SET wartosc = '21.2.5.0'
 WHERE grupa = 'WERSJE'
   AND nazwa = 'ZURQZ_WERSJA'
SELECT @BLAD = @@ERROR, @ILE = @@ROWCOUNT
IF @BLAD <> 0 OR @ILE <> 1
  RAISERROR('Nie uda³o siê zapisaæ wersji systemu 21.2.5.0 (b³¹d %d, zmienione wiersze: %d).', 16, 1, @BLAD, @ILE)
GO
