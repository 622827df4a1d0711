#pragma once
// The settings store over Palomex.ini: two primitives (read with default, write one
// value), the value conventions of the file, and the table of every key's default.

#include "app/IniFile.h"

#include <QString>

namespace palomex {

// Numbers are written as the number-to-text conversion of earlier versions wrote
// them: a leading blank for non-negative values (" 5", "-3").
QString formatNumber(long long value);
// The leading decimal number of a text (" 1000" -> 1000, "12 mm" -> 12, "x" -> 0).
double leadingNumber(const QString& text);

// The default of a key as the program ships it, or an empty text for keys that have
// none. Sections and keys are compared without case.
QString settingDefault(const QString& section, const QString& key);

class Settings {
public:
    explicit Settings(QString iniPath) : ini_(std::move(iniPath)) {}

    const QString& path() const { return ini_.path(); }

    // Read primitive: a missing or empty value yields the default; NUL characters
    // are removed, blanks trimmed and the text cut to 1999 characters.
    QString read(const QString& section, const QString& key, const QString& fallback = {}) const;
    // Like read, with the shipped default of the key.
    QString get(const QString& section, const QString& key) const;
    // Write primitive: at once, creating file and section. A failed write is not
    // reported to the user, but the file is never left half-written.
    void write(const QString& section, const QString& key, const QString& value) const;

    // Only the exact text "TRUE" counts as set.
    bool flag(const QString& section, const QString& key) const;
    void writeFlag(const QString& section, const QString& key, bool on) const;
    // The leading number, clamped to the int range so absurd values stay harmless.
    int number(const QString& section, const QString& key) const;
    void writeNumber(const QString& section, const QString& key, long long value) const;

private:
    IniFile ini_;
};

} // namespace palomex
