#pragma once
// Helpers shared by the test executables.

#include "app/Captions.h"
#include "app/Paths.h"
#include "app/Prompter.h"
#include "app/Settings.h"
#include "app/Startup.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

namespace palomex::test {

// Points APPDATA at a fresh temporary folder for the life of the fixture, so the
// data folder, Palomex.ini and Palomex.mdb of a test are its own.
class TempAppData {
public:
    TempAppData();
    ~TempAppData();
    QString root() const { return dir_.path(); }
    QString dataFolder() const; // root + "/Hallvik Software"
    QString file(const QString& name) const;

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
};

// Answers questions from a script and records every text it was shown.
class ScriptedPrompter : public Prompter {
public:
    Answer ask(const QString& text, Buttons buttons, Icon icon) override;
    void willAnswer(Answer a) { answers_.push_back(a); }
    QStringList shown;
    QStringList titles; // of every text shown, empty for the program's title

private:
    std::deque<Answer> answers_;
};

// A fresh data folder with an opened database (no seed labels).
struct DatabaseFixture : ::testing::Test {
    TempAppData appData;
    Settings settings{iniPath()};
    OpenedDatabase opened = openStartupDatabase(settings, QString(), {});
    Database& db = *opened.database;
};

// Puts the global captions (language and loaded texts) back as they were when it
// was made, so a test that switches language or loads texts leaves no trace.
class CaptionsRestorer {
public:
    CaptionsRestorer() : saved_(Captions::global()) {}
    ~CaptionsRestorer() { Captions::global() = saved_; }

private:
    Captions saved_;
};

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

} // namespace palomex::test
