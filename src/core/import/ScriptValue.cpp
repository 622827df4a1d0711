#include "import/ScriptValue.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace palomex::script {

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kSecondsPerDay = 86400.0;
} // namespace

double serialFromDateTime(const QDateTime& dt) {
    const double days = static_cast<double>(kEpoch.daysTo(dt.date()));
    return days + dt.time().msecsSinceStartOfDay() / 1000.0 / kSecondsPerDay;
}

QDateTime dateTimeFromSerial(double serial) {
    // Negative serials count days backwards but the time forwards, as the
    // traditional format does: -1.25 is 1899-12-29 06:00.
    const double whole = std::trunc(serial);
    const double fraction = std::fabs(serial - whole);
    int seconds = static_cast<int>(std::lround(fraction * kSecondsPerDay));
    qint64 days = static_cast<qint64>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += serial < 0 ? -1 : 1;
    }
    return QDateTime(kEpoch.addDays(days), QTime(0, 0).addSecs(seconds));
}

QString formatNumber(double d) {
    if (d == 0)
        return QStringLiteral("0");
    if (std::fabs(d) < 1e15 && d == std::trunc(d))
        return QString::number(static_cast<qint64>(d));
    QString s = QString::number(d, 'g', 15);
    if (s.contains(QLatin1Char('e'))) {
        // 1e+15 -> 1E+15, as the language writes large numbers.
        s = s.toUpper();
        const int e = s.indexOf(QLatin1Char('E'));
        QString exponent = s.mid(e + 2);
        while (exponent.size() > 2 && exponent.startsWith(QLatin1Char('0')))
            exponent.remove(0, 1);
        s = s.left(e + 2) + exponent;
    }
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

QString formatDate(double serial) {
    const QDateTime dt = dateTimeFromSerial(serial);
    const bool hasTime = serial != std::trunc(serial);
    const bool hasDate = std::trunc(serial) != 0;
    const QString date = dt.date().toString(QStringLiteral("dd.MM.yyyy"));
    const QString time = dt.time().toString(QStringLiteral("HH:mm:ss"));
    if (!hasTime)
        return date;
    if (!hasDate)
        return time;
    return date + QLatin1Char(' ') + time;
}

std::optional<double> parseNumber(const QString& input) {
    const QString s = input.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double german = QLocale(QLocale::German, QLocale::Germany).toDouble(s, &ok);
    if (ok)
        return german;
    const double plain = QLocale::c().toDouble(s, &ok);
    if (ok)
        return plain;
    return std::nullopt;
}

std::optional<double> parseDate(const QString& input) {
    static const QRegularExpression datePattern(QStringLiteral(
        R"re(^\s*(?:(\d{1,2})\.(\d{1,2})\.(\d{2}|\d{4})|(\d{4})-(\d{1,2})-(\d{1,2})))re"
        R"re((?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)re"));
    static const QRegularExpression timePattern(
        QStringLiteral(R"(^\s*(\d{1,2}):(\d{2})(?::(\d{2}))?\s*$)"));
    auto timeOf = [](const QRegularExpressionMatch& m, int first) -> std::optional<QTime> {
        if (!m.hasCaptured(first))
            return QTime(0, 0);
        const QTime t(m.captured(first).toInt(), m.captured(first + 1).toInt(),
                      m.hasCaptured(first + 2) ? m.captured(first + 2).toInt() : 0);
        return t.isValid() ? std::optional<QTime>(t) : std::nullopt;
    };
    if (const auto m = timePattern.match(input); m.hasMatch()) {
        const auto t = timeOf(m, 1);
        if (!t)
            return std::nullopt;
        return t->msecsSinceStartOfDay() / 1000.0 / kSecondsPerDay;
    }
    const auto m = datePattern.match(input);
    if (!m.hasMatch())
        return std::nullopt;
    QDate d;
    if (m.hasCaptured(1)) {
        int year = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            year += year < 30 ? 2000 : 1900; // the traditional two-digit year window
        d = QDate(year, m.captured(2).toInt(), m.captured(1).toInt());
    } else {
        d = QDate(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    }
    const auto t = timeOf(m, 7);
    if (!d.isValid() || !t)
        return std::nullopt;
    return serialFromDateTime(QDateTime(d, *t));
}

double roundHalfEven(double d, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double x = d * scale;
    double r = std::round(x);
    if (std::fabs(x - std::trunc(x)) == 0.5)
        r = 2.0 * std::round(x / 2.0);
    return r / scale;
}

} // namespace palomex::script
