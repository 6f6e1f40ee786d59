// The waybill's symbol payload and its division into framed symbol texts.
#include "core/payload.h"

#include <QRegularExpression>
#include <QtTest/QtTest>

namespace {

TContData item(const QString& code, const QString& kat, double quant, double sum,
               const QString& serials = QString(), const QString& recipC = QString()) {
    TContData d;
    d.elemC = code;
    d.kat = kat;
    d.factQuant = quant;
    d.factSumma = sum;
    d.serials = serials;
    d.recipC = recipC;
    return d;
}

const WaybillHeader kHeader{QStringLiteral("Контракт 41"), QStringLiteral("A-1"),
                            QDate(2026, 3, 5)};

} // namespace

class TestPayload : public QObject {
    Q_OBJECT
private slots:
    void payload_data();
    void payload();
    void split_data();
    void split();
};

void TestPayload::payload_data() {
    QTest::addColumn<TContDataList>("items");
    QTest::addColumn<QString>("expected");
    const QString head = QStringLiteral("Контракт 41#A-1-05.03.2026#05.03.2026#");
    QTest::newRow("no items") << TContDataList{} << head + QStringLiteral("#");
    QTest::newRow("nothing shipped: the header fields alone, recipC of the first record")
        << TContDataList{item(QStringLiteral("101"), QString(), 0, 0, {}, QStringLiteral("R7"))}
        << head + QStringLiteral("R7#");
    QTest::newRow("shipped items in list order, unshipped ones leave no trace")
        << TContDataList{item(QStringLiteral("101"), QStringLiteral("1"), 2.5, 31.25, {},
                              QStringLiteral("R7")),
                         item(QStringLiteral("102"), QString(), 0, 0),
                         item(QStringLiteral("103"), QStringLiteral("2"), 3, 1234567.5,
                              QStringLiteral("a1;b2;"))}
        << head + QStringLiteral("R7#101#1#2,5#31,25##103#2#3#1234567,5#a1;b2;#");
}

void TestPayload::payload() {
    QFETCH(TContDataList, items);
    QFETCH(QString, expected);
    const BarcodeText t = BuildBarcodeChunks(kHeader, items);
    QCOMPARE(t.BarcodePayload, expected);
    QCOMPARE(t.BarcodeChunks, QStringList{QStringLiteral("<N0101") + expected +
                                          QStringLiteral("0%1>").arg(expected.size())});
}

void TestPayload::split_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<int>>("pieces");
    QTest::addColumn<QString>("firstFrame"); // frame fields of the first and last text
    QTest::addColumn<QString>("lastFrame");
    QTest::newRow("400: one symbol") << 400 << QList<int>{400} << "0101|400"
                                     << "0101|400";
    QTest::newRow("401: two") << 401 << QList<int>{200, 201} << "0201|200"
                              << "0202|201";
    QTest::newRow("1000: three") << 1000 << QList<int>{333, 333, 334} << "0301|333"
                                 << "0303|334";
    QTest::newRow("4001: eleven, two-digit fields")
        << 4001 << (QList<int>(10, 363) << 371) << "1101|363"
        << "1111|371";
    QTest::newRow("40000: a hundred, three-digit count and index")
        << 40000 << QList<int>(100, 400) << "10001|400"
        << "100100|400";
}

void TestPayload::split() {
    QFETCH(int, length);
    QFETCH(QList<int>, pieces);
    QFETCH(QString, firstFrame);
    QFETCH(QString, lastFrame);
    QString payload;
    for (int i = 0; i < length; ++i)
        payload += QChar(u'а' + i % 32);
    const QStringList chunks = splitBarcodePayload(payload);
    QCOMPARE(chunks.size(), pieces.size());
    // The test payload is letters only, so the frame's digits stand apart from the piece.
    static const QRegularExpression frame(QStringLiteral("^<N(\\d+)(\\D+)(\\d+)>$"));
    QString joined;
    for (int i = 0; i < chunks.size(); ++i) {
        const QRegularExpressionMatch m = frame.match(chunks[i]);
        QVERIFY(m.hasMatch());
        QCOMPARE(m.captured(2).size(), pieces[i]);
        joined += m.captured(2);
        const QString fields = m.captured(1) + QLatin1Char('|') + m.captured(3);
        if (i == 0)
            QCOMPARE(fields, firstFrame);
        if (i == chunks.size() - 1)
            QCOMPARE(fields, lastFrame);
    }
    QCOMPARE(joined, payload);
}

QTEST_APPLESS_MAIN(TestPayload)
#include "tst_payload.moc"
