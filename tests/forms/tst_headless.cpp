// The report engine on its own: linked without Widgets, it loads a template, prepares it and
// draws a symbol that reads back.
#include "core/cp1251.h"
#include "forms/barcodesheet.h"
#include "forms/pdf417converter.h"
#include "forms/renderer.h"
#include "symbolread.h"

#include <QGuiApplication>
#include <QtTest/QtTest>

class TestHeadless : public QObject {
    Q_OBJECT
private slots:
    void rendersWithoutWidgets();
};

void TestHeadless::rendersWithoutWidgets() {
    QVERIFY(!QCoreApplication::instance()->inherits("QApplication"));
    const QString text = QStringLiteral("<N0101000016>Накладная 7");
    Pdf417Converter converter;
    Forms::Report report = Forms::Report::load(QStringLiteral("frBarCode"));
    Forms::setBarcodeSheetBuild(report, 1, [&](int) { return converter.Convert(text, -1, 7, 0); });
    const Forms::PreparedReport& prepared = report.prepare();
    QCOMPARE(prepared.sheets.size(), std::size_t(1));
    const QImage image = Forms::renderSheet(prepared.sheets.front(), 300);
    QCOMPARE(readSymbolBytes(image, ZXing::BarcodeFormat::PDF417), Cp1251::encode(text));
}

QTEST_MAIN(TestHeadless)
#include "tst_headless.moc"
