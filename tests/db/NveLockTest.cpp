// The NVE reservation on each engine: separate processes competing for base numbers,
// a second run refused, what a run records kept however it ends, and a client killed
// in the middle of a run.

#include "db/NveLock.h"
#include "TestDatabases.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <QThread>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <set>
#include <signal.h>

namespace palomex::test {
namespace {

constexpr int kNvesPerRun = 3;

// One print run as the program makes it: lock, record the whole range before the
// first label, "print" each number (a line in the output file), release.
bool printRun(const Database& db, const QString& base, int count, QTextStream& out,
              bool hangAfterHalf = false) {
    try {
        const auto lock = lockNveBase(db, base, 0);
        const qint64 first = lock->highest().value_or(0) + 1;
        const qint64 last = first + count - 1;
        lock->recordPrinted(last);
        for (qint64 n = first; n <= last; ++n) {
            if (hangAfterHalf && n == first + count / 2) {
                out << "ready\n";
                out.flush();
                QThread::sleep(60); // killed here
            }
            out << "nve " << n << '\n';
            out.flush();
        }
        lock->release(last);
        return true;
    } catch (const AppError& e) {
        out << (e.number() == err::RecordLocked ? "refused " : "error ") << e.text() << '\n';
        out.flush();
        return false;
    }
}

// The child process side: PALOMEX_NVE_WORKER = "<runs>|<base>|<output file>|<uri>"
// and runs print runs; a run count of 0 means one run that stops half-way.
TEST(NveWorker, Run) {
    const QStringList job = qEnvironmentVariable("PALOMEX_NVE_WORKER").split(u'|');
    if (job.size() != 4)
        GTEST_SKIP() << "only run as a child process of the lock tests";
    QFile file(job.at(2));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
    QTextStream out(&file);
    const std::unique_ptr<Database> db = Database::open(job.at(3));
    const int runs = job.at(0).toInt();
    if (runs == 0) {
        printRun(*db, job.at(1), 10, out, true);
        return;
    }
    for (int i = 0; i < runs; ++i)
        printRun(*db, job.at(1), kNvesPerRun, out);
}

class BaseLock : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        if (!engineAvailable(GetParam()))
            GTEST_SKIP() << "PALOMEX_TEST_PG is not set";
        scratch = std::make_unique<ScratchDatabase>(GetParam());
        db = scratch->open();
        db->update(QString());
    }

    QProcess* startWorker(int runs, const QString& base, const QString& output) {
        auto* p = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PALOMEX_NVE_WORKER",
                   QStringList{QString::number(runs), base, output, scratch->path()}.join(u'|'));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(),
                 {"--gtest_filter=NveWorker.Run", "--gtest_brief=1"});
        workers.emplace_back(p);
        return p;
    }

    static QStringList lines(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    // Read on a connection of the test's own, apart from the lock's.
    QString stored(const QString& base) {
        return firstValue(*db, R"(SELECT "NVE_LaufNr" FROM "HöchstNVE" WHERE "NVE_Basis" = ?)",
                          {base});
    }

    // The lock on base must be refused at once, as another run holds it.
    void expectRefused(const QString& base, const char* what) {
        const AppError e = thrownBy([&] { lockNveBase(*db, base, 0); });
        EXPECT_EQ(e.number(), err::RecordLocked) << what << ": " << e.text().toStdString();
    }

    QTemporaryDir dir;
    std::unique_ptr<ScratchDatabase> scratch;
    std::unique_ptr<Database> db;
    std::vector<std::unique_ptr<QProcess>> workers;
};

