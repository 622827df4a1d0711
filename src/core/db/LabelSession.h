#pragma once
// The label being edited: its contents, its name, the changed flag, and the save,
// save-as, automatic-save, save-question, open and clear rules around them.

#include "app/Prompter.h"
#include "app/Settings.h"
#include "db/LabelStore.h"

#include <functional>
#include <optional>

namespace palomex {

// What the save question returned; the numbers are the message-box answers older
// callers compare with.
enum class SaveAnswer { NotAsked = 0, Cancel = 2, Yes = 6, No = 7 };

class LabelSession {
public:
    // Asks for a label name, proposing one; nothing when the user cancelled.
    using NameAsker = std::function<std::optional<QString>(const QString& proposed)>;

    LabelSession(LabelStore& store, const Settings& settings, Prompter& prompter, NameAsker askName,
                 IdentifierLookup lookup = {});

    Label& label() { return label_; }
    Prompter& prompter() { return prompter_; }
    const Settings& settings() const { return settings_; }
    const Label& label() const { return label_; }
    const QString& name() const { return label_.name; }
    bool changed() const { return changed_; }
    void markChanged() { changed_ = true; }
    LabelStore& store() { return store_; }

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
