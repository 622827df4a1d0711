#include "app/Captions.h"

#include "app/TextCodec.h"

#include <QDir>
#include <QFile>

namespace palomex {

namespace {

QString unescape(QStringView s) {
    // Most texts hold no escape and are taken as they are.
    if (!s.contains(QLatin1Char('\\')))
        return s.toString();
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('\\') && i + 1 < s.size()) {
            const QChar n = s[++i];
            if (n == QLatin1Char('n'))
                out.append(QLatin1Char('\n'));
            else if (n == QLatin1Char('t'))
                out.append(QLatin1Char('\t'));
            else
                out.append(n);
        } else {
            out.append(s[i]);
        }
    }
    return out;
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
    for (QStringView line : QStringView(content).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab <= 0)
            continue;
        bool ok = false;
        const int id = line.left(tab).toInt(&ok);
        if (ok)
            texts_.insert(id, unescape(line.mid(tab + 1)));
    }
}

} // namespace palomex
