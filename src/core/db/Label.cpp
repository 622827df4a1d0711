#include "db/Label.h"

#include "db/LabelRecord.h"

#include <QStringList>

namespace palomex {

namespace {

QString statePart(const QString& state, int k) {
    const QStringList parts = state.split(QLatin1Char('|'));
    return k < parts.size() ? parts[k] : QString();
}

double sizePart(const QString& state, int k, double fallback) {
    const QString part = statePart(state, k);
    return part.trimmed().isEmpty() ? fallback : tolerantNumber(part);
}

} // namespace

double LayoutElement::firstSize() const {
    return sizePart(state, 0, 12);
}

double LayoutElement::secondSize() const {
    return sizePart(state, 1, 24);
}

QString LayoutElement::thirdPart() const {
    return statePart(state, 2);
}

QString LayoutElement::designation() const {
    const QString text = thirdPart();
    return text.isEmpty() ? QStringLiteral("NVE") : text;
}

void LayoutElement::setState(double first, double second, const QString& third) {
    state = coordinateText(first) + QLatin1Char('|') + coordinateText(second);
    if (!third.isEmpty())
        state += QLatin1Char('|') + third;
}

QString identifierCodeOf(const QString& entry) {
    const qsizetype close = entry.indexOf(QLatin1Char(')'));
    return close < 0 ? QString() : entry.left(close + 1);
}

QString DataField::identifierCode() const {
    return identifierCodeOf(identifier);
}

bool DataField::isDate() const {
    return identifier.contains(QChar(0x2020)); // †
}

bool DataField::isRunningNumber() const {
    return identifier.contains(QChar(0x00A9)); // ©
}

} // namespace palomex
