#include "app/Captions.h"

#include "app/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QStringTokenizer>

#include <algorithm>
#include <optional>

namespace palomex {

namespace {

QString unescape(QStringView s) {
    // Most texts hold no escape and are taken as they are; the others are copied
    // in runs between their escapes.
    qsizetype at = s.indexOf(QLatin1Char('\\'));
    if (at < 0)
        return s.toString();
    QString out;
    out.reserve(s.size());
    qsizetype from = 0;
    for (; at >= 0 && at + 1 < s.size(); at = s.indexOf(QLatin1Char('\\'), from)) {
        out.append(s.mid(from, at - from));
        const QChar n = s[at + 1];
        out.append(n == QLatin1Char('n') ? QChar(u'\n') : n == QLatin1Char('t') ? QChar(u'\t') : n);
        from = at + 2;
    }
    out.append(s.mid(from));
    return out;
}

// The number before a text's tab. Ids are plain digits, read here without the
// general number parser, which the whole table would otherwise pass through.
std::optional<int> idOf(QStringView field) {
    const auto digit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    if (field.size() > 9 || !std::all_of(field.begin(), field.end(), digit)) {
        bool ok = false;
        const int id = field.toInt(&ok);
        return ok ? std::optional(id) : std::nullopt;
    }
    int id = 0;
    for (const QChar c : field)
        id = id * 10 + (c.unicode() - u'0');
    return id;
}

} // namespace

Captions::Captions() {
    QDir dir(QStringLiteral(":/strings"));
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            load(decodeUtf8OrCp1252(f.readAll()));
    }
}

Captions& Captions::global() {
    static Captions instance;
    return instance;
}

QString Captions::text(int id) const {
    if (offset_ != 0) {
        auto it = texts_.constFind(id + offset_);
        if (it != texts_.constEnd())
            return *it;
    }
    return texts_.value(id);
}

void Captions::load(const QString& content) {
    for (QStringView line : qTokenize(content, QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab <= 0)
            continue;
        if (const std::optional<int> id = idOf(line.left(tab)))
            texts_.insert(*id, unescape(line.mid(tab + 1)));
    }
}

} // namespace palomex
