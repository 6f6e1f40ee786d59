// The preview window on a real (offscreen) event loop.
#include "core/apperror.h"
#include "forms/renderer.h"
#include "gui/preview.h"

#include <QAction>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QtTest>

using namespace Forms;

namespace {

// Two A5 sheets with a few texts each, prepared from a synthetic template.
PreparedReport twoSheets() {
    Variables vars;
    Report r(Template::fromJson(R"({"name": "p", "title": "Проба", "pages": [
        {"paper": [1480, 2100], "margins": "none", "paperSource": 15, "objects": [
          {"name": "a", "x": 20, "y": 20, "w": 300, "h": 20, "text": "Накладная первая"},
          {"name": "b", "x": 20, "y": 400, "w": 300, "h": 20, "text": "Итого 10"}]},
        {"paper": [1480, 2100], "orientation": "landscape", "margins": "none", "objects": [
          {"name": "c", "x": 20, "y": 20, "w": 300, "h": 20, "text": "Накладная вторая"}]}]})",
                                "p.json"),
             &vars);
    return r.prepare();
}

} // namespace

class TestPreview : public QObject {
    Q_OBJECT

private slots:
    void buttons();
    void zoom_data();
    void zoom();
    void wheelZoom();
    void find();
    void saveAndLoad();
    void printToPdfPrinter();
    void showReportPreparesAndOpens();
    void progressWindowCancels();
};

void TestPreview::buttons() {
    PreviewDialog d(twoSheets());
    QVERIFY(d.isModal());
    QCOMPARE(d.windowTitle(), QStringLiteral("Проба"));
    QVERIFY(d.findChild<QWidget*>("zoom"));
    for (const char* name : {"load", "save", "print", "find", "help", "exit"})
        QVERIFY2(d.findChild<QAction*>(name), name);
}

void TestPreview::zoom_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("percent");
    QTest::newRow("fit width") << int(PreviewDialog::ZoomMode::FitWidth) << 0.0;
    QTest::newRow("fit page") << int(PreviewDialog::ZoomMode::FitPage) << 0.0;
    QTest::newRow("50%") << int(PreviewDialog::ZoomMode::Percent) << 50.0;
    QTest::newRow("200%") << int(PreviewDialog::ZoomMode::Percent) << 200.0;
}

void TestPreview::zoom() {
    QFETCH(int, mode);
    QFETCH(double, percent);
    PreviewDialog d(twoSheets());
    d.resize(900, 700);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    d.setZoom(PreviewDialog::ZoomMode(mode), percent);
    auto* area = d.findChild<QScrollArea*>();
    const QSize view = area->viewport()->size();
    // The widest sheet is the landscape A5: 210 mm = 758 units.
    const double widest = 758, tallest = 758;
    switch (PreviewDialog::ZoomMode(mode)) {
    case PreviewDialog::ZoomMode::FitWidth:
        QVERIFY(widest * d.scale() <= view.width());
        QVERIFY(widest * d.scale() > view.width() - 40);
        break;
    case PreviewDialog::ZoomMode::FitPage:
        QVERIFY(tallest * d.scale() <= view.height());
        QVERIFY(widest * d.scale() <= view.width());
        break;
    case PreviewDialog::ZoomMode::Percent:
        QCOMPARE(d.scale(), d.logicalDpiX() / kUnitsPerInch * percent / 100);
        break;
    }
}

