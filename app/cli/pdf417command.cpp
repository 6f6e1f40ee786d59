// tarvik pdf417 [--ecc L] [--columns N] [--rows R] --out FILE.pdf|FILE.png TEXT...: each text as
// a PDF417 symbol on a barcode sheet.
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
    a.addOption(QStringLiteral("columns"), QStringLiteral("число столбцов данных"),
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
        // A symbol cut off at the sheet's bottom edge would not scan: refuse it instead.
        const int maxRows = Forms::barcodeSheetMaxRows(report.design());
        Forms::setBarcodeSheetBuild(report, int(texts.size()), [&](int i) {
            const QString code = converter.Convert(texts[i], ecc, columns, rows);
            const int symbolRows = int(code.count(QLatin1Char('\n'))) + 1;
            if (symbolRows > maxRows)
                throw AppError(QStringLiteral("Символ %1 не помещается на лист: %2 строк, "
                                              "помещается %3; увеличьте число столбцов")
                                   .arg(i + 1)
                                   .arg(symbolRows)
                                   .arg(maxRows));
            return code;
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
