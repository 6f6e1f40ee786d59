// Preparation and PDF time of a synthetic 100-sheet table report. Prints figures only.
#include "forms/renderer.h"
#include "forms/report.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace Forms;

namespace {
// A4 landscape, printer margins (18): 722 units high; title 60, repeated header 30, rows of 16
// (three columns, one word-wrapped), sheet totals and grand totals of 16.
const char* const kTable = R"({
  "name": "bench", "pages": [ { "paper": [2100, 2970], "orientation": "landscape", "bands": [
    { "name": "ReportTitle1", "type": "ReportTitle", "height": 60, "objects": [
      { "name": "mTitle", "x": 20, "y": 10, "w": 1000, "h": 40, "text": "ТОВАРНАЯ НАКЛАДНАЯ № [n]",
        "size": 14, "bold": true, "align": "C/M" } ] },
    { "name": "MasterHeader1", "type": "MasterHeader", "height": 30, "repeat": true, "objects": [
      { "name": "h1", "x": 20, "y": 0, "w": 60, "h": 30, "text": "№", "frame": "box", "align": "C/M" },
      { "name": "h2", "x": 80, "y": 0, "w": 500, "h": 30, "text": "Наименование", "frame": "box" },
      { "name": "h3", "x": 580, "y": 0, "w": 200, "h": 30, "text": "Количество", "frame": "box" },
      { "name": "h4", "x": 780, "y": 0, "w": 200, "h": 30, "text": "Сумма", "frame": "box" } ] },
    { "name": "MasterData1", "type": "MasterData", "height": 16, "stretch": true,
      "dataset": "rows", "objects": [
      { "name": "d1", "x": 20, "y": 0, "w": 60, "h": 16, "text": "[npp]", "frame": "box",
        "stretch": true },
      { "name": "d2", "x": 80, "y": 0, "w": 500, "h": 16, "text": "[ElemS]", "frame": "box",
        "stretch": true, "wordWrap": true, "size": 8 },
      { "name": "d3", "x": 580, "y": 0, "w": 200, "h": 16, "text": "[quant]", "frame": "box",
        "align": "R/T", "stretch": true },
      { "name": "d4", "x": 780, "y": 0, "w": 200, "h": 16, "text": "[summa]", "frame": "box",
        "align": "R/T", "format": "grouped2", "stretch": true } ] },
    { "name": "ColumnFooter1", "type": "ColumnFooter", "height": 16, "objects": [
      { "name": "f1", "x": 580, "y": 0, "w": 200, "h": 16, "text": "[itog]", "frame": "box",
        "script": ["itog:=Sum([quant],MasterData1);"] },
      { "name": "f2", "x": 780, "y": 0, "w": 200, "h": 16, "text": "[itsum]", "frame": "box",
        "format": "grouped2", "script": ["itsum:=Sum([summa],MasterData1);"] } ] },
    { "name": "ReportSummary1", "type": "ReportSummary", "height": 16, "objects": [
      { "name": "s1", "x": 780, "y": 0, "w": 200, "h": 16, "text": "[vsn]", "frame": "box",
        "format": "grouped2", "script": ["vsn:=Sum([summa],MasterData1);"] } ] } ] } ]
})";
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Variables vars;
    Report r(Template::fromJson(kTable, "bench.json"), &vars);
    vars.set("n", QStringLiteral("123"));
    UserDataset rows;
    r.setDataset("rows", &rows);
    rows.onFirst = rows.onNext = [&] {
        const int i = rows.recNo();
        vars.set("npp", QString::number(i + 1));
        vars.set("ElemS", QStringLiteral("Изделие номер %1 по спецификации").arg(i + 1));
        vars.set("quant", double(i % 7 + 1));
        vars.set("summa", 1234.5 * (i % 7 + 1));
    };
    // The smallest row count that fills 100 sheets.
    int low = 1, high = 8000;
    while (low < high) {
        rows.rangeCount = (low + high) / 2;
        if (r.prepare().sheets.size() >= 100)
            high = rows.rangeCount;
        else
            low = rows.rangeCount + 1;
    }
    rows.rangeCount = low;

    const int runs = 5;
    QElapsedTimer t;
    t.start();
    size_t sheets = 0;
    for (int i = 0; i < runs; ++i)
        sheets = r.prepare().sheets.size();
    const double prepareMs = double(t.nsecsElapsed()) / 1e6 / runs;

    QTemporaryDir dir;
    t.restart();
    for (int i = 0; i < runs; ++i)
        writePdf(r.prepared(), dir.filePath("bench.pdf"));
    const double pdfMs = double(t.nsecsElapsed()) / 1e6 / runs;
    const qint64 pdfBytes = QFileInfo(dir.filePath("bench.pdf")).size();

    std::printf("report: %d rows, %zu sheets\n", rows.rangeCount, sheets);
    std::printf("prepare: %.1f ms per run (%.2f ms a sheet), mean of %d\n", prepareMs,
                prepareMs / double(sheets), runs);
    std::printf("pdf:     %.1f ms per run (%.2f ms a sheet), %lld bytes, mean of %d\n", pdfMs,
                pdfMs / double(sheets), pdfBytes, runs);
    return 0;
}
