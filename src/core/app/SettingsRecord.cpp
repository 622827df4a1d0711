#include "app/SettingsRecord.h"

#include <algorithm>

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

QString pdfDriverToTake(const QString& stored, const QStringList& drivers) {
    if (stored.trimmed().size() > 1)
        return {};
    for (const QString& d : drivers) {
        if (d.contains(QLatin1String("Acrobat")) || d.contains(QLatin1String("PDF")))
            return d;
    }
    return {};
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

namespace palomex {

void saveSettingsRecord(const Settings& s, const SettingsRecord& r) {
    const auto num = [&](const QString& section, const char* key, long long v) {
        s.writeNumber(section, QString::fromUtf8(key), v);
    };
    const auto flag = [&](const QString& section, const char* key, bool v) {
        s.writeFlag(section, QString::fromUtf8(key), v);
    };
    const auto text = [&](const QString& section, const char* key, const QString& v) {
        s.write(section, QString::fromUtf8(key), v);
    };
    num(kE, "Sprache", r.sprache);
    if (!r.drucker.isEmpty())
        text(kD, "Drucker", r.drucker);
    num(kD, "Druckerschacht", r.druckerschacht);
    num(kD, "DruckerSkalierung", r.druckerSkalierung);
    num(kD, "Randoben", r.randOben);
    num(kD, "Randlinks", r.randLinks);
    if (!r.listendrucker.isEmpty())
        text(kD, "Listendrucker", r.listendrucker);
    num(kE, "Etikettentyp", r.etikettentyp);
    if (!r.schriftart.isEmpty())
        text(kE, "Schriftart", r.schriftart);
    num(kE, "Linienstärke", r.linienstaerke);
    num(kE, "Strichbreitenreduktion", r.strichbreitenreduktion);
    num(kE, "TabWeite", r.tabWeite);
    num(kE, "Zeilenabstand", r.zeilenabstand);
    num(kE, "Seitenanzahl", std::max(1, r.seitenanzahl));
    flag(kE, "LetztDatei", r.letztDatei);
    flag(QStringLiteral("Vorschau"), "RasterLinien", r.rasterLinien);
    flag(kE, "AutoSpeichern", r.autoSpeichern);
    flag(kE, "SpeichernFrage", r.speichernFrage);
    flag(kE, "Autovervollständigen", r.autovervollstaendigen);
    num(kE, "FelderMarkier", r.felderMarkier);
    num(kE, "VergrFaktor", r.vergrFaktor);
    text(kD, "PDFTreiber", r.pdfTreiber);
    const qsizetype close = r.dbCharge.indexOf(QLatin1Char(')'));
    text(kE, "DB_Charge", close < 0 ? r.dbCharge : r.dbCharge.left(close + 1));
    num(kE, "Hintergrundfarbe", r.hintergrundfarbe);
    num(kE, "Feldfarbe", r.feldfarbe);
    num(kE, "Prog_Schriftgröße", r.progSchriftgroesse);
    num(kS, "ScanVerhalten", r.scanVerhalten);
    num(kS, "ScanEnde", r.scanEnde);
    text(kS, "Scan_DBListe", r.scanDBListe);
    text(kS, "FNC1_Identifier", r.fnc1Identifier);
    text(kS, "FNC1_Trenner", r.fnc1Trenner);
    text(kS, "Barcode_Identifier", r.barcodeIdentifier);
    for (int i = 0; i < 5; ++i) {
        const QString n = QString::number(i);
        s.writeNumber(kS, QStringLiteral("Stelle_von") + n, r.stellen[i].von);
        s.writeNumber(kS, QStringLiteral("Stelle_bis") + n, r.stellen[i].bis);
        s.writeNumber(kS, QStringLiteral("Stelle_DB") + n, r.stellen[i].db);
    }
}

QString scanListSetting(const QStringList& chosenEntries) {
    QString out;
    for (const QString& e : chosenEntries) {
        const qsizetype open = e.indexOf(QLatin1Char('('));
        const qsizetype close = e.indexOf(QLatin1Char(')'));
        if (open >= 0 && close > open)
            out += e.mid(open + 1, close - open - 1) + QLatin1Char('|');
    }
    return out.trimmed();
}

namespace {
QString scanEntryStart(const QString& identifier) {
    return QLatin1Char('(') + identifier + QLatin1Char(')');
}
} // namespace

QList<int> scanListSelection(const QString& setting, const QStringList& entries) {
    QList<int> out;
    if (setting.isEmpty()) {
        for (int i = 0; i < entries.size(); ++i)
            out << i;
        return out;
    }
    for (const QString& part : setting.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        for (int i = 0; i < entries.size(); ++i) {
            if (entries[i].startsWith(scanEntryStart(part)) && !out.contains(i))
                out << i;
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

QStringList unlistedScanEntries(const QString& setting, const QStringList& entries) {
    QStringList out;
    for (const QString& part : setting.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QString start = scanEntryStart(part);
        if (std::none_of(entries.begin(), entries.end(),
                         [&](const QString& e) { return e.startsWith(start); }))
            out << start;
    }
    return out;
}

int dialogFontPoints(int index) {
    return index >= 0 && index <= 5 ? 7 + index : 10;
}

} // namespace palomex
