// tarvik recipients and tarvik items: the recipient list and the item lines of the waybill
// window, loaded by the same code.
#include "cli/clitool.h"
#include "cli/commands.h"
#include "cli/contractargs.h"
#include "core/apperror.h"
#include "core/catalogue.h"
#include "core/regional.h"
#include "core/waybill.h"

#include <limits>

namespace Cli {

namespace {

constexpr int kMaxValue = std::numeric_limits<int>::max();

void refuseExtraArguments(const Args& a) {
    if (!a.positional().isEmpty())
        throw AppError(
            QStringLiteral("Лишние аргументы: %1").arg(a.positional().join(QLatin1Char(' '))));
}

void printLine(const QStringList& cells) {
    QStringList out;
    out.reserve(cells.size());
    for (const QString& c : cells)
        out << cell(c);
    Cli::out() << out.join(QLatin1Char('\t')) << '\n';
}

} // namespace

int cmdRecipients(const QStringList& args) {
    Args a("recipients",
           QStringLiteral("Выводит получателей контракта, как их список в окне «Накладные»: "
                          "код получателя и его краткое наименование."));
    a.addDatabaseOption();
    a.addOption(QStringLiteral("contract"), QStringLiteral("номер контракта (первый столбец list)"),
                QStringLiteral("N"));
    if (auto rc = a.parse(args))
        return *rc;
    return run([&] {
        refuseExtraArguments(a);
        const int number = a.intValue(QStringLiteral("contract"), 1, kMaxValue);
        DbConnection c(a.database());
        c.dbTarvik.open();
        selectContract(c, number);
        for (const Catalogue::Recipient& r : Catalogue::recipients(c.qTarvik, number))
            printLine({QString::number(r.recip), r.recipS});
        c.dbTarvik.close();
        return 0;
    });
}

int cmdItems(const QStringList& args) {
    Args a("items", QStringLiteral("Выводит строки накладной для получателя контракта, как их "
                                   "загружает окно «Накладные»."));
    a.addDatabaseOption();
    a.addOption(QStringLiteral("contract"), QStringLiteral("номер контракта (первый столбец list)"),
                QStringLiteral("N"));
    a.addOption(QStringLiteral("recipient"),
                QStringLiteral("код получателя (первый столбец recipients)"), QStringLiteral("ID"));
    if (auto rc = a.parse(args))
        return *rc;
    return run([&] {
        refuseExtraArguments(a);
        const int number = a.intValue(QStringLiteral("contract"), 1, kMaxValue);
        const int recip = a.intValue(QStringLiteral("recipient"), 0, kMaxValue);
        DbConnection c(a.database());
        c.dbTarvik.open();
        selectContract(c, number);
        checkRecipient(c, recip);
        TContDataList items;
        Waybill::PrintValues values;
        Waybill::loadItems(c.qTarvik, number, recip, items, values);
        c.dbTarvik.close();
        const Regional& r = Regional::current();
        printLine({QStringLiteral("row"), QStringLiteral("recipC"), QStringLiteral("elem"),
                   QStringLiteral("elemC"), QStringLiteral("elemS"), QStringLiteral("kat"),
                   QStringLiteral("gost"), QStringLiteral("data"), QStringLiteral("quant"),
                   QStringLiteral("summa"), QStringLiteral("price"), QStringLiteral("unit"),
                   QStringLiteral("comment")});
        for (int i = 0; i < items.size(); ++i) {
            const TContData& d = items[i];
            printLine({QString::number(i + 1), d.recipC, QString::number(d.elem), d.elemC, d.elemS,
                       d.kat, d.gost, r.formatDate(d.data), r.formatNumber(d.quant),
                       r.formatNumber(d.summa), r.formatNumber(d.price), d.unit, d.comment});
        }
        return 0;
    });
}

} // namespace Cli
