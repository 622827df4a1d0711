#include "ui/app/HelpWindow.h"

#include "app/Captions.h"
#include "app/Help.h"
#include "ui/app/Twips.h"

#include <QPointer>
#include <QUrl>

namespace palomex {

namespace {
QPointer<HelpWindow> gWindow;
}

HelpWindow::HelpWindow() {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption(msg::HelpWindowTitle));
    setSearchPaths({helpFolder()});
    setOpenExternalLinks(true);
    resize(640, 560);
    keepOnScreen(*this);
}

void HelpWindow::showPage(const QString& page) {
    if (!gWindow)
        gWindow = new HelpWindow();
    gWindow->setSource(QUrl(page.isEmpty() ? helppage::Contents : page));
    gWindow->show();
    gWindow->raise();
    gWindow->activateWindow();
}

void HelpWindow::closeAll() {
    if (gWindow)
        gWindow->close();
}

} // namespace palomex
