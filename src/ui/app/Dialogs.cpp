#include "ui/app/Dialogs.h"

#include "app/Captions.h"

#include <QMessageBox>

namespace palomex {

void showErrorBox(QWidget* parent, int number, const QString& place, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption(msg::ErrorTitle),
                    caption(msg::ErrorBox).arg(number).arg(place, text), QMessageBox::Ok, parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

Answer GuiPrompter::ask(const QString& text, Buttons buttons, Icon icon) {
    QMessageBox::StandardButtons set = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok:
        set = QMessageBox::Ok;
        break;
    case Buttons::OkCancel:
        set = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case Buttons::YesNo:
    case Buttons::NoYes:
        set = QMessageBox::Yes | QMessageBox::No;
        break;
    case Buttons::YesNoCancel:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    if (icon == Icon::Warning)
        boxIcon = QMessageBox::Warning;
    else if (icon == Icon::Critical)
        boxIcon = QMessageBox::Critical;
    else if (icon == Icon::Question)
        boxIcon = QMessageBox::Question;
    QMessageBox box(boxIcon, title().isEmpty() ? caption(msg::Title) : title(), text, set, parent_);
    if (buttons == Buttons::NoYes)
        box.setDefaultButton(QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

} // namespace palomex
