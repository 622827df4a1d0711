#include "db/LabelSession.h"

#include "app/AppError.h"
#include "app/Captions.h"
#include "db/InitialLayout.h"
#include "db/LabelStrings.h"
#include "db/NveLock.h"
#include "entry/NveNumbers.h"

namespace palomex {

namespace {
const QString kE = QStringLiteral("Einstellungen");
}

Label clearedLabel(const Label& current, const QString& blankIdentifier) {
    Label l = current;
    l.name.clear();
    l.logoFile.clear();
    l.nveLaufNr.clear();
    l.anzahlNVEs = QStringLiteral("1");
    l.anzahlProNVE = 1;
    for (CaptionedText& p : l.parties)
        p.text.clear();
    for (DataField& f : l.fields) {
        f.identifier = blankIdentifier;
        f.caption.clear();
        f.content.clear();
        f.autoValue = false;
        f.days = 0;
    }
    for (CaptionedText& e : l.extras)
        e.text.clear();
    return l;
}

LabelSession::LabelSession(LabelStore& store, const Settings& settings, Prompter& prompter,
                           NameAsker askName, IdentifierLookup lookup)
    : store_(store), settings_(settings), prompter_(prompter), askName_(std::move(askName)),
      lookup_(std::move(lookup)),
      label_(clearedLabel(initialLabel(), lookup_ ? lookup_(QString()) : QString())) {}

void LabelSession::edit(const Label& label) {
    label_ = label;
    changed_ = true;
}

void LabelSession::setContents(const Label& label, bool flagChanged) {
    label_ = label;
    changed_ = changed_ || flagChanged;
    emit contentsChanged();
}

void LabelSession::changedInPlace() {
    changed_ = true;
    emit contentsChanged();
}

void LabelSession::useTable(const QString& table) {
    if (table == store_.table())
        return;
    if (readyToLeave())
        clear();
    store_.setTable(table);
}

bool LabelSession::saveAs(const QString& name) {
    Label toStore = label_;
    toStore.name = name;
    try {
        store_.save(toStore);
    } catch (const AppError& e) {
        prompter_.tell(e.text(), Icon::Critical);
        return false;
    }
    label_.name = name;
    changed_ = false;
    emit contentsChanged();
    // A saved running number counts as used, so automatic numbering goes on above
    // it. The label is saved whether or not the number could be recorded (another
    // workstation printing on the base holds it); the run that holds it goes higher.
    const std::optional<qint64> running = runningNumberOf(toStore.nveLaufNr);
    if (running && baseAcceptable(toStore.nveBasis)) {
        try {
            recordHighest(store_.database(), baseDigits(toStore.nveBasis),
                          QString::number(*running));
        } catch (const AppError&) {
        }
    }
    return true;
}

bool LabelSession::save() {
    if (label_.name.isEmpty())
        return saveUnderNewName();
    return saveAs(label_.name);
}

bool LabelSession::saveUnderNewName() {
    const std::optional<QString> entered = askName_ ? askName_(label_.name) : std::nullopt;
    if (!entered || entered->isEmpty())
        return false;
    return saveAs(*entered);
}

void LabelSession::autoSave() {
    if (settings_.flag(kE, QStringLiteral("AutoSpeichern")))
        save();
}

SaveAnswer LabelSession::askToSave() {
    if (!changed_ || !settings_.flag(kE, QStringLiteral("SpeichernFrage")))
        return SaveAnswer::NotAsked;
    switch (prompter_.ask(caption(msg::AskSaveChanges).arg(label_.name), Buttons::YesNoCancel,
                          Icon::Question)) {
    case Answer::Yes:
        save();
        changed_ = false;
        return SaveAnswer::Yes;
    case Answer::No:
        return SaveAnswer::No;
    case Answer::Cancel:
    case Answer::Ok:
        break;
    }
    return SaveAnswer::Cancel;
}

bool LabelSession::readyToLeave() {
    autoSave();
    return askToSave() != SaveAnswer::Cancel;
}

std::optional<QStringList> LabelSession::open(const QString& name) {
    std::optional<DecodedLabel> loaded = store_.load(name, lookup_);
    if (!loaded)
        return std::nullopt;
    // What a row does not hold keeps its cleared state, as the form does.
    label_ = loaded->label;
    changed_ = false;
    emit replaced();
    return loaded->notes;
}

void LabelSession::clear() {
    label_ = clearedLabel(label_, lookup_ ? lookup_(QString()) : QString());
    // Designations still a new label's speak the caption language; typed ones stay.
    designationsInCaptionLanguage(label_);
    changed_ = false;
    emit replaced();
}

} // namespace palomex
