// A TORG-12 of 2,000 shipped items, each with three serial numbers, through the whole print
// sequence: the two preparations of the printer, the preview's own preparation and the PDF.
// Prints figures only.
#include "docs/waybillprint.h"
#include "forms/pdf417converter.h"
#include "forms/renderer.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;

    TContDataList items;
    for (int i = 0; i < count; ++i) {
        TContData d;
        d.elemC = QStringLiteral("3310%1").arg(i, 5, 10, QLatin1Char('0'));
        d.elemS = QStringLiteral("Бинт марлевый медицинский нестерильный, позиция %1").arg(i + 1);
        d.kat = QStringLiteral("ТМ-1");
        d.unit = QStringLiteral("шт");
        d.gost = QStringLiteral("ГОСТ 1172-93");
        d.quant = 100;
        d.price = 15.6;
        d.factQuant = 3;
        d.factSumma = 46.8;
        for (int s = 0; s < 3; ++s)
            d.serials += QStringLiteral("SN%1-%2;").arg(i, 5, 10, QLatin1Char('0')).arg(s);
        items << d;
    }
    Docs::WaybillInput in;
    in.docno = QStringLiteral("0163200000326004117-0041");
    in.contractDate = QDate(2026, 1, 12);
    in.rem = QStringLiteral("Поставка перевязочных средств");
    in.number = QStringLiteral("A-1");
    in.date = QDate(2026, 3, 5);
    in.values.nds = 20;
    in.values.prov = QStringLiteral("ООО Медтекстиль, ИНН 7700000000, г. Москва");

    QTemporaryDir dir;
    const QString pdf = dir.filePath("waybill.pdf");
    Docs::WaybillPrinter printer;
    QElapsedTimer t;
    t.start();
    Forms::Report* report = printer.print(in, items);
    report->prepare(); // the preview prepares once more before it opens
    Forms::writePdf(report->prepared(), pdf);
    const double totalMs = double(t.nsecsElapsed()) / 1e6;

    t.restart();
    Forms::writePdf(report->prepared(), pdf);
    const double pdfMs = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    report->prepare();
    const double prepareMs = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    Docs::checkWaybillSymbols(report->prepared(), printer.barcodes());
    const double checkMs = double(t.nsecsElapsed()) / 1e6;

    // The conversions of one print: every sheet whose index has a symbol, at each of the three
    // preparations, and once more each symbol of the appended pages.
    const QStringList& chunks = printer.barcodes().BarcodeChunks;
    const int n = int(chunks.size());
    const int sheets = int(report->prepared().sheets.size());
    const int tableSheets = sheets - (n - printer.symbolsOnSheets() + 15) / 16;
    const int conversions = 3 * std::min(n, tableSheets) + (n - printer.symbolsOnSheets());
    Pdf417Converter converter;
    t.restart();
    for (const QString& c : chunks)
        converter.Convert(c, -1, 8, 0);
    const double perSymbolMs = double(t.nsecsElapsed()) / 1e6 / n;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const qint64 bytes = QFileInfo(pdf).size();
    std::printf("waybill: %d items, %d symbols (%d on table sheets), %d sheets\n", count, n,
                printer.symbolsOnSheets(), sheets);
    std::printf("total (3 preparations + PDF): %.0f ms; PDF alone: %.0f ms; ratio %.2f (goal "
                "<= 2)\n",
                totalMs, pdfMs, totalMs / pdfMs);
    std::printf("one preparation: %.0f ms; symbol check: %.0f ms (%.1f ms a symbol)\n", prepareMs,
                checkMs, checkMs / n);
    std::printf("PDF417 encoding: %d conversions x %.2f ms = %.0f ms, %.0f %% of the total\n",
                conversions, perSymbolMs, conversions * perSymbolMs,
                100.0 * conversions * perSymbolMs / totalMs);
    std::printf("peak RSS: %.1f MB (goal <= 200)\n", double(usage.ru_maxrss) / 1024.0);
    std::printf("PDF: %lld bytes, %.1f KB a sheet\n", bytes, double(bytes) / 1024.0 / sheets);
    return 0;
}
