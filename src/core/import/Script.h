#pragma once
// An interpreter for the expression language of the field import: literals,
// names, the operators of the classic scripting language and a fixed set of
// string and date functions. It can only compute values: there is no statement,
// no assignment, no object creation, so no script can reach files, processes or
// the network. Every evaluation is bounded in steps, nesting and string size.

#include "import/ScriptValue.h"

#include <QDateTime>
#include <QString>

namespace palomex::script {

struct Limits {
    int maxSourceLength = 64 * 1024;
    int maxDepth = 200;
    int maxSteps = 100000;
    int maxStringLength = 1 << 20;
};

// What a script can see besides its own text.
struct Environment {
    QDateTime now = QDateTime::currentDateTime();
    QString expressionText; // TXT1.Text: the expression being edited
    QString resultText;     // Ausdr.Text: the result box before evaluation
};

struct Outcome {
    bool ok = false;
    Value value;
    int position = 0; // 1-based place in the source of the first error
    bool syntax = false;
    QString message; // the error alone, without the position
    // "Syntaxfehler an Stelle 5: ..." for display.
    QString describe() const;
};

Outcome evaluate(const QString& source, const Environment& env = {}, const Limits& limits = {});

// The text a value gives when written into a text box or a label field.
QString toText(const Value& v);

} // namespace palomex::script
