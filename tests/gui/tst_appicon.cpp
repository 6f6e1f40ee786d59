// The application icon at the sizes of the hicolor theme.
#include "gui/uDmMain.h"

#include <QtTest/QtTest>

class TestAppIcon : public QObject {
    Q_OBJECT
private slots:
    void sizes_data();
    void sizes();
};

void TestAppIcon::sizes_data() {
    QTest::addColumn<int>("size");
    for (int size : {16, 32, 48, 64, 128, 256})
        QTest::newRow(qPrintable(QStringLiteral("%1 px").arg(size))) << size;
}

// The whole drawing at every size: a transparent ground at the corner, the board at its edge,
// the white sheet and the start bar of the symbol.
void TestAppIcon::sizes() {
    QFETCH(int, size);
    const QImage img = drawApplicationIcon(size);
    QCOMPARE(img.size(), QSize(size, size));
    const auto at = [&](double x, double y) {
        return img.pixelColor(int(x * size / 32), int(y * size / 32));
    };
    QCOMPARE(at(0, 0).alpha(), 0);
    QCOMPARE(at(4.5, 20).alpha(), 255);
    QVERIFY(at(4.5, 20).red() > at(4.5, 20).blue());
    QVERIFY(at(8.3, 21).lightness() < 80);
    QVERIFY(at(16, 14.5).lightness() > 200);
}

QTEST_MAIN(TestAppIcon)
#include "tst_appicon.moc"
