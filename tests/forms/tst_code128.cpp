// Code 128 set C objects: the symbol read back by an independent decoder, and its geometry.
#include "forms/code128.h"
#include "forms/renderer.h"
#include "forms/report.h"
#include "symbolread.h"

#include <QtTest>

using namespace Forms;

class TestCode128 : public QObject {
    Q_OBJECT

private slots:
    void readBack_data();
    void readBack();
};

void TestCode128::readBack_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("module");
    QTest::addColumn<bool>("showText");
    QTest::addColumn<QString>("encoded");
    QTest::newRow("20 digits, transport")
        << "12345678901234567890" << 2 << true << "12345678901234567890";
    QTest::newRow("16 digits, consumer") << "0000000000025000" << 1 << false << "0000000000025000";
    QTest::newRow("odd length gets a 0") << "0912345" << 2 << true << "00912345";
    QTest::newRow("hyphen: placeholder") << "12-345" << 2 << true << "12345678";
    QTest::newRow("empty: placeholder") << "" << 1 << false << "12345678";
    QTest::newRow("unset field: placeholder") << "[barContract]" << 1 << false << "12345678";
}

void TestCode128::readBack() {
    QFETCH(QString, text);
    QFETCH(int, module);
    QFETCH(bool, showText);
    QFETCH(QString, encoded);
    Variables vars;
    Report r(Template::fromJson(QStringLiteral(R"({"name": "l", "pages": [{"paper": [1010, 1280],
        "margins": "none", "objects": [{"name": "BarElem", "kind": "code128", "x": 37, "y": 295,
        "w": 290, "h": 46, "module": %1, "showText": %2}]}]})")
                                    .arg(module)
                                    .arg(QLatin1String(showText ? "true" : "false"))
                                    .toUtf8(),
                                "l.json"),
             &vars);
    r.findObject("barelem")->setText(text);
    const Sheet& s = r.prepare().sheets.at(0);

    // Geometry: (start + pairs + check) × 11 + 13 modules, bars from the object's left edge.
    const int modules = (1 + int(encoded.size()) / 2 + 1) * 11 + 13;
    double left = 1e9, right = 0;
    QString human;
    for (const Primitive& p : s.items) {
        if (p.type == Primitive::Type::Rect) {
            left = qMin(left, p.rect.left());
            right = qMax(right, p.rect.right());
            QCOMPARE(p.rect.top(), 295.0);
            QCOMPARE(p.rect.height(), showText ? 32.0 : 46.0);
        } else if (p.type == Primitive::Type::Text) {
            human = p.text;
            QCOMPARE(p.rect.top(), 295.0 + 46 - 12);
            QVERIFY(std::fabs(p.rect.center().x() - (37 + modules * module / 2.0)) < 0.5);
        }
    }
    QCOMPARE(left, 37.0);
    // The stop pattern ends with a bar, so the bars span the whole symbol.
    QCOMPARE(right, 37.0 + modules * module);
    QCOMPARE(human, showText ? encoded : QString());

    const QByteArray bytes =
        readSymbolBytes(renderSheet(s, 600), ZXing::BarcodeFormat::Code128, true);
    QVERIFY2(!bytes.isNull(), "no Code 128 symbol found");
    QCOMPARE(QString::fromLatin1(bytes), encoded);
}

QTEST_MAIN(TestCode128)
#include "tst_code128.moc"
