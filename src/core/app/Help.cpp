#include "app/Help.h"

#include "app/Captions.h"

#include <QCoreApplication>
#include <QDir>

namespace palomex {

QString helpFolder() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help"));
}

QString topicHelpCaption(const QString& page, const QString& fieldCaption,
                         const QString& identifierEntry) {
    if (page.compare(QLatin1String("Inhalt.htm"), Qt::CaseInsensitive) == 0)
        return caption(msg::HelpGeneral);
    if (page.compare(QLatin1String("NVE.htm"), Qt::CaseInsensitive) == 0)
        return caption(msg::HelpNve);
    const qsizetype open = identifierEntry.indexOf(QLatin1Char('('));
    const qsizetype close = identifierEntry.indexOf(QLatin1Char(')'));
    const QString digits =
        open >= 0 && close > open ? identifierEntry.mid(open + 1, close - open - 1) : QString();
    return caption(msg::HelpOn) + fieldCaption + caption(msg::HelpDb) + digits + QLatin1Char(')');
}

} // namespace palomex
