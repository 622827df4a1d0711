#pragma once
// Help pages and the caption of the topic entry of the help menu.

#include <QString>
#include <QStringList>

namespace palomex {

// The pages the windows open with their help button or F1.
namespace helppage {
inline const QString Contents = QStringLiteral("Inhalt.htm");
inline const QString Nve = QStringLiteral("NVE.htm");
inline const QString Layout = QStringLiteral("Etikettenlayout.htm");
inline const QString Printing = QStringLiteral("Etiketten_drucken.htm");
inline const QString Log = QStringLiteral("Protokoll.htm");
inline const QString Batches = QStringLiteral("Chargenverwaltung.htm");
inline const QString Scan = QStringLiteral("Scanmodul.htm");
inline const QString DataImport = QStringLiteral("Datenimport.htm");
inline const QString Expressions = QStringLiteral("Ausdruckseditor.htm");
inline const QString Users = QStringLiteral("Benutzerverwaltung.htm");
inline const QString LabelImport = QStringLiteral("Etikettenimport.htm");
inline const QString ShortGuide = QStringLiteral("Kurzdokumentation.htm");
inline const QString Network = QStringLiteral("Netzwerk.htm");
inline const QString DataEntry = QStringLiteral("Eingabe_Datenfelder.htm");
} // namespace helppage

// The page of a tab of the settings dialog, by tab number; the general settings
// page for any other number.
QString settingsHelpPage(int tab);

// Every page a window opens, the settings pages included: each must be installed.
QStringList windowHelpPages();

// The folder holding the help pages, beside the program.
QString helpFolder();

// Caption of the topic entry for a page: "Allgemein" for the contents page,
// "Aufbau der NVE" for the NVE page, else "Hilfe zu <field> (DB <digits>)" with
// the digits of the field's identifier entry such as "(10) Charge".
QString topicHelpCaption(const QString& page, const QString& fieldCaption = {},
                         const QString& identifierEntry = {});

} // namespace palomex
