#pragma once
// What the benchmarks start from: a data folder of their own, the database a first
// start creates there, and a prompter that answers every question alike.

#include "app/Paths.h"
#include "app/Prompter.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "db/Database.h"

#include <QTemporaryDir>
#include <cstdio>

namespace palomex::bench {

// Gives the same answer to every question; echo writes each text to stderr.
class FixedAnswer : public Prompter {
public:
    explicit FixedAnswer(Answer answer, bool echo = false) : answer_(answer), echo_(echo) {}
    Answer ask(const QString& text, Buttons, Icon) override {
        if (echo_)
            std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        return answer_;
    }

private:
    Answer answer_;
    bool echo_;
};

// A temporary data folder, the program's for as long as this lives.
struct DataFolder {
    QTemporaryDir dir;
    DataFolder() { qputenv("APPDATA", dir.path().toLocal8Bit()); }
};

// The settings and the database of a first start in a data folder of its own. A
// database path given (a server URI) is stored as the settings' database first.
struct Workplace : DataFolder {
    explicit Workplace(const QString& databasePath = {}) {
        if (!databasePath.isEmpty())
            settings.write(QStringLiteral("Einstellungen"), QStringLiteral("Mehrbenutzerpfad"),
                           databasePath);
        opened = openStartupDatabase(settings, QString(), {});
    }
    Database& db() { return *opened.database; }

    Settings settings{iniPath()};
    OpenedDatabase opened;
};

} // namespace palomex::bench
