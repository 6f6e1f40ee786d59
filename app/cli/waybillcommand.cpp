// tarvik waybill: a waybill printed to a file, through the same loading, editing rules and print
// sequence as the waybill window.
#include "cli/clitool.h"
#include "cli/commands.h"
#include "cli/contractargs.h"
#include "core/apperror.h"
#include "core/catalogue.h"
#include "core/regional.h"
#include "core/waybill.h"
#include "docs/waybillprint.h"
#include "forms/renderer.h"

#include <QMap>
#include <climits>

namespace Cli {

namespace {

// "ROW=VALUE" options: the value per grid row (from 1), the last one given for a row counting.
QMap<int, QString> rowValuesOf(const Args& a, const QString& option, int rows) {
    QMap<int, QString> out;
    for (const QString& v : a.values(option)) {
        const qsizetype eq = v.indexOf(QLatin1Char('='));
        bool ok = false;
        const int row = eq > 0 ? v.left(eq).trimmed().toInt(&ok) : 0;
        if (!ok)
            throw AppError(QStringLiteral("--%1 %2: ожидается СТРОКА=ЗНАЧЕНИЕ").arg(option, v));
        if (row < 1 || row > rows)
            throw AppError(QStringLiteral("--%1 %2: нет строки %3 (строк: %4)")
                               .arg(option, v)
                               .arg(row)
                               .arg(rows));
        out.insert(row, v.mid(eq + 1));
    }
    return out;
}

// A number as typed: a decimal comma or a dot.
QString typedNumber(const QString& text) {
    QString t = text.trimmed();
    t.replace(QLatin1Char('.'), Regional::current().decimalSeparator);
    t.replace(QLatin1Char(','), Regional::current().decimalSeparator);
    return t;
}

void typeInto(TContData& d, int row, int column, const QString& text, const char* what) {
    const QString typed = column == Waybill::ColVidup ? text : typedNumber(text);
    if (!Waybill::setEditText(d, column, typed))
        throw AppError(QStringLiteral("Строка %1: %2 «%3» не число")
                           .arg(row)
                           .arg(QString::fromUtf8(what), text));
}

void storeSerials(TContData& d, int row, const QString& text) {
    QStringList numbers = text.split(QLatin1Char(';'));
    if (!numbers.isEmpty() && numbers.last().trimmed().isEmpty())
        numbers.removeLast();
    const int count = Waybill::serialCount(d);
    if (numbers.size() > count)
        throw AppError(
            QStringLiteral("Строка %1: серийных номеров %2, а целых отгруженных единиц %3")
                .arg(row)
                .arg(numbers.size())
                .arg(count));
    for (const QString& n : numbers) {
        if (n.isEmpty())
            throw AppError(QStringLiteral("Строка %1: пустой серийный номер").arg(row));
        if (n.size() > Serials::kMaxLength)
            throw AppError(QStringLiteral("Строка %1: серийный номер «%2» длиннее %3 символов")
                               .arg(row)
                               .arg(n)
                               .arg(Serials::kMaxLength));
        for (QChar ch : n)
            if (!Waybill::serialAllowed(ch, false))
                throw AppError(
                    QStringLiteral("Строка %1: недопустимый символ «%2» в серийном номере «%3»")
                        .arg(row)
                        .arg(ch)
                        .arg(n));
    }
    d.serials = Serials::collect(numbers).serials;
}

void checkDocumentNumber(const QString& number) {
    if (number.size() > 10)
        throw AppError(QStringLiteral("Номер документа длиннее 10 символов: %1").arg(number));
    for (QChar ch : number)
        if (!Waybill::documentNumberAllowed(ch))
            throw AppError(
                QStringLiteral("Номер документа не может содержать русские буквы: %1").arg(number));
}

} // namespace

int cmdWaybill(const QStringList& args) {
    Args a("waybill", QStringLiteral("Печатает накладную в файл PDF, PNG или файл "
                                     "подготовленного отчёта."));
    a.addDatabaseOption();
    a.addOption(QStringLiteral("contract"), QStringLiteral("номер контракта (tarvik list)"),
                QStringLiteral("N"));
    a.addOption(QStringLiteral("recipient"), QStringLiteral("получатель (tarvik recipients)"),
                QStringLiteral("ID"));
    a.addOption(QStringLiteral("type"), QStringLiteral("torg12, 1t или barcode"),
                QStringLiteral("TYPE"));
    a.addOption(QStringLiteral("number"), QStringLiteral("номер документа"),
                QStringLiteral("TEXT"));
    a.addOption(QStringLiteral("date"), QStringLiteral("дата документа (по умолчанию сегодня)"),
                QStringLiteral("dd.MM.yyyy"));
    a.addOption(QStringLiteral("ship"), QStringLiteral("отгружено по строке"),
                QStringLiteral("ROW=QTY"));
    a.addOption(QStringLiteral("pack"), QStringLiteral("вид упаковки по строке"),
                QStringLiteral("ROW=TEXT"));
    a.addOption(QStringLiteral("per-place"), QStringLiteral("количество в одном месте"),
                QStringLiteral("ROW=QTY"));
    a.addOption(QStringLiteral("gross"), QStringLiteral("масса брутто"),
                QStringLiteral("ROW=MASS"));
    a.addOption(QStringLiteral("serials"), QStringLiteral("серийные номера"),
                QStringLiteral("ROW=S1;S2;..."));
    a.addOption(QStringLiteral("out"), QStringLiteral("файл .pdf, .png или .trp"),
                QStringLiteral("FILE"));
    if (auto rc = a.parse(args))
        return *rc;
    return run([&] {
        const int contract = a.intValue(QStringLiteral("contract"), 1, INT_MAX);
        const int recipient = a.intValue(QStringLiteral("recipient"), INT_MIN, INT_MAX);
        const QString type = a.value(QStringLiteral("type"));
        Docs::WaybillInput in;
        if (type == QLatin1String("torg12"))
            in.type = Docs::Torg12;
        else if (type == QLatin1String("1t"))
            in.type = Docs::OneT;
        else if (type == QLatin1String("barcode"))
            in.type = Docs::BarcodeOnly;
        else
            throw AppError(QStringLiteral("--type: ожидается torg12, 1t или barcode"));
        in.number = a.value(QStringLiteral("number"));
        checkDocumentNumber(in.number);
        in.date = QDate::currentDate();
        if (a.isSet(QStringLiteral("date"))) {
            in.date = Regional::current().parseDate(a.value(QStringLiteral("date")));
            if (!in.date.isValid())
                throw AppError(QStringLiteral("--date: неверная дата %1")
                                   .arg(a.value(QStringLiteral("date"))));
        }
        const QString out = a.value(QStringLiteral("out"));
        const QString suffix = out.section(QLatin1Char('.'), -1).toLower();
        if (out.isEmpty() || (suffix != QLatin1String("pdf") && suffix != QLatin1String("png") &&
                              suffix != QLatin1String("trp")))
            throw AppError(QStringLiteral("--out: ожидается файл .pdf, .png или .trp"));

        DbConnection c(a.database());
        c.dbTarvik.open();
        selectContract(c, contract);
        checkRecipient(c, recipient);
        const Catalogue::ContractRow selected = Catalogue::currentContract(c.qMain);
        in.docno = selected.docno;
        in.contractDate = selected.data;
        in.rem = selected.rem;
        Waybill::loadShowValues(c.qTarvik, contract, in.values);
        TContDataList items;
        Waybill::loadItems(c.qTarvik, contract, recipient, items, in.values);

        const int rows = int(items.size());
        const auto ship = rowValuesOf(a, QStringLiteral("ship"), rows);
        const auto pack = rowValuesOf(a, QStringLiteral("pack"), rows);
        const auto perPlace = rowValuesOf(a, QStringLiteral("per-place"), rows);
        const auto gross = rowValuesOf(a, QStringLiteral("gross"), rows);
        const auto serials = rowValuesOf(a, QStringLiteral("serials"), rows);
        for (int row = 1; row <= rows; ++row) {
            TContData& d = items[row - 1];
            // In the order a user types them into the row's cells.
            if (ship.contains(row))
                typeInto(d, row, Waybill::ColFactQuant, ship[row], "количество");
            if (pack.contains(row))
                typeInto(d, row, Waybill::ColVidup, pack[row], "упаковка");
            if (perPlace.contains(row))
                typeInto(d, row, Waybill::ColKlv1m, perPlace[row], "количество в месте");
            if (gross.contains(row))
                typeInto(d, row, Waybill::ColBrutto, gross[row], "масса брутто");
            if (serials.contains(row))
                storeSerials(d, row, serials[row]);
        }

        Docs::WaybillPrinter printer;
        Forms::Report* report = printer.print(in, items);
        if (!report)
            throw AppError(QStringLiteral("У получателя нет позиций: печатать нечего"));
        const Forms::PreparedReport& prepared = report->prepared();
        if (suffix == QLatin1String("pdf"))
            Forms::writePdf(prepared, out);
        else if (suffix == QLatin1String("png"))
            Forms::writePng(prepared, out, 300);
        else
            prepared.save(out);
        Cli::out() << QStringLiteral("Листов: %1, символов PDF417: %2\n%3\n")
                          .arg(prepared.sheets.size())
                          .arg(printer.barcodes().BarcodeChunks.size())
                          .arg(Docs::checkedNote(printer.symbolsChecked()));
        c.dbTarvik.close();
        return 0;
    });
}

} // namespace Cli