TEST_P(BaseLock, CompetingProcessesNeverShareAnNve) {
    struct Group {
        QString base;
        int processes;
        int runs;
    };
    // Alone on its base, a process must never be refused, neither by runs elsewhere
    // nor by its own run just before.
    const std::vector<Group> groups{
        {"4012345", 4, 15}, {"4099999", 2, 15}, {"4055555", 1, 15}, {"4066666", 1, 15}};
    std::map<QString, QStringList> outputs;
    for (const Group& g : groups) {
        for (int i = 0; i < g.processes; ++i) {
            const QString out = dir.filePath(QStringLiteral("%1-%2.txt").arg(g.base).arg(i));
            outputs[g.base] << out;
            startWorker(g.runs, g.base, out);
        }
    }
    for (auto& w : workers) {
        ASSERT_TRUE(w->waitForFinished(60000));
        EXPECT_EQ(w->exitCode(), 0);
    }
    for (const Group& g : groups) {
        std::set<qint64> seen;
        int printed = 0, refused = 0;
        for (const QString& out : outputs[g.base]) {
            for (const QString& line : lines(out)) {
                if (line.startsWith("nve ")) {
                    ++printed;
                    EXPECT_TRUE(seen.insert(line.mid(4).toLongLong()).second)
                        << "issued twice: " << line.toStdString();
                } else {
                    ASSERT_TRUE(line.startsWith("refused ")) << line.toStdString();
                    ++refused;
                }
            }
        }
        EXPECT_EQ(printed + refused * kNvesPerRun, g.processes * g.runs * kNvesPerRun);
        if (g.processes == 1) {
            EXPECT_EQ(refused, 0) << g.base.toStdString() << " was blocked by another base";
        }
        ASSERT_FALSE(seen.empty());
        // No number skipped: the runs that got through used 1, 2, 3, ... in turn.
        EXPECT_EQ(*seen.begin(), 1);
        EXPECT_EQ(*seen.rbegin(), static_cast<qint64>(seen.size()));
        EXPECT_EQ(stored(g.base), QString::number(seen.size()));
    }
}

TEST_P(BaseLock, ARunKeepsWhatItRecordedAndReleasesNeverBelowTheStartingPoint) {
    struct Case {
        const char* what;
        qint64 before;
        std::vector<qint64> recorded;
        std::optional<qint64> lastPrinted; // none: abandoned without release
        qint64 stored;
    };
    const std::vector<Case> cases{
        {"a plain run", 10, {}, 13, 13},
        {"a run stopped before its recorded end", 10, {20}, 14, 14},
        {"a typed running number below the stored one", 50, {}, 7, 50},
        {"recorded ahead, then a typed low number", 50, {60}, 7, 50},
        {"a run recording its numbers as it goes", 0, {1, 2, 3}, 3, 3},
        {"abandoned with nothing recorded", 5, {}, std::nullopt, 5},
        {"abandoned after recording a range", 5, {9}, std::nullopt, 9},
        {"abandoned after a lower number than before", 0, {8, 4}, std::nullopt, 8},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString base = QStringLiteral("40%1").arg(++n);
        lockNveBase(*db, base, c.before)->release(c.before);
        {
            const auto lock = lockNveBase(*db, base, 0);
            EXPECT_EQ(lock->highest(), c.before) << c.what;
            qint64 ahead = c.before;
            for (const qint64 r : c.recorded) {
                lock->recordPrinted(r);
                ahead = std::max(ahead, r);
            }
            // Durable and visible to everyone while the lock is still held.
            EXPECT_EQ(storedHighest(*db, base), ahead) << c.what;
            if (c.lastPrinted)
                lock->release(*c.lastPrinted);
        }
        EXPECT_EQ(stored(base), QString::number(c.stored)) << c.what;
        EXPECT_EQ(lockNveBase(*db, base, 0)->highest(), c.stored) << c.what;
    }
}

