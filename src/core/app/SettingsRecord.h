#pragma once
// The program-wide settings record: what the settings dialog shows and edits,
// filled once at start-up from Palomex.ini.

#include "app/Settings.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

namespace palomex {

struct ScanPositionRow {
    int von = 0;
    int bis = 0;
    int db = 0;
};

struct SettingsRecord {
    // Einstellungen
    int left = 200;
    int top = 1200;
    int sprache = 0; // caption offset: 0 German, 1000 English
    QString benutzername = QStringLiteral("Etiketten");
    int etikettenformat = 1;
    int etikettentyp = 0;
    QString schriftart = QStringLiteral("Etikettenschrift");
    int linienstaerke = 5;
    int seitenanzahl = 1;
    bool letztDatei = true;
    QString recentEtik;
    bool autoSpeichern = false;
    bool speichernFrage = false;
    bool autovervollstaendigen = false;
    int felderMarkier = 0;
    int vergrFaktor = 0;
    int autoNVE = 0;
    QString dbCharge;
    int hintergrundfarbe = 13303807;
    int feldfarbe = 16777215;
    int progSchriftgroesse = 1;
    int tabWeite = 20;
    int zeilenabstand = 100;
    int strichbreitenreduktion = 0;
    bool comboHinweis = true;
    QString mehrbenutzerpfad;
    // Drucker
    QString drucker;
    int druckerschacht = 1;
    int druckerSkalierung = 100;
    int randOben = 0;
    int randLinks = 0;
    QString listendrucker;
    QString pdfTreiber;
    // Vorschau
    bool rasterLinien = true;
    // Scannen
    int scanVerhalten = 0;
    int scanEnde = 0;
    QString scanDBListe;
    QString fnc1Identifier;
    QString fnc1Trenner;
    QString barcodeIdentifier;
    std::array<ScanPositionRow, 5> stellen{};
};

// The point size of the dialog fields for a `Prog_Schriftgröße` list index ("7" to
// "12"); anything else reads as the usual 10 points.
int dialogFontPoints(int index);

// Reads every value of the record; missing or malformed values give the defaults.
SettingsRecord loadSettingsRecord(const Settings& settings);

// The stored window edge, kept on screen: values from 0.8 of the screen extent on
// are pulled back to 0.8 of it.
int clampWindowEdge(int stored, int screenExtent);

// The PDF driver to take at start-up when the stored one is at most one character
// long: the first of the drivers whose name contains "Acrobat" or "PDF"; empty to
// keep the stored value.
QString pdfDriverToTake(const QString& stored, const QStringList& drivers);

// The caption offset of a "Sprache" value: its first four characters, read as a number.
int languageOffset(const QString& sprache);

} // namespace palomex

namespace palomex {

// Writes every key of the record the way the settings dialog stores them on OK
// (page count at least 1, flags "TRUE"/"FALSE", numbers with the leading blank).
void saveSettingsRecord(const Settings& settings, const SettingsRecord& record);

// "Scan_DBListe" from the chosen identifier entries: the text between "(" and ")"
// of each, followed by "|".
QString scanListSetting(const QStringList& chosenEntries);
// The entries of the scan list that a "Scan_DBListe" value selects; empty selects all.
QList<int> scanListSelection(const QString& setting, const QStringList& entries);
// The identifiers of a "Scan_DBListe" value that no entry of the list carries, each as
// "(" digits ")": a list in another language may lack them, and they are not dropped.
QStringList unlistedScanEntries(const QString& setting, const QStringList& entries);

} // namespace palomex
