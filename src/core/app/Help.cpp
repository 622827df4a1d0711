#include "app/Help.h"

#include "app/Captions.h"

#include <QCoreApplication>
#include <QDir>

namespace palomex {

QString helpFolder() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help"));
}

namespace {

// By tab number of the settings dialog.
const QStringList& settingsTabPages() {
    static const QStringList pages = {QStringLiteral("Einstellungen_Seite.htm"),
                                      QStringLiteral("Einstellungen_Etikett.htm"),
                                      QStringLiteral("Einstellungen_Programm.htm"),
                                      QStringLiteral("Netzwerk.htm"),
                                      helppage::Scan,
                                      QStringLiteral("Scan_EAN128.htm"),
                                      QStringLiteral("Scan_Allg_Barcodes.htm")};
    return pages;
}

const QString kSettingsPage = QStringLiteral("Einstellungen.htm");

} // namespace

QString settingsHelpPage(int tab) {
    const QStringList& pages = settingsTabPages();
    return tab >= 0 && tab < pages.size() ? pages[tab] : kSettingsPage;
}

QStringList windowHelpPages() {
    return QStringList{helppage::Contents,   helppage::Nve,         helppage::Layout,
                       helppage::Printing,   helppage::Log,         helppage::Batches,
                       helppage::Scan,       helppage::DataImport,  helppage::Expressions,
                       helppage::Users,      helppage::LabelImport, kSettingsPage,
                       helppage::ShortGuide, helppage::Network,     helppage::DataEntry} +
           settingsTabPages();
}

QString topicHelpCaption(const QString& page, const QString& fieldCaption,
                         const QString& identifierEntry) {
    if (page.compare(helppage::Contents, Qt::CaseInsensitive) == 0)
        return caption(msg::HelpGeneral);
    if (page.compare(helppage::Nve, Qt::CaseInsensitive) == 0)
        return caption(msg::HelpNve);
    const qsizetype open = identifierEntry.indexOf(QLatin1Char('('));
    const qsizetype close = identifierEntry.indexOf(QLatin1Char(')'));
    const QString digits =
        open >= 0 && close > open ? identifierEntry.mid(open + 1, close - open - 1) : QString();
    return caption(msg::HelpOn) + fieldCaption + caption(msg::HelpDb) + digits + QLatin1Char(')');
}

} // namespace palomex