TEST_P(BaseLock, KilledClientReleasesTheBaseAndItsNumbersAreNotIssuedAgain) {
    const QString out = dir.filePath("hang.txt");
    QProcess* child = startWorker(0, "4012345", out);
    for (int i = 0; i < 600 && !lines(out).contains("ready"); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(lines(out).contains("ready")) << "the child never reached its run";

    expectRefused("4012345", "held by another process");

    ::kill(static_cast<pid_t>(child->processId()), SIGKILL);
    ASSERT_TRUE(child->waitForFinished(10000));
    qint64 printedMax = 0;
    for (const QString& line : lines(out)) {
        if (line.startsWith("nve "))
            printedMax = std::max(printedMax, line.mid(4).toLongLong());
    }
    ASSERT_GT(printedMax, 0);

    // The server notices the dead client and drops its locks.
    std::unique_ptr<NveLock> again;
    for (int i = 0; i < 200 && !again; ++i) {
        try {
            again = lockNveBase(*db, "4012345", 0);
        } catch (const AppError& e) {
            ASSERT_EQ(e.number(), err::RecordLocked);
            QThread::msleep(50);
        }
    }
    ASSERT_TRUE(again) << "the base stayed locked after its client died";
    EXPECT_GT(again->highest().value_or(0), printedMax);
    again->release(again->highest().value_or(0));
}

TEST_P(BaseLock, ASecondRunOrANumberTooWideIsRefusedAndTakesNothingFromTheFirst) {
    const auto first = lockNveBase(*db, "4112", 0);
    expectRefused("4112", "just locked");
    first->recordPrinted(12);
    expectRefused("4112", "after recording a number");
    EXPECT_EQ(thrownBy([&] { first->recordPrinted(999'999'999'999'999'999); }).number(),
              err::FieldTooSmall)
        << "a number wider than the column";
    EXPECT_EQ(stored("4112"), "12");
    // The program's own writers wait for the run to end.
    EXPECT_EQ(thrownBy([&] { recordHighest(*db, "4112", "4200"); }).number(), err::RecordLocked);
    // Bases never block each other; base "04112" is not base "4112".
    for (const char* other : {"4212", "04112"})
        lockNveBase(*db, other, 0)->release(1);
    first->release(13);
    EXPECT_EQ(stored("4112"), "13");
    EXPECT_EQ(lockNveBase(*db, "4112", 0)->highest(), 13);
}

TEST_P(BaseLock, OtherWritersOnlyEverRaiseANumber) {
    struct Case {
        const char* what;
        const char* before; // nullptr: no row for the base
        const char* given;
        HighestChange change;
        const char* stored;
        bool refusedByHand; // typed into the table editor
    };
    const std::vector<Case> cases{
        {"a new base", nullptr, "000005", HighestChange::Added, "000005", false},
        {"a lower number", "000150", "000120", HighestChange::Unchanged, "000150", true},
        {"the same number", "000150", "150", HighestChange::Unchanged, "000150", false},
        {"a higher number", "000150", "000180", HighestChange::Raised, "000180", false},
    };
    int n = 0;
    for (const Case& c : cases) {
        for (const bool byHand : {false, true}) {
            const QString base = QStringLiteral("45%1%2").arg(++n).arg(byHand);
            if (c.before) {
                lockNveBase(*db, base, 0)->release(0);
                recordHighest(*db, base, c.before);
            }
            try {
                const HighestChange change = byHand ? editHighestByHand(*db, base, c.given)
                                                    : recordHighest(*db, base, c.given);
                EXPECT_FALSE(byHand && c.refusedByHand) << c.what << ": lowered by hand";
                if (c.before) {
                    EXPECT_EQ(change, c.change) << c.what;
                }
            } catch (const AppError& e) {
                EXPECT_TRUE(byHand && c.refusedByHand) << c.what << ": " << e.text().toStdString();
            }
            EXPECT_EQ(stored(base), c.stored) << c.what << (byHand ? " by hand" : "");
        }
    }
    for (const char* notANumber : {"", "12a", "-3", "1234567890"}) {
        EXPECT_THROW(recordHighest(*db, "4599", notANumber), AppError) << notANumber;
        EXPECT_EQ(stored("4599"), "<none>") << notANumber;
    }
}

TEST_P(BaseLock, EveryPathToOneDatabaseFileReachesOneReservation) {
    if (GetParam() != Engine::Sqlite)
        GTEST_SKIP() << "a server database has one name";
    // The folder of the database reached through a link, as another workstation's
    // mount or a shortcut reaches it.
    const QString linked = dir.filePath("linked");
    ASSERT_TRUE(QFile::link(QFileInfo(scratch->path()).absolutePath(), linked));
    const auto viaLink = Database::open(linked + "/" + QFileInfo(scratch->path()).fileName());
    const auto run = lockNveBase(*viaLink, "4012345", 0);
    expectRefused("4012345", "held through another path");
}

INSTANTIATE_TEST_SUITE_P(Engines, BaseLock, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return engineName(info.param); });

} // namespace
} // namespace palomex::test
