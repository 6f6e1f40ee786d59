// Import benchmark: a generated contract of POSITIONS positions x 3 recipients.
//   - reading the file's bytes against reading and parsing it (ReadContract);
//   - the whole import (ImportContract: organisations, header, item lines, commit) against a
//     bare loop that inserts the same CONTRACT2 rows with one prepared statement in one
//     transaction, straight through the Firebird OO API, on the same embedded engine.
// Each figure is the best of ROUNDS runs on fresh database files. Prints figures only.
// Usage: bench_import [POSITIONS] [ROUNDS]
#include "core/catalogue.h"
#include "core/contractimport.h"
#include "core/contractreader.h"
#include "core/cp1251.h"
#include "core/dbcreate.h"
#include "core/fbdatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <firebird/Interface.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

using namespace Firebird;

namespace {

constexpr int kRecipients = 3;
constexpr int kOrganisations = 60;

QByteArray koi8(const QString& text) {
    // Inverse of the reader's table for the characters the generator uses.
    static QHash<char16_t, char> inverse = [] {
        QHash<char16_t, char> h;
        for (int b = 0xC0; b <= 0xFF; ++b) {
            const unsigned char w = ConvertKoi8Byte(static_cast<unsigned char>(b));
            h.insert(Cp1251::toUnicode(w), char(b));
        }
        return h;
    }();
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text)
        out.append(c.unicode() < 0x80 ? char(c.unicode()) : inverse.value(c.unicode(), '?'));
    return out;
}

