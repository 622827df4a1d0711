#pragma once
// The rules of the label list of the open and delete dialog that do not need a
// window: search as you type, the delete question and the size limit of one delete.

#include <QString>
#include <QStringList>
#include <optional>

namespace palomex {

// The characters typed into the list since it was loaded.
class TypeAhead {
public:
    // Backspace (U+0008) removes the last character, anything else is appended.
    // Returns the index of the first entry beginning with the buffer (without regard
    // to case), whose spelling the buffer then takes over; -1 when none does.
    int type(QChar c, const QStringList& entries);
    const QString& buffer() const { return buffer_; }
    void reset() { buffer_.clear(); }

private:
    QString buffer_;
};

// "Soll 3 Etiketten gelöscht werden ?", with "alle" when every entry is selected.
QString deleteQuestion(int selected, int total);

// Deleting that many names at once is refused when their quoted list reaches 32000
// characters; returns the count to propose instead.
std::optional<int> proposedDeleteCount(const QStringList& names);

} // namespace palomex
