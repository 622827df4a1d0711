#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace palomex::test {

TempAppData::TempAppData()
    : previous_(qgetenv("APPDATA")), hadPrevious_(qEnvironmentVariableIsSet("APPDATA")) {
    qputenv("APPDATA", dir_.path().toLocal8Bit());
}

TempAppData::~TempAppData() {
    if (hadPrevious_)
        qputenv("APPDATA", previous_);
    else
        qunsetenv("APPDATA");
}

QString TempAppData::dataFolder() const {
    return QDir(dir_.path()).filePath(QStringLiteral("Hallvik Software"));
}

QString TempAppData::file(const QString& name) const {
    return QDir(dataFolder()).filePath(name);
}

Answer ScriptedPrompter::ask(const QString& text, Buttons buttons, Icon) {
    shown << text;
    titles << title();
    if (!answers_.empty()) {
        const Answer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

} // namespace palomex::test
