#include "core/contractimport.h"

#include "core/apperror.h"
#include "core/catalogue.h"

#include <QFileInfo>

namespace {

// Runs one step and names what it was writing in the message of a database error.
template <class F> void withContext(const QString& what, F&& step) {
    try {
        step();
    } catch (const DbError& e) {
        throw e.withMessage(what + QStringLiteral(": ") + e.message());
    }
}

// Organisations, header, number and item lines: the statements of one attempt.
int writeContract(FbQuery& qTarvik, FbQuery& qOrgs, const TRefItemList& refItems,
                  const TContTitle& title, const TContDataList& items, const QString& fileName,
                  const ImportProgress& progress) {
    const qsizetype total = refItems.size() + 1 + items.size();
    qsizetype done = 0;
    auto report = [&](bool force) {
        // Every 64 steps keeps the window responsive without slowing the writes.
        if (progress && (force || (done & 63) == 0))
            progress(done, total);
    };
    report(true);

    for (const TRefItem& r : refItems) {
        ++done;
        if (r.refBook != 2)
            continue;
        withContext(QStringLiteral("Организация %1").arg(r.id), [&] {
            Catalogue::setOrganisationWrite(qTarvik, r, Catalogue::organisationExists(qOrgs, r.id));
            qTarvik.execSql();
        });
        report(false);
    }

    int number = 0;
    withContext(QStringLiteral("Шапка контракта"), [&] {
        Catalogue::insertContract(qTarvik, title, QFileInfo(fileName).absoluteFilePath());
        const std::optional<int> last = Catalogue::lastContractNumber(qTarvik);
        if (!last)
            throw AppError(QStringLiteral("Не удалось получить номер шапки !"));
        number = *last;
    });
    ++done;
    report(true);

    Catalogue::ContractLineInsert lines(qTarvik, number);
    for (const TContData& d : items) {
        withContext(QStringLiteral("Позиция %1 контракта").arg(d.posNo), [&] { lines.insert(d); });
        ++done;
        report(false);
    }
    report(true);
    return number;
}

} // namespace

TransactionParams importTransactionParams() {
    TransactionParams p = writeTransactionParams();
    p.isolation = TransactionParams::Isolation::Snapshot;
    return p;
}

int ImportContract(FbTransaction& trTarvik, FbQuery& qTarvik, FbQuery& qOrgs,
                   const TRefItemList& refItems, const TContTitle& title,
                   const TContDataList& items, const QString& fileName,
                   const ImportProgress& progress) {
    int number = 0;
    WriteOptions options;
    options.params = importTransactionParams();
    runWrite(
        trTarvik,
        [&] { number = writeContract(qTarvik, qOrgs, refItems, title, items, fileName, progress); },
        options);
    return number;
}

int ImportContract(DbConnection& c, const QString& fileName, const ImportProgress& progress) {
    return ImportContract(c.trTarvik, c.qTarvik, c.qOrgs, RefItemList, ContTitle, ContDataList,
                          fileName, progress);
}
