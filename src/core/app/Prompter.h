#pragma once
// Questions and messages to the user, asked by core code. The GUI answers with
// message boxes, tests with scripted answers, headless runs on stderr.

#include <QString>

namespace palomex {

enum class Icon { Information, Warning, Critical, Question };
// NoYes: Yes and No, with No as the answer the Enter key gives.
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, NoYes };
enum class Answer { Ok, Cancel, Yes, No };

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual Answer ask(const QString& text, Buttons buttons, Icon icon) = 0;
    void tell(const QString& text, Icon icon) { ask(text, Buttons::Ok, icon); }
    // A message whose box is titled by what went wrong ("Fehler") rather than by
    // the program.
    void tellTitled(const QString& title, const QString& text, Icon icon) {
        title_ = title;
        tell(text, icon);
        title_.clear();
    }
    // An error: titled "Fehler", with the critical icon.
    void tellError(const QString& text);

protected:
    // The title of the message being shown; empty for the program's own.
    const QString& title() const { return title_; }

private:
    QString title_;
};

// Writes every message to stderr. A question has nobody to answer it, so it gets
// the answer that leaves data untouched: Cancel where offered, else No.
class ConsolePrompter : public Prompter {
public:
    Answer ask(const QString& text, Buttons buttons, Icon icon) override;
};

} // namespace palomex
