// tarvik label [--db FILE] --contract N --recipient ID --row R|all --per-package QTY|ROW=QTY
//              --kind transport|consumer --out FILE.pdf|FILE.png: the labels the label window
// prints, written to a file.
#include "cli/clitool.h"
#include "cli/commands.h"
#include "core/apperror.h"
#include "core/catalogue.h"
#include "core/labels.h"
#include "docs/labelprint.h"
#include "docs/symbolcheck.h"
#include "forms/renderer.h"

#include <QMap>
#include <climits>

namespace Cli {

namespace {

const QString kUsage = QStringLiteral(
    "Использование: tarvik label [--db FILE] --contract N --recipient ID --row R|all "
    "--per-package КОЛ|СТРОКА=КОЛ --kind transport|consumer --out ФАЙЛ.pdf|ФАЙЛ.png");

// The per-package quantity as typed in the window's column 5; a point is taken for the
// decimal separator too. Text that is not a number is an error here, not passed over.
void applyPerPackage(TContData& record, const QString& text, int row) {
    QString t = text.trimmed();
    t.replace(QLatin1Char('.'), Regional::current().decimalSeparator);
    if (!Labels::setPerPackage(record, t))
        throw AppError(QStringLiteral("Количество в упаковке для строки %1 не является числом: %2")
                           .arg(row)
                           .arg(text));
}

// "ROW=QTY" entries, several to an option or the option repeated.
QMap<int, QString> perRow(const QStringList& values, int rows) {
    QMap<int, QString> out;
    for (const QString& value : values)
        for (const QString& entry : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const qsizetype eq = entry.indexOf(QLatin1Char('='));
            bool ok = eq > 0;
            const int row = ok ? entry.left(eq).trimmed().toInt(&ok) : 0;
            if (!ok)
                throw AppError(QStringLiteral("С --row all количество в упаковке задаётся по "
                                              "строкам: --per-package СТРОКА=КОЛ; получено %1")
                                   .arg(entry));
            if (row < 1 || row > rows)
                throw AppError(
                    QStringLiteral("Нет строки %1: у получателя строк %2").arg(row).arg(rows));
            out.insert(row, entry.mid(eq + 1));
        }
    return out;
}

} // namespace

int cmdLabel(const QStringList& args) {
    Args a("label", QStringLiteral("Печатает транспортную или потребительскую этикетку строки "
                                   "контракта в файл PDF или PNG, как окно «Печать этикеток»."));
    a.addDatabaseOption();
    a.addOption(QStringLiteral("contract"), QStringLiteral("номер контракта в базе (number)"),
                QStringLiteral("N"));
    a.addOption(QStringLiteral("recipient"), QStringLiteral("код получателя (recip)"),
                QStringLiteral("ID"));
    a.addOption(QStringLiteral("row"),
                QStringLiteral("строка таблицы получателя, от 1, или all: каждая строка с "
                               "количеством в упаковке, отличным от 0"),
                QStringLiteral("R"));
    a.addOption(QStringLiteral("per-package"),
                QStringLiteral("количество в единице упаковки; с --row all: СТРОКА=КОЛ, "
                               "через ; или повторяя параметр"),
                QStringLiteral("QTY"));
    a.addOption(QStringLiteral("kind"), QStringLiteral("transport или consumer"),
                QStringLiteral("KIND"));
    a.addOption(QStringLiteral("out"), QStringLiteral("файл PDF или PNG"), QStringLiteral("FILE"));
    a.addOption(QStringLiteral("dpi"), QStringLiteral("разрешение PNG, точек на дюйм (300)"),
                QStringLiteral("N"));
    if (auto rc = a.parse(args))
        return *rc;
    return run([&] {
        if (!a.positional().isEmpty())
            throw AppError(
                QStringLiteral("Лишние аргументы: %1").arg(a.positional().join(QLatin1Char(' '))));
        const QString kindText = a.value(QStringLiteral("kind"));
        const QString out = a.value(QStringLiteral("out"));
        if (out.isEmpty() || !a.isSet(QStringLiteral("row")) ||
            (kindText != QLatin1String("transport") && kindText != QLatin1String("consumer")))
            throw AppError(kUsage);
        const Docs::LabelKind kind = kindText == QLatin1String("transport")
                                         ? Docs::LabelKind::Transport
                                         : Docs::LabelKind::Consumer;
        const bool pdf = out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
        if (!pdf && !out.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
            throw AppError(QStringLiteral("Файл %1: ожидается расширение .pdf или .png").arg(out));
        const int dpi = a.intValue(QStringLiteral("dpi"), 30, 1200, 300);
        const int number = a.intValue(QStringLiteral("contract"), 1, INT_MAX);
        const int recip = a.intValue(QStringLiteral("recipient"), INT_MIN, INT_MAX);

        DbConnection c(a.database());
        c.dbTarvik.open();
        // The contract as the register shows it: its row of qMain.
        Catalogue::openRegister(c);
        FbQuery& q = c.qMain;
        while (!q.eof() && q.fieldByName(QStringLiteral("number")).asInteger() != number)
            q.next();
        if (q.eof())
            throw AppError(QStringLiteral("Контракт %1 не найден").arg(number));
        Docs::LabelData data;
        const Catalogue::ContractRow contract = Catalogue::currentContract(q);
        data.docno = contract.docno;
        data.agents = contract.agents;
        data.rem = contract.rem;
        bool found = false;
        for (const Catalogue::Recipient& r : Catalogue::recipients(c.qTarvik, number))
            if (r.recip == recip) {
                data.recipient = r.recipS;
                found = true;
            }
        if (!found)
            throw AppError(
                QStringLiteral("У контракта %1 нет получателя %2").arg(number).arg(recip));
        TContDataList items = Labels::loadItems(c.qTarvik, number, recip);
        c.dbTarvik.close();

        QList<int> rows; // from 1, in grid order
        const QStringList perPackage = a.parser().values(QStringLiteral("per-package"));
        if (a.value(QStringLiteral("row")) == QLatin1String("all")) {
            const QMap<int, QString> given = perRow(perPackage, int(items.size()));
            for (auto it = given.cbegin(); it != given.cend(); ++it)
                applyPerPackage(items[it.key() - 1], it.value(), it.key());
            for (int r = 1; r <= items.size(); ++r)
                if (items[r - 1].factQuant != 0)
                    rows << r;
            if (rows.isEmpty())
                throw AppError(QStringLiteral("Нет строк с количеством в упаковке, отличным "
                                              "от 0: задайте --per-package СТРОКА=КОЛ"));
        } else {
            if (items.isEmpty())
                throw AppError(QStringLiteral("У получателя %1 нет строк контракта").arg(recip));
            const int row = a.intValue(QStringLiteral("row"), 1, int(items.size()));
            if (perPackage.size() > 1)
                throw AppError(QStringLiteral("Для одной строки задайте одно --per-package"));
            if (!perPackage.isEmpty())
                applyPerPackage(items[row - 1], perPackage.first(), row);
            rows << row;
        }

        const Forms::Report design = Forms::Report::load(Docs::labelTemplate(kind));
        Forms::PreparedReport all;
        int checked = 0;
        for (const int r : rows) {
            data.record = items[r - 1];
            Docs::PreparedLabel label = Docs::prepareLabel(design, kind, data);
            checked += label.checked;
            for (const QString& w : label.warnings)
                printError(rows.size() > 1 ? QStringLiteral("Строка %1: %2").arg(r).arg(w) : w);
            all.title = label.report.prepared().title;
            for (const Forms::Sheet& s : label.report.prepared().sheets)
                all.sheets.push_back(s);
        }
        if (pdf) {
            Forms::writePdf(all, out);
            Cli::out() << out << '\n';
        } else {
            for (const QString& f : Forms::writePng(all, out, dpi))
                Cli::out() << f << '\n';
        }
        Cli::out() << Docs::checkedNote(checked) << '\n';
        return 0;
    });
}

} // namespace Cli
