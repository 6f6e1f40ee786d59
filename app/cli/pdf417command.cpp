// tarvik pdf417 [--ecc L] [--columns N] [--rows R] --out FILE.pdf|FILE.png TEXT...: each text as
// a PDF417 symbol on a barcode sheet; --columns is the least number of data columns.
#include "cli/clitool.h"
#include "cli/commands.h"
#include "core/apperror.h"
#include "forms/barcodesheet.h"
#include "forms/pdf417converter.h"
#include "forms/renderer.h"

namespace Cli {

int cmdPdf417(const QStringList& args) {
    Args a("pdf417", QStringLiteral("Печатает каждый текст символом PDF417 на листе штрих-кода."));
    a.addOption(QStringLiteral("ecc"), QStringLiteral("уровень коррекции ошибок"),
                QStringLiteral("L"));
    a.addOption(QStringLiteral("columns"), QStringLiteral("наименьшее число столбцов данных"),
                QStringLiteral("N"));
    a.addOption(QStringLiteral("rows"), QStringLiteral("число строк"), QStringLiteral("R"));
    a.addOption(QStringLiteral("out"), QStringLiteral("файл PDF или PNG"), QStringLiteral("FILE"));
    a.addPositional(QStringLiteral("TEXT"), QStringLiteral("текст символа"));
    if (auto rc = a.parse(args))
        return *rc;
    return run([&] {
        const int ecc = a.intValue(QStringLiteral("ecc"), -1, 8, -1);
        const int columns = a.intValue(QStringLiteral("columns"), 0, 30, 7);
        const int rows = a.intValue(QStringLiteral("rows"), 0, 90, 0);
        const QString out = a.value(QStringLiteral("out"));
        const QStringList texts = a.positional();
        if (out.isEmpty() || texts.isEmpty())
            throw AppError(QStringLiteral("Использование: tarvik pdf417 [--ecc L] [--columns N] "
                                          "[--rows R] --out ФАЙЛ.pdf|ФАЙЛ.png ТЕКСТ..."));
        const bool pdf = out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
        if (!pdf && !out.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
            throw AppError(QStringLiteral("Файл %1: ожидается расширение .pdf или .png").arg(out));
        Pdf417Converter converter;
        Forms::Report report = Forms::Report::load(QStringLiteral("frBarCode"));
        // Each symbol is widened for Memo1's room and fitted into it (pdf417converter.h), so
        // however long the text, it stays on its sheet.
        const Pdf417Room room = report.symbolRoom(QStringLiteral("Memo1"));
        Forms::setBarcodeSheetBuild(report, int(texts.size()), [&](int i) {
            return converter.Convert(texts[i], ecc, columns, rows, room);
        });
        const Forms::PreparedReport& prepared = report.prepare();
        if (pdf)
            Forms::writePdf(prepared, out);
        else
            Forms::writePng(prepared, out, 300);
        return 0;
    });
}

} // namespace Cli
