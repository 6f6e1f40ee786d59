// The cost of a large register to the import: a small contract (the sample file) imported into
// a database that holds CONTRACTS contracts, with and without the descending index on
// CONTRACT NUMBER that answers the import's "max(number)". Also that statement alone.
// With TARVIK (the executable), also "tarvik import" as a process, start-up included.
// Each figure is the median of ROUNDS imports. Prints figures only.
// Usage: bench_register [CONTRACTS] [ROUNDS] [TARVIK]
#include "core/catalogue.h"
#include "core/contractimport.h"
#include "core/contractreader.h"
#include "core/dbcreate.h"
#include "core/fbdatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const QString kSample = QStringLiteral(TARVIK_SOURCE_DIR "/samples/contract-2026-0041.dat");

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// The benchmark's own setup: the register filled with `contracts` headers and, for the
// "before" database, the index dropped again.
void prepare(const QString& path, int contracts, bool index, const ContractContent& c) {
    DbCreate::createDatabase(path);
    FbDatabase db;
    db.setDatabaseName(path);
    db.open();
    FbTransaction tr(db);
    FbQuery q(db, tr);
    if (!index) {
        tr.startTransaction();
        q.setSql({QStringLiteral("DROP INDEX IX_CONTRACT_NUMBER_DESC")});
        q.execSql();
        tr.commit();
    }
    tr.startTransaction();
    for (int i = 0; i < contracts; ++i)
        Catalogue::insertContract(q, c.title, kSample);
    tr.commit();
    db.close();
}

struct Figures {
    double importMs = 0;
    double maxMs = 0;
    QString plan;
};

Figures measure(const QString& path, int rounds, const ContractContent& c) {
    FbDatabase db;
    db.setDatabaseName(path);
    db.open();
    FbTransaction tr(db);
    FbQuery q(db, tr), qOrgs(db, tr);
    std::vector<double> imports, maxes;
    Figures f;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        ImportContract(tr, q, qOrgs, c.refItems, c.title, c.items, kSample);
        imports.push_back(ms(t));
        tr.startTransaction();
        t.restart();
        (void)Catalogue::lastContractNumber(q);
        maxes.push_back(ms(t));
        if (f.plan.isEmpty())
            f.plan = q.plan();
        tr.commit();
    }
    db.close();
    f.importMs = median(imports);
    f.maxMs = median(maxes);
    return f;
}

// Median wall time of `rounds` command-line imports; -1 when one fails.
double measureProcess(const QString& tarvik, const QString& path, int rounds) {
    std::vector<double> runs;
    for (int r = 0; r < rounds; ++r) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(tarvik, {QStringLiteral("import"), QStringLiteral("--db"), path, kSample});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return -1;
        runs.push_back(ms(t));
    }
    return median(runs);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int contracts = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 21;
    const QString tarvik = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    const ContractContent c = ReadContract(kSample);
    QTemporaryDir dir;
    std::printf("sample contract: %lld organisations and goods, %lld item lines; median of %d "
                "imports\n",
                static_cast<long long>(c.refItems.size()), static_cast<long long>(c.items.size()),
                rounds);
    std::printf("%-34s %12s %16s %12s  %s\n", "register", "import, ms", "max(number), ms",
                "process, ms", "plan");
    struct Case {
        const char* name;
        int contracts;
        bool index;
    };
    const Case cases[] = {{"empty, without the index", 0, false},
                          {"empty, with the index", 0, true},
                          {"large, without the index", contracts, false},
                          {"large, with the index", contracts, true}};
    int n = 0;
    for (const Case& k : cases) {
        const QString path = dir.filePath(QStringLiteral("r%1.gdb").arg(n++));
        prepare(path, k.contracts, k.index, c);
        const Figures f = measure(path, rounds, c);
        const double process = tarvik.isEmpty() ? 0 : measureProcess(tarvik, path, rounds);
        std::printf("%-26s %7d %12.2f %16.3f %12.1f  %s\n", k.name, k.contracts, f.importMs,
                    f.maxMs, process, qPrintable(f.plan.simplified()));
    }
    return 0;
}
