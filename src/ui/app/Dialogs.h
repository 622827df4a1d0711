#pragma once
// Message boxes: the "Fehler: …" box of every event handler and the GUI prompter.

#include "app/AppError.h"
#include "app/Prompter.h"

#include <QString>

class QWidget;

namespace palomex {

// "Fehler: <number>,   Modul: <place>" with the error text, critical icon, title "Fehler".
void showErrorBox(QWidget* parent, int number, const QString& place, const QString& text);
inline void showErrorBox(QWidget* parent, const AppError& e, const QString& place) {
    showErrorBox(parent, e.number(), place, e.text());
}

class GuiPrompter : public Prompter {
public:
    explicit GuiPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    Answer ask(const QString& text, Buttons buttons, Icon icon) override;

private:
    QWidget* parent_;
};

} // namespace palomex