void TestPreview::wheelZoom() {
    PreviewDialog d(twoSheets());
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    d.setZoom(PreviewDialog::ZoomMode::Percent, 100);
    const double before = d.scale();
    auto* viewport = d.findChild<QScrollArea*>()->viewport();
    QWheelEvent up(QPointF(50, 50), viewport->mapToGlobal(QPointF(50, 50)), QPoint(),
                   QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &up);
    QVERIFY(d.scale() > before);
    QCOMPARE(d.zoomMode(), PreviewDialog::ZoomMode::Percent);
    QWheelEvent down(QPointF(50, 50), viewport->mapToGlobal(QPointF(50, 50)), QPoint(),
                     QPoint(0, -120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &down);
    QVERIFY(std::fabs(d.scale() - before) < 1e-9);
}

void TestPreview::find() {
    PreviewDialog d(twoSheets());
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    const auto hits = d.findAll("накладная");
    QCOMPARE(hits.size(), 2);
    QCOMPARE(hits[0].sheet, 0);
    QCOMPARE(hits[1].sheet, 1);
    // Each find shows the next hit, then starts over.
    QVERIFY(d.find("Накладная"));
    QCOMPARE(d.currentHit()->sheet, 0);
    QVERIFY(d.find("Накладная"));
    QCOMPARE(d.currentHit()->sheet, 1);
    QVERIFY(d.find("Накладная"));
    QCOMPARE(d.currentHit()->sheet, 0);
    QVERIFY(!d.find("Отсутствует"));
    QVERIFY(!d.currentHit());
}

void TestPreview::saveAndLoad() {
    QTemporaryDir dir;
    PreviewDialog d(twoSheets());
    d.saveTo(dir.filePath("r.trp"));
    d.saveTo(dir.filePath("r.pdf"));
    QProcess p;
    p.start("pdftotext", {dir.filePath("r.pdf"), "-"});
    QVERIFY(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY(text.contains("Накладная первая") && text.contains("Накладная вторая"));

    PreviewDialog other(PreparedReport{});
    QCOMPARE(other.findAll("Накладная").size(), 0);
    other.loadFrom(dir.filePath("r.trp"));
    QCOMPARE(other.report().sheets.size(), size_t(2));
    QCOMPARE(other.findAll("Накладная").size(), 2);
    QVERIFY_THROWS_EXCEPTION(AppError, other.loadFrom(dir.filePath("r.pdf")));
    QCOMPARE(other.report().sheets.size(), size_t(2)); // a failed load keeps what was shown
}

void TestPreview::printToPdfPrinter() {
    QTemporaryDir dir;
    PreviewDialog d(twoSheets());
    int reprepared = 0;
    d.reprepare = [&](const Margins& m) {
        ++reprepared;
        [&] { QCOMPARE(m.left, 0.0); }();
        return twoSheets();
    };
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("printed.pdf"));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    d.printOn(printer);
    QCOMPARE(reprepared, 1);
    // The template's paper source reaches the printer.
    QCOMPARE(printer.paperSource(), QPrinter::FormSource);
    // A report loaded from a file prints as loaded, not re-prepared from the template.
    d.saveTo(dir.filePath("loaded.trp"));
    d.loadFrom(dir.filePath("loaded.trp"));
    printer.setOutputFileName(dir.filePath("printed2.pdf"));
    d.printOn(printer);
    QCOMPARE(reprepared, 1);
    QProcess p;
    p.start("pdfinfo", {dir.filePath("printed.pdf")});
    QVERIFY(p.waitForFinished(60000));
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(info.contains(QRegularExpression("Pages:\\s+2")), qPrintable(info));
}

void TestPreview::showReportPreparesAndOpens() {
    Variables vars;
    vars.set("who", QStringLiteral("получатель"));
    Report r(Template::fromJson(R"({"name": "s", "progress": true, "pages": [
        {"paper": [1480, 2100], "objects": [
          {"name": "a", "x": 20, "y": 20, "w": 300, "h": 20, "text": "Для [who]"}]}]})",
                                "s.json"),
             &vars);
    // Close the modal preview as soon as it is open.
    QTimer closer;
    int found = -1;
    connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<PreviewDialog*>(w); d && d->isVisible()) {
                found = int(d->findAll("получатель").size());
                d->accept();
            }
    });
    closer.start(10);
    QVERIFY(showReport(r));
    QCOMPARE(found, 1);
    QCOMPARE(r.preparedSheetCount(), 1);
}

void TestPreview::progressWindowCancels() {
    Variables vars;
    Report r(Template::fromJson(R"({"name": "s", "title": "Длинный", "progress": true, "pages": [
        {"paper": [1480, 2100]}, {"paper": [1480, 2100]}, {"paper": [1480, 2100]}]})",
                                "s.json"),
             &vars);
    bool sawProgress = false;
    r.onBeginPage = [&](int sheet) {
        if (sheet == 1)
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* p = qobject_cast<QProgressDialog*>(w)) {
                    sawProgress = true;
                    p->cancel();
                }
    };
    // The cancelled preparation ends in the application's error box; close it when it shows.
    QString shown, caption;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                shown = box->text();
                caption = box->windowTitle();
                box->accept();
            }
    });
    closer.start(10);
    QVERIFY(!showReport(r));
    QVERIFY(sawProgress);
    QCOMPARE(shown, QStringLiteral("Подготовка отчёта прервана."));
    QCOMPARE(caption, QStringLiteral("Тарвик"));
    QCOMPARE(r.preparedSheetCount(), 0);
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
