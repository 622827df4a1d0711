#include "app/SettingsRecord.h"

namespace palomex {

namespace {
const QString kE = QStringLiteral("Einstellungen");
const QString kD = QStringLiteral("Drucker");
const QString kS = QStringLiteral("Scannen");
} // namespace

int clampWindowEdge(int stored, int screenExtent) {
    const double limit = 0.8 * screenExtent;
    return stored < limit ? stored : static_cast<int>(limit);
}

int languageOffset(const QString& sprache) {
    return static_cast<int>(leadingNumber(sprache.trimmed().left(4)));
}

SettingsRecord loadSettingsRecord(const Settings& s) {
    SettingsRecord r;
    r.left = s.number(kE, QStringLiteral("Left"));
    r.top = s.number(kE, QStringLiteral("Top"));
    r.sprache = languageOffset(s.get(kE, QStringLiteral("Sprache")));
    r.benutzername = s.get(kE, QStringLiteral("Benutzername"));
    r.etikettenformat = s.number(kE, QStringLiteral("Etikettenformat"));
    r.etikettentyp = s.number(kE, QStringLiteral("Etikettentyp"));
    r.schriftart = s.get(kE, QStringLiteral("Schriftart"));
    r.linienstaerke = s.number(kE, QStringLiteral("Linienstärke"));
    r.seitenanzahl = std::max(1, s.number(kE, QStringLiteral("Seitenanzahl")));
    r.letztDatei = s.flag(kE, QStringLiteral("LetztDatei"));
    r.recentEtik = s.get(kE, QStringLiteral("RecentEtik"));
    r.autoSpeichern = s.flag(kE, QStringLiteral("AutoSpeichern"));
    r.speichernFrage = s.flag(kE, QStringLiteral("SpeichernFrage"));
    r.autovervollstaendigen = s.flag(kE, QStringLiteral("Autovervollständigen"));
    r.felderMarkier = s.number(kE, QStringLiteral("FelderMarkier"));
    r.vergrFaktor = s.number(kE, QStringLiteral("VergrFaktor"));
    r.autoNVE = s.number(kE, QStringLiteral("AutoNVE"));
    r.dbCharge = s.get(kE, QStringLiteral("DB_Charge"));
    r.hintergrundfarbe = s.number(kE, QStringLiteral("Hintergrundfarbe"));
    r.feldfarbe = s.number(kE, QStringLiteral("Feldfarbe"));
    r.progSchriftgroesse = s.number(kE, QStringLiteral("Prog_Schriftgröße"));
    r.tabWeite = s.number(kE, QStringLiteral("TabWeite"));
    r.zeilenabstand = s.number(kE, QStringLiteral("Zeilenabstand"));
    r.strichbreitenreduktion = s.number(kE, QStringLiteral("Strichbreitenreduktion"));
    r.comboHinweis = s.flag(kE, QStringLiteral("ComboHinweis"));
    r.mehrbenutzerpfad = s.get(kE, QStringLiteral("Mehrbenutzerpfad"));
    r.drucker = s.get(kD, QStringLiteral("Drucker"));
    r.druckerschacht = s.number(kD, QStringLiteral("Druckerschacht"));
    r.druckerSkalierung = s.number(kD, QStringLiteral("DruckerSkalierung"));
    r.randOben = s.number(kD, QStringLiteral("Randoben"));
    r.randLinks = s.number(kD, QStringLiteral("Randlinks"));
    r.listendrucker = s.get(kD, QStringLiteral("Listendrucker"));
    r.pdfTreiber = s.get(kD, QStringLiteral("PDFTreiber"));
    r.rasterLinien = s.flag(QStringLiteral("Vorschau"), QStringLiteral("RasterLinien"));
    r.scanVerhalten = s.number(kS, QStringLiteral("ScanVerhalten"));
    r.scanEnde = s.number(kS, QStringLiteral("ScanEnde"));
    r.scanDBListe = s.get(kS, QStringLiteral("Scan_DBListe"));
    r.fnc1Identifier = s.get(kS, QStringLiteral("FNC1_Identifier"));
    r.fnc1Trenner = s.get(kS, QStringLiteral("FNC1_Trenner"));
    r.barcodeIdentifier = s.get(kS, QStringLiteral("Barcode_Identifier"));
    for (int i = 0; i < 5; ++i) {
        const QString n = QString::number(i);
        r.stellen[i].von = s.number(kS, QStringLiteral("Stelle_von") + n);
        r.stellen[i].bis = s.number(kS, QStringLiteral("Stelle_bis") + n);
        r.stellen[i].db = s.number(kS, QStringLiteral("Stelle_DB") + n);
    }
    return r;
}

} // namespace palomex
