#pragma once
// The values of the expression language: an untyped variant as the import
// expressions have always used, with its conversions under German regional
// settings (decimal comma, day.month.year dates, "Wahr"/"Falsch").

#include <QDateTime>
#include <QString>
#include <optional>

namespace palomex::script {

// Dates are held as the traditional serial number: days since 1899-12-30, the
// fraction being the time of day. That keeps date arithmetic plain addition.
struct Value {
    enum class Type { Empty, Boolean, Number, String, Date };
    Type type = Type::Empty;
    double number = 0; // Boolean (-1 true / 0 false), Number and Date
    QString text;      // String

    static Value empty() { return {}; }
    static Value boolean(bool b) { return {Type::Boolean, b ? -1.0 : 0.0, {}}; }
    static Value num(double d) { return {Type::Number, d, {}}; }
    static Value str(QString s) { return {Type::String, 0, std::move(s)}; }
    static Value date(double serial) { return {Type::Date, serial, {}}; }
};

double serialFromDateTime(const QDateTime& dt);
QDateTime dateTimeFromSerial(double serial);

// Number in the German form: decimal comma, no grouping, at most 15 significant digits.
QString formatNumber(double d);
// "dd.MM.yyyy", "HH:mm:ss" or both, depending on which parts the serial has.
QString formatDate(double serial);

// Reads "1234,5", "1.234,5", "3.5" and " 7 "; nothing for text that is no number.
std::optional<double> parseNumber(const QString& s);
// Reads "06.12.2026", "6.12.26", "2026-12-06", each with an optional "HH:mm[:ss]",
// or a time alone.
std::optional<double> parseDate(const QString& s);

// Banker's rounding, as the language's Round does.
double roundHalfEven(double d, int decimals = 0);

} // namespace palomex::script
