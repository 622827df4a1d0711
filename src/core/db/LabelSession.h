#pragma once
// The current label, the one copy the whole program works on: its contents, layout,
// name and changed flag, the current user's label table, and the save, save-as,
// automatic-save, save-question, open and clear rules around them. Windows show it
// and follow its signals; the command line works on it without any window.

#include "app/Prompter.h"
#include "app/Settings.h"
#include "db/LabelStore.h"

#include <QObject>
#include <functional>
#include <optional>

namespace palomex {

// What the save question returned; the numbers are the message-box answers older
// callers compare with.
enum class SaveAnswer { NotAsked = 0, Cancel = 2, Yes = 6, No = 7 };

class LabelSession : public QObject {
    Q_OBJECT
public:
    // Asks for a label name, proposing one; nothing when the user cancelled.
    using NameAsker = std::function<std::optional<QString>(const QString& proposed)>;

    LabelSession(LabelStore& store, const Settings& settings, Prompter& prompter, NameAsker askName,
                 IdentifierLookup lookup = {});

    // For editors that change the label in place (the layout and the scan); they
    // say so with markChanged or changedInPlace.
    Label& label() { return label_; }
    Prompter& prompter() { return prompter_; }
    const Settings& settings() const { return settings_; }
    const Label& label() const { return label_; }
    const QString& name() const { return label_.name; }
    bool changed() const { return changed_; }
    void markChanged() { changed_ = true; }
    LabelStore& store() { return store_; }
    // The current user's label table, where the labels are saved and opened.
    const QString& table() const { return store_.table(); }

    // What the entry form holds after the user edited it; the form shows it already.
    void edit(const Label& label);
    // A command put new contents into the label (parameters, the next running
    // number, a print run's advance); flagChanged when the save question is to ask.
    void setContents(const Label& label, bool flagChanged);
    // An editor changed the label in place in a way the entry form shows.
    void changedInPlace();
    // A change of user: the current label is left as on opening another one (the
    // save question stores it in the table it came from) and a new label begins;
    // cancelled, the label stays. Either way the labels are the new user's from now.
    void useTable(const QString& table);

    // do_speichern: stores the label under name; false (message shown, flag kept)
    // when the row could not be written.
    bool saveAs(const QString& name);
    // Save command: a label without a name asks for one first.
    bool save();
    // Save-as command: asks for a name, proposing the current one.
    bool saveUnderNewName();
    // autoSpeichern: saves when the setting AutoSpeichern is on.
    void autoSave();
    // fragspeichern.
    SaveAnswer askToSave();
    // The steps before leaving the current label (open, new, end): automatic save,
    // then the question; false when the user cancelled.
    bool readyToLeave();

    // holdaten: the label of that name replaces the current one. Notes about old
    // rows come back; nothing when no label has that name (the current one stays).
    std::optional<QStringList> open(const QString& name);
    // form_leeren: a new label, keeping the NVE base, the captions of sender,
    // receiver and additional texts, the format and the layout.
    void clear();

signals:
    // Another label became the current one: opened, a new one begun, another user.
    void replaced();
    // The contents changed by a command rather than through the entry form.
    void contentsChanged();

private:
    LabelStore& store_;
    const Settings& settings_;
    Prompter& prompter_;
    NameAsker askName_;
    IdentifierLookup lookup_;
    Label label_;
    bool changed_ = false;
};

// The cleared form of a label (form_leeren) as a value.
Label clearedLabel(const Label& current, const QString& blankIdentifier = {});

} // namespace palomex
