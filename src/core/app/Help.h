#pragma once
// Help pages and the caption of the topic entry of the help menu.

#include <QString>

namespace palomex {

// The folder holding the help pages, beside the program.
QString helpFolder();

// Caption of the topic entry for a page: "Allgemein" for the contents page,
// "Aufbau der NVE" for the NVE page, else "Hilfe zu <field> (DB <digits>)" with
// the digits of the field's identifier entry such as "(10) Charge".
QString topicHelpCaption(const QString& page, const QString& fieldCaption = {},
                         const QString& identifierEntry = {});

} // namespace palomex
