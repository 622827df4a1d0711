#pragma once
// The modeless help viewer: the HTML help pages in a text browser of its own.

#include <QTextBrowser>

namespace palomex {

class HelpWindow : public QTextBrowser {
    Q_OBJECT
public:
    // Opens the page (or "Inhalt.htm") in the one help window, raising it.
    static void showPage(const QString& page = {});
    static void closeAll();

private:
    HelpWindow();
};

} // namespace palomex
