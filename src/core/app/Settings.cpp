#include "app/Settings.h"

#include <QHash>

#include <array>
#include <cmath>
#include <limits>

namespace palomex {

namespace {

struct Default {
    const char* section;
    const char* key;
    const char* value;
};

// Keys whose default is the empty text are listed too, so the table is the one
// place that names every key the program reads.
constexpr std::array kDefaults = std::to_array<Default>({
    {"Einstellungen", "Left", "200"},
    {"Einstellungen", "Top", "1200"},
    {"Einstellungen", "Sprache", "0000"},
    {"Einstellungen", "Benutzername", "Etiketten"},
    {"Einstellungen", "Etikettenformat", "1"},
    {"Einstellungen", "Etikettentyp", "0"},
    {"Einstellungen", "Schriftart", "Etikettenschrift"},
    {"Einstellungen", "Linienstärke", "5"},
    {"Einstellungen", "Seitenanzahl", "1"},
    {"Einstellungen", "LetztDatei", "TRUE"},
    {"Einstellungen", "RecentEtik", ""},
    {"Einstellungen", "AutoSpeichern", "FALSE"},
    {"Einstellungen", "SpeichernFrage", "FALSE"},
    {"Einstellungen", "Autovervollständigen", "FALSE"},
    {"Einstellungen", "FelderMarkier", "0"},
    {"Einstellungen", "VergrFaktor", "0"},
    {"Einstellungen", "AutoNVE", "0"},
    {"Einstellungen", "DB_Charge", ""},
    {"Einstellungen", "Hintergrundfarbe", "13303807"},
    {"Einstellungen", "Feldfarbe", "16777215"},
    {"Einstellungen", "Prog_Schriftgröße", "1"},
    {"Einstellungen", "TabWeite", "20"},
    {"Einstellungen", "Zeilenabstand", "100"},
    {"Einstellungen", "Strichbreitenreduktion", "0"},
    {"Einstellungen", "ComboHinweis", "TRUE"},
    {"Einstellungen", "Mehrbenutzerpfad", ""},
    {"Einstellungen", "Update", "FALSE"},
    {"Drucker", "Drucker", ""},
    {"Drucker", "Druckerschacht", "1"},
    {"Drucker", "DruckerSkalierung", "100"},
    {"Drucker", "Randoben", "0"},
    {"Drucker", "Randlinks", "0"},
    {"Drucker", "Listendrucker", ""},
    {"Drucker", "PDFTreiber", ""},
    {"Vorschau", "RasterLinien", "TRUE"},
    {"Vorschau", "Left", "0"},
    {"Vorschau", "Top", "0"},
    {"Vorschau", "Width", "6396"},
    {"Vorschau", "Height", "8760"},
    {"Vorschau", "Zoom", "1"},
    {"Vorschau", "HScroll1", "0"},
    {"Vorschau", "VScroll1", "0"},
    {"Scannen", "ScanVerhalten", "0"},
    {"Scannen", "ScanEnde", "0"},
    {"Scannen", "Scan_DBListe", ""},
    {"Scannen", "FNC1_Identifier", ""},
    {"Scannen", "FNC1_Trenner", ""},
    {"Scannen", "Barcode_Identifier", ""},
    {"Protokoll", "Protokollaufz", "TRUE"},
    {"Protokoll", "Absender", ""},
    {"Protokoll", "Empfänger", ""},
    {"Protokoll", "von_NVE", ""},
    {"Protokoll", "bis_NVE", ""},
    {"Protokoll", "DatenCombo", ""},
    {"Protokoll", "DatenText", ""},
    {"Protokoll", "Datum_von", ""},
    {"Protokoll", "Datum_bis", ""},
    {"Protokoll", "Reihenfolge", "0"},
    {"Protokoll", "Detailliste", "FALSE"},
    {"Protokoll", "Liste", "0"},
    {"Protokoll", "Top", "2000"},
    {"Protokoll", "Left", "1000"},
    {"Protokoll", "Height", "6096"},
    {"Protokoll", "Width", "8784"},
    {"Protokoll", "Exportdatei", ""},
    {"EtikOpen", "Width", "4000"},
    {"EtikOpen", "Height", "4000"},
    {"Datenimport", "ImportDatei", ""},
    {"Datenimport", "ImportTabelle", ""},
    {"Datenimport", "ImportEtikett", ""},
});

constexpr int kValueLimit = 1999;

} // namespace

QString formatNumber(long long value) {
    const QString digits = QString::number(value);
    return value < 0 ? digits : QLatin1Char(' ') + digits;
}

double leadingNumber(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    const qsizetype digitsFrom = i;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 0x80)
        ++i;
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        ++i;
        while (i < t.size() && t[i].isDigit() && t[i].unicode() < 0x80)
            ++i;
    }
    if (i == digitsFrom)
        return 0;
    bool ok = false;
    const double v = t.left(i).toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0;
}

QString settingDefault(const QString& section, const QString& key) {
    // Every setting read asks here; the table is indexed once, by its names folded
    // to one case, as the file's names are matched whatever their case.
    const auto folded = [](QStringView section, QStringView key) {
        return section.toString().toCaseFolded() + QLatin1Char('\n') +
               key.toString().toCaseFolded();
    };
    static const QHash<QString, const char*> index = [&] {
        QHash<QString, const char*> h;
        for (const Default& d : kDefaults)
            h.insert(folded(QString::fromUtf8(d.section), QString::fromUtf8(d.key)), d.value);
        return h;
    }();
    const auto it = index.constFind(folded(section, key));
    return it == index.constEnd() ? QString() : QString::fromUtf8(*it);
}

QString Settings::read(const QString& section, const QString& key, const QString& fallback) const {
    QString v = ini_.value(section, key).value_or(QString());
    v.remove(QChar(0));
    v = v.left(kValueLimit).trimmed();
    return v.isEmpty() ? fallback : v;
}

QString Settings::get(const QString& section, const QString& key) const {
    return read(section, key, settingDefault(section, key));
}

void Settings::write(const QString& section, const QString& key, const QString& value) const {
    ini_.setValue(section, key, value);
}

bool Settings::flag(const QString& section, const QString& key) const {
    return get(section, key) == QLatin1String("TRUE");
}

void Settings::writeFlag(const QString& section, const QString& key, bool on) const {
    write(section, key, on ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
}

int Settings::number(const QString& section, const QString& key) const {
    const double v = leadingNumber(get(section, key));
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    return static_cast<int>(v < lo ? lo : (v > hi ? hi : v));
}

void Settings::writeNumber(const QString& section, const QString& key, long long value) const {
    write(section, key, formatNumber(value));
}

} // namespace palomex
