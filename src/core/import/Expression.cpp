#include "import/Expression.h"

#include "app/Captions.h"
#include "import/ImportStrings.h"

#include <QRegularExpression>

namespace palomex {

std::optional<QString> substituteColumns(const QString& expression, const ColumnLookup& column,
                                         SourceMap* map, UnknownColumn* unknown) {
    QString out;
    const auto copy = [&](int from, int length) {
        out += expression.mid(from, length);
        if (map)
            for (int k = 0; k < length; ++k)
                map->push_back(from + k + 1);
    };
    int i = 0;
    const int n = static_cast<int>(expression.size());
    while (i < n) {
        const int open = expression.indexOf(QLatin1Char('['), i);
        if (open < 0) {
            copy(i, n - i);
            break;
        }
        copy(i, open - i);
        const int close = expression.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0) {
            copy(open + 1, n - open - 1);
            break;
        }
        const QString name = expression.mid(open + 1, close - open - 1);
        const auto value = column(name);
        if (!value) {
            if (unknown)
                *unknown = {name, open + 1};
            return std::nullopt;
        }
        const QString literal =
            QLatin1Char('"') + QString(*value).replace(QLatin1String("\""), QLatin1String("\"\"")) +
            QLatin1Char('"');
        out += literal;
        if (map)
            map->insert(map->end(), literal.size(), open + 1);
        i = close + 1;
    }
    if (map)
        map->push_back(n + 1);
    return out;
}

ExpressionResult holAusdruck(const QString& expression, const ColumnLookup& column,
                             const script::Environment& env) {
    const QString body = expression.startsWith(QLatin1Char('@')) ? expression.mid(1) : expression;
    if (body.trimmed().isEmpty())
        return {};
    ExpressionResult result;
    result.valid = false;
    result.text = caption(msg::ExprInvalid);
    SourceMap map;
    UnknownColumn unknown;
    const auto source = substituteColumns(body, column, &map, &unknown);
    if (!source) {
        result.detail = caption(msg::ExprRuntimeAt)
                            .arg(unknown.position)
                            .arg(caption(msg::ExprNoColumn).arg(unknown.name));
        return result;
    }
    script::Outcome outcome = script::evaluate(*source, env);
    if (!outcome.ok) {
        const auto at = static_cast<size_t>(std::max(outcome.position, 1) - 1);
        outcome.position = at < map.size() ? map[at] : map.back();
        result.detail = outcome.describe();
        return result;
    }
    result.valid = true;
    result.text = script::toText(outcome.value);
    return result;
}

Insertion addText(const QString& text, int selectionStart, int selectionEnd, const QString& piece) {
    const int from =
        std::clamp(std::min(selectionStart, selectionEnd), 0, static_cast<int>(text.size()));
    const int to =
        std::clamp(std::max(selectionStart, selectionEnd), 0, static_cast<int>(text.size()));
    const QString left = text.left(from).trimmed();
    const QString right = text.mid(to).trimmed();
    const QString head = left + QStringLiteral(" & ") + piece;
    QString joined = head + QStringLiteral(" & ") + right;
    // Joining at either end, or next to an "&" already there, leaves empty
    // operator pairs; one "&" is enough.
    static const QRegularExpression emptyJoin(QStringLiteral("&\\s*&"));
    auto collapse = [](QString s) {
        while (s.contains(emptyJoin))
            s.replace(emptyJoin, QStringLiteral("&"));
        s = s.trimmed();
        if (s.startsWith(QLatin1Char('&')))
            s = s.mid(1).trimmed();
        if (s.endsWith(QLatin1Char('&')))
            s = s.chopped(1).trimmed();
        return s;
    };
    Insertion result;
    result.text = collapse(joined);
    const QString headDone = collapse(head);
    result.caret = static_cast<int>(std::min(headDone.size(), result.text.size()));
    return result;
}

QString finishedExpression(const QString& text) {
    QString s = text.trimmed();
    if (s.endsWith(QLatin1Char('&')))
        s = s.chopped(1).trimmed();
    return s;
}

const QStringList& functionTemplates() {
    // Spelt as users of the earlier versions know them, "Lenght" included.
    static const QStringList templates = {
        QStringLiteral("Asc(\"String\")"),
        QStringLiteral("Chr(CharCode)"),
        QStringLiteral("InStr(\"String1\", \"String2\")"),
        QStringLiteral("LCase(\"String\")"),
        QStringLiteral("UCase(\"String\")"),
        QStringLiteral("Left(\"String\", Lenght)"),
        QStringLiteral("Right(\"String\", Lenght)"),
        QStringLiteral("Mid(\"String\", Start, Length)"),
        QStringLiteral("Len(\"String\")"),
        QStringLiteral("Replace(\"Expression\", \"Find\", \"Replace\")"),
        QStringLiteral("Space(Number)"),
        QStringLiteral("String(Number, \"Character\")"),
        QStringLiteral("Trim(\"String\")"),
        QStringLiteral("LTrim(\"String\")"),
        QStringLiteral("RTrim(\"String\")"),
        QStringLiteral("Round(Number)"),
        QStringLiteral("Date"),
        QStringLiteral("Time"),
        QStringLiteral("DateAdd(Interval, Number)"),
        QStringLiteral("DateDiff(Interval, Date1, Date2)"),
        QStringLiteral("DatePart(Interval, Date)"),
        QStringLiteral("DateSerial(Year, Month, Day)"),
        QStringLiteral("Day (Date)"),
        QStringLiteral("Month(Date)"),
        QStringLiteral("Year(Date)"),
        QStringLiteral("Hour(Time)"),
        QStringLiteral("Minute(Time)"),
        QStringLiteral("Second(Time)"),
    };
    return templates;
}

QString columnAt(const QString& text, int caret) {
    if (caret <= 0)
        return {};
    const qsizetype open = text.lastIndexOf(QLatin1Char('['), caret - 1);
    if (open < 0)
        return {};
    // The name runs to the next "]", as the substitution of the row's values reads it.
    const qsizetype close = text.indexOf(QLatin1Char(']'), open);
    if (close < caret)
        return {};
    return text.mid(open + 1, close - open - 1);
}

} // namespace palomex
