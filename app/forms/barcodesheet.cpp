#include "forms/barcodesheet.h"

#include "core/apperror.h"
#include "forms/pdf417converter.h"
#include "forms/renderer.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <cstdio>

namespace Forms {

void setBarcodeSheetBuild(Report& report, int count, std::function<QString(int)> codeFor) {
    report.onManualBuild = [&report, count, codeFor](ReportBuilder& b) {
        for (int i = 0; i < count; ++i) {
            report.variables().set(QStringLiteral("code"), codeFor(i));
            b.showBand(QStringLiteral("MasterHeader1"));
            if (i < count - 1)
                b.newPage();
        }
    };
}

int barcodeSheetMaxRows() {
    // Memo1 starts 8 units down the 180-unit sheet, its rows 1 unit lower, 4 units apart.
    return (180 - 8 - 1) / 4;
}

namespace {

void printError(const QString& message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

int intOption(const QCommandLineParser& p, const QString& name, int def, int low, int high) {
    if (!p.isSet(name))
        return def;
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < low || v > high)
        throw AppError(QStringLiteral("Неверное значение --%1: %2 (допустимо от %3 до %4)")
                           .arg(name, p.value(name))
                           .arg(low)
                           .arg(high));
    return v;
}

} // namespace

int cmdPdf417(const QStringList& args) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "tarvik";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    QCommandLineParser p;
    p.addOption(
        {QStringLiteral("ecc"), QStringLiteral("уровень коррекции ошибок"), QStringLiteral("L")});
    p.addOption(
        {QStringLiteral("columns"), QStringLiteral("число столбцов данных"), QStringLiteral("N")});
    p.addOption({QStringLiteral("rows"), QStringLiteral("число строк"), QStringLiteral("R")});
    p.addOption(
        {QStringLiteral("out"), QStringLiteral("файл PDF или PNG"), QStringLiteral("FILE")});
    p.addPositionalArgument(QStringLiteral("TEXT"), QStringLiteral("текст символа"));
    if (!p.parse(QStringList{QStringLiteral("tarvik pdf417")} + args)) {
        printError(p.errorText());
        return 1;
    }
    try {
        const int ecc = intOption(p, QStringLiteral("ecc"), -1, -1, 8);
        const int columns = intOption(p, QStringLiteral("columns"), 7, 0, 30);
        const int rows = intOption(p, QStringLiteral("rows"), 0, 0, 90);
        const QString out = p.value(QStringLiteral("out"));
        const QStringList texts = p.positionalArguments();
        if (out.isEmpty() || texts.isEmpty())
            throw AppError(QStringLiteral("Использование: tarvik pdf417 [--ecc L] [--columns N] "
                                          "[--rows R] --out ФАЙЛ.pdf|ФАЙЛ.png ТЕКСТ..."));
        const bool pdf = out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
        if (!pdf && !out.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
            throw AppError(QStringLiteral("Файл %1: ожидается расширение .pdf или .png").arg(out));
        Pdf417Converter converter;
        Report report = Report::load(QStringLiteral("frBarCode"));
        // A symbol cut off at the sheet's bottom edge would not scan: refuse it instead.
        const int maxRows = barcodeSheetMaxRows();
        setBarcodeSheetBuild(report, int(texts.size()), [&](int i) {
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
        const PreparedReport& prepared = report.prepare();
        if (pdf)
            writePdf(prepared, out);
        else
            writePng(prepared, out, 300);
        return 0;
    } catch (const AppError& e) {
        printError(e.message());
        return 1;
    }
}

} // namespace Forms