QByteArray generate(int positions) {
    QString t = CONTRACTS_GUID + QStringLiteral("\r\n[REFERENCEBOOKS]\r\n");
    for (int o = 1; o <= kOrganisations; ++o) {
        t += QStringLiteral("2#%1#%2#3#Учреждение %1#Государственное бюджетное учреждение "
                            "здравоохранения номер %1#69%3#1700%4#г. Лесногорск, ул. Садовая, "
                            "д. %1#(4822) 32-%4#0322464328000000%4#Отделение Лесногорск##"
                            "042809001##0193%4#Лесногорск#061503#Октябрьская ж.д.#44%4#\r\n")
                 .arg(o)
                 .arg(2200000 + o)
                 .arg(o, 8, 10, QChar('0'))
                 .arg(o, 2, 10, QChar('0'));
    }
    for (int g = 1; g <= positions; ++g) {
        t += QStringLiteral("5#%1#93%2#0#Изделие медицинское, артикул %1, упаковка %3 шт#\r\n")
                 .arg(g)
                 .arg(g, 5, 10, QChar('0'))
                 .arg(g % 50 + 1);
    }
    t += QStringLiteral("6#796#796#0#шт#\r\n6#736#736#0#рул#\r\n[/REFERENCEBOOKS]\r\n[CONTRACT]\r\n"
                        "0163200000326009999-0001#12.01.2026#31.12.2026#2#1##ПР-1/26#Поставка "
                        "изделий медицинского назначения#0#2#\r\n[/CONTRACT]\r\n[CONTRACT2]\r\n");
    for (int p = 1; p <= positions; ++p) {
        t += QStringLiteral("%1#5#%1#6#%2#%3#ГОСТ %4-93#0#0#%5\r\n")
                 .arg(p)
                 .arg(p % 2 ? 796 : 736)
                 .arg(p % 3)
                 .arg(10000 + p % 900)
                 .arg(p % 10 == 0 ? QStringLiteral("Отгрузка партиями#") : QString());
    }
    t += QStringLiteral("[/CONTRACT2]\r\n[CONTRACT3]\r\n");
    for (int p = 1; p <= positions; ++p) {
        for (int r = 0; r < kRecipients; ++r) {
            t += QStringLiteral("%1#2#%2#%3.0%4.2026#%5#%6.%7#\r\n")
                     .arg(p)
                     .arg(3 + (p + r * 7) % (kOrganisations - 2))
                     .arg(10 + r)
                     .arg(2 + r)
                     .arg(100 + p % 400)
                     .arg((100 + p % 400) * 37)
                     .arg(p % 100, 2, 10, QChar('0'));
        }
    }
    t += QStringLiteral("[/CONTRACT3]\r\n");
    return koi8(t);
}

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// The bare loop: one prepared INSERT, a message buffer filled per row, one transaction.
double bareInsert(const QString& path, const TContDataList& items) {
    FbDatabase db;
    db.setDatabaseName(path);
    db.open();
    FbTransaction tr(db);
    FbQuery q(db, tr);
    q.sqlAdd(QStringLiteral("INSERT INTO CONTRACT(REGNO) VALUES (0)"));
    q.execSql();
    tr.commit();

    IMaster* master = fb_get_master_interface();
    IUtil* util = master->getUtilInterface();
    IStatus* status = master->getStatus();
    ThrowStatusWrapper st(status);
    QElapsedTimer timer;
    timer.start();
    ITransaction* t = db.attachment()->startTransaction(&st, 0, nullptr);
    // The program's own item-line insert, its named parameters as the client's "?".
    const QByteArray text =
        Catalogue::kInsertContractLine.join(QLatin1Char('\n'))
            .replace(QRegularExpression(QStringLiteral(":\\w+")), QStringLiteral("?"))
            .toLatin1();
    const char* sql = text.constData();
    IStatement* stmt = db.attachment()->prepare(&st, t, 0, sql, SQL_DIALECT_V6, 0);
    IMessageMetadata* meta = stmt->getInputMetadata(&st);
    std::vector<unsigned char> buffer(meta->getMessageLength(&st) + 8, 0);
    unsigned char* base = buffer.data();
    unsigned offsets[14], nulls[14];
    for (unsigned i = 0; i < 14; ++i) {
        offsets[i] = meta->getOffset(&st, i);
        nulls[i] = meta->getNullOffset(&st, i);
        std::memset(base + nulls[i], 0, sizeof(short));
    }
    auto putInt = [&](unsigned i, int v) { std::memcpy(base + offsets[i], &v, sizeof v); };
    auto putDouble = [&](unsigned i, double v) { std::memcpy(base + offsets[i], &v, sizeof v); };
    auto putText = [&](unsigned i, const QString& s) {
        const QByteArray b = Cp1251::encode(s);
        const unsigned short n = static_cast<unsigned short>(b.size());
        std::memcpy(base + offsets[i], &n, sizeof n);
        std::memcpy(base + offsets[i] + 2, b.constData(), std::size_t(n));
    };
    putInt(0, 1);
    for (const TContData& d : items) {
        putInt(1, d.elem);
        putText(2, d.kat);
        putText(3, d.gost);
        putInt(4, d.recip);
        ISC_DATE date = util->encodeDate(unsigned(d.data.year()), unsigned(d.data.month()),
                                         unsigned(d.data.day()));
        std::memcpy(base + offsets[5], &date, sizeof date);
        putDouble(6, d.quant);
        putDouble(7, d.summa);
        putText(8, d.elemS);
        putText(9, d.recipS);
        putText(10, d.elemC);
        putText(11, d.recipC);
        putText(12, d.unit);
        putText(13, d.comment);
        stmt->execute(&st, t, meta, base, nullptr, nullptr);
    }
    t->commit(&st);
    const double elapsed = ms(timer);
    meta->release();
    stmt->free(&st);
    status->dispose();
    db.close();
    return elapsed;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int positions = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("big.dat"));
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(generate(positions)) < 0)
            return 1;
    }
    const qint64 size = QFileInfo(file).size();

    double readMs = std::numeric_limits<double>::max();
    double parseMs = readMs, importMs = readMs, bareMs = readMs;
    ContractContent content;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray bytes = f.readAll();
        readMs = std::min(readMs, ms(t));
        if (bytes.size() != size)
            return 1;

        t.restart();
        content = ReadContract(file);
        parseMs = std::min(parseMs, ms(t));
    }
    const qsizetype rows = content.items.size();

    for (int r = 0; r < rounds; ++r) {
        const QString a = dir.filePath(QStringLiteral("import%1.gdb").arg(r));
        const QString b = dir.filePath(QStringLiteral("bare%1.gdb").arg(r));
        DbCreate::createDatabase(a);
        DbCreate::createDatabase(b);
        {
            FbDatabase db;
            db.setDatabaseName(a);
            db.open();
            FbTransaction tr(db);
            FbQuery q(db, tr), qOrgs(db, tr);
            QElapsedTimer t;
            t.start();
            ImportContract(tr, q, qOrgs, content.refItems, content.title, content.items, file,
                           [](qsizetype, qsizetype) { QCoreApplication::processEvents(); });
            importMs = std::min(importMs, ms(t));
            db.close();
        }
        bareMs = std::min(bareMs, bareInsert(b, content.items));
    }

    std::printf("contract: %d positions x %d recipients = %lld item lines, %lld bytes\n", positions,
                kRecipients, static_cast<long long>(rows), static_cast<long long>(size));
    std::printf("best of %d runs\n", rounds);
    std::printf("read file bytes:          %9.1f ms\n", readMs);
    std::printf("read + parse (reader):    %9.1f ms  (%.1fx reading)\n", parseMs, parseMs / readMs);
    std::printf("import (orgs+header+rows):%9.1f ms\n", importMs);
    std::printf("bare insert loop:         %9.1f ms\n", bareMs);
    std::printf("import / bare loop:       %9.2f\n", importMs / bareMs);
    return 0;
}
