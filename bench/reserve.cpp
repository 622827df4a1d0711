// NVE reservations per second on a server database with 1, 4 and 8 competing
// processes, all on one base number and each on its own. A reservation is a whole
// run's bookkeeping: lock, record the range, release. Refusals are counted apart.
// Usage: bench_reserve [postgresql://...]  (default: PALOMEX_TEST_PG)

#include "app/AppError.h"
#include "db/Database.h"
#include "db/NveLock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kMillis = 2000;

// Child: reserves for kMillis and prints "<granted> <refused>".
int worker(const QString& uri, const QString& base) {
    const std::unique_ptr<palomex::Database> db = palomex::Database::open(uri);
    long granted = 0, refused = 0;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kMillis) {
        try {
            const auto lock = palomex::lockNveBase(*db, base, 0);
            const qint64 last = lock->highest().value_or(0) + 10;
            lock->recordPrinted(last);
            lock->release(last);
            ++granted;
        } catch (const palomex::AppError& e) {
            if (e.number() != palomex::err::RecordLocked)
                throw;
            ++refused;
        }
    }
    std::printf("%ld %ld\n", granted, refused);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--worker"))
        return worker(args.at(2), args.at(3));
    const QString uri = args.size() > 1 ? args.at(1) : qEnvironmentVariable("PALOMEX_TEST_PG");
    if (uri.isEmpty()) {
        std::printf("reserve: no server (give a URI or set PALOMEX_TEST_PG)\n");
        return 0;
    }
    try {
        palomex::Database::open(uri)->update(QString());
    } catch (const palomex::AppError& e) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(e.text()));
        return 1;
    }
    std::printf("%-10s %-9s %12s %12s\n", "processes", "bases", "granted/s", "refused/s");
    for (const bool sameBase : {true, false}) {
        for (const int n : {1, 4, 8}) {
            std::vector<std::unique_ptr<QProcess>> children;
            for (int i = 0; i < n; ++i) {
                auto p = std::make_unique<QProcess>();
                const QString base =
                    sameBase ? QStringLiteral("4012345") : QString::number(4100000 + i);
                p->start(QCoreApplication::applicationFilePath(), {"--worker", uri, base});
                children.push_back(std::move(p));
            }
            long granted = 0, refused = 0;
            for (auto& p : children) {
                p->waitForFinished(kMillis * 10);
                const QStringList f = QString::fromLatin1(p->readAllStandardOutput()).split(u' ');
                granted += f.value(0).toLong();
                refused += f.value(1).toLong();
            }
            const double seconds = kMillis / 1000.0;
            std::printf("%-10d %-9s %12.0f %12.0f\n", n, sameBase ? "one" : "own",
                        granted / seconds, refused / seconds);
        }
    }
    return 0;
}
