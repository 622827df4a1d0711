#include "app/IniFile.h"

#include "app/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace palomex {

namespace {

QStringList readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = decodeUtf8OrCp1252(file.readAll());
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Section name of a "[name]" line, or nothing for any other line.
std::optional<QString> sectionOf(const QString& line) {
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2).trimmed();
    return std::nullopt;
}

// Key of a "key=value" line; comments and lines without '=' have none.
std::optional<QString> keyOf(const QString& line) {
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char(';')))
        return std::nullopt;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return std::nullopt;
    return t.left(eq).trimmed();
}

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

std::optional<QString> IniFile::value(const QString& section, const QString& key) const {
    bool inSection = false;
    for (const QString& line : readLines(path_)) {
        if (auto s = sectionOf(line)) {
            inSection = same(*s, section);
            continue;
        }
        if (!inSection)
            continue;
        if (auto k = keyOf(line); k && same(*k, key))
            return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    }
    return std::nullopt;
}

bool IniFile::setValue(const QString& section, const QString& key, const QString& value) const {
    // A line break inside a value would end the line and corrupt the file.
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));

    QStringList lines = readLines(path_);
    qsizetype sectionLine = -1;
    qsizetype lastInSection = -1;
    qsizetype keyLine = -1;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (auto s = sectionOf(lines[i])) {
            inSection = same(*s, section);
            if (inSection && sectionLine < 0) {
                sectionLine = i;
                lastInSection = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!lines[i].trimmed().isEmpty())
            lastInSection = i;
        if (auto k = keyOf(lines[i]); k && same(*k, key) && keyLine < 0)
            keyLine = i;
    }

    if (keyLine >= 0) {
        const QString line = *keyOf(lines[keyLine]) + QLatin1Char('=') + clean;
        // Settings written back unchanged (the label format at every start) cost no write.
        if (lines[keyLine] == line)
            return true;
        lines[keyLine] = line;
    } else if (sectionLine >= 0) {
        lines.insert(lastInSection + 1, key + QLatin1Char('=') + clean);
    } else {
        lines << QLatin1Char('[') + section + QLatin1Char(']') << key + QLatin1Char('=') + clean;
    }

    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile out(path_);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    return out.commit();
}

} // namespace palomex
