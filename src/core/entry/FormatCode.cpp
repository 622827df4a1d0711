#include "entry/FormatCode.h"

namespace palomex {

std::optional<FormatCode> FormatCode::parse(QStringView code) {
    FormatCode f;
    f.text = code.toString();
    bool typeLetter = false;
    bool lengthSeen = false;
    QString digits;
    for (const QChar c : code) {
        if (c == QLatin1Char(' '))
            continue;
        if (lengthSeen) {
            if (!c.isDigit())
                return std::nullopt;
            digits.append(c);
            continue;
        }
        if (c == QLatin1Char('=') || c == mark::Ellipsis) {
            lengthSeen = true;
            f.fixedLength = c == QLatin1Char('=');
        } else if (typeLetter) {
            return std::nullopt; // nothing but the length part may follow the type letter
        } else if (c == QLatin1Char('N') || c == QLatin1Char('A')) {
            typeLetter = true;
            if (f.type == Type::Date || f.type == Type::Decimal)
                return std::nullopt;
            f.type = c == QLatin1Char('N') ? Type::Numeric : Type::Alphanumeric;
        } else if (c == mark::Date) {
            f.type = Type::Date;
        } else if (c == mark::Decimal) {
            f.type = Type::Decimal;
        } else if (c == mark::CheckDigit) {
            f.checkDigit = true;
        } else if (c == mark::Running) {
            f.running = true;
        } else if (c == mark::Country) {
            f.country = true;
        } else if (c == mark::Separator) {
            f.separator = true;
        } else {
            return std::nullopt;
        }
    }
    bool ok = false;
    f.length = digits.toInt(&ok);
    if (!lengthSeen || !ok || f.length <= 0)
        return std::nullopt;
    return f;
}

} // namespace palomex
