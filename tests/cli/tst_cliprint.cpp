// "tarvik waybill" run as a process on the sample contract: the symbols it prints read back to
// the waybill's data, and what the grid would refuse is refused with the row named.
#include "core/cp1251.h"
#include "core/symbolreading.h"
#include "runtarvik.h"
#include "symbolread.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kSample = QStringLiteral(TARVIK_SOURCE_DIR "/samples/contract-2026-0041.dat");

} // namespace

class TestCliPrint : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_db;
    QStringList base() const {
        return {"waybill",     "--db", m_dir.filePath("a.gdb"), "--contract", "1",
                "--recipient", "2101"};
    }

private slots:
    void initTestCase() {
        QCOMPARE(runTarvik({"create-db", m_dir.filePath("a.gdb")}).code, 0);
        QCOMPARE(runTarvik({"import", "--db", m_dir.filePath("a.gdb"), kSample}).code, 0);
    }

    // Every row shipped in full, serials on two rows: one sheet per symbol, the symbols
    // together giving the waybill's data.
    void barcodeWaybillReadsBack() {
        const QString out = m_dir.filePath("bc.png");
        const TarvikRun r =
            runTarvik(base() + QStringList{"--type", "barcode", "--number", "A-7/1", "--date",
                                           "05.03.2026", "--ship", "1=999", "--ship", "2=999",
                                           "--ship", "3=2,5", "--serials", "1=SN-001;SN-002",
                                           "--serials", "2=X1", "--out", out});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("Листов: (\\d+), символов PDF417: (\\d+)"))
                .match(r.out);
        QVERIFY2(m.hasMatch(), qPrintable(r.out));
        const int sheets = m.captured(1).toInt();
        QCOMPARE(m.captured(2).toInt(), sheets);
        QList<QByteArray> symbols;
        const QStringList files =
            sheets == 1 ? QStringList{out} : QDir(m_dir.path()).entryList({"bc-*.png"});
        QCOMPARE(files.size(), sheets);
        for (const QString& f : files)
            symbols << readAllSymbolBytes(QImage(m_dir.filePath(QFileInfo(f).fileName())),
                                          ZXing::BarcodeFormat::PDF417);
        QCOMPARE(symbols.size(), sheets);
        QStringList texts;
        for (const QByteArray& s : symbols)
            texts << Cp1251::decode(s);
        const Reading::Reassembled whole = Reading::reassemble(texts);
        QVERIFY2(whole.complete(), qPrintable(whole.errors.join('\n')));
        const QString payload = whole.payload;
        QVERIFY2(payload.contains(QStringLiteral("#A-7/1-05.03.2026#05.03.2026#")),
                 qPrintable(payload));
        QVERIFY2(payload.contains(QStringLiteral("#2,5#")), qPrintable(payload));
        QVERIFY2(payload.contains(QStringLiteral("#SN-001;SN-002;#")), qPrintable(payload));
    }

    // tarvik decode on the PDF of tarvik waybill gives back the shipment; the fields of its
    // table and of --json are those given.
    void decodeWaybillPdf() {
        const QString pdf = m_dir.filePath("decode.pdf");
        TarvikRun r =
            runTarvik(base() + QStringList{"--type", "barcode", "--number", "Б-7", "--ship", "2=3",
                                           "--serials", "2=K1;K2", "--out", pdf});
        QCOMPARE(r.code, 1); // a Cyrillic number is refused first
        r = runTarvik(base() + QStringList{"--type", "barcode", "--number", "N-7", "--date",
                                           "01.02.2026", "--ship", "2=3", "--serials", "2=K1;K2",
                                           "--out", pdf});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        r = runTarvik({"decode", pdf});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(QStringLiteral("Документ:\tN-7 от 01.02.2026")), qPrintable(r.out));
        const QStringList lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 5); // contract, document, recipient, the titles, one item
        QVERIFY2(lines.last().endsWith(QStringLiteral("\t3\t") + lines.last().section('\t', 3, 3) +
                                       QStringLiteral("\tK1, K2")),
                 qPrintable(lines.last()));
        r = runTarvik({"decode", "--json", pdf});
        QCOMPARE(r.code, 0);
        const QJsonObject j = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(j.value("number").toString(), QStringLiteral("N-7"));
        QCOMPARE(j.value("items").toArray().size(), 1);
        QCOMPARE(j.value("items").toArray().at(0).toObject().value("serials").toArray().size(), 2);
        // A file with no symbols is not a complete document.
        QImage blank(200, 200, QImage::Format_RGB32);
        blank.fill(Qt::white);
        blank.save(m_dir.filePath("blank.png"));
        r = runTarvik({"decode", m_dir.filePath("blank.png")});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("ни одного символа")), qPrintable(r.err));
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QStringList ok{"--type", "barcode", "--number", "1", "--out", "x.pdf"};
        QTest::newRow("unknown contract")
            << QStringList{"waybill", "--db", "@db", "--contract", "9", "--recipient", "2101"} + ok
            << "Контракт 9 не найден";
        QTest::newRow("unknown recipient")
            << QStringList{"waybill", "--db", "@db", "--contract", "1", "--recipient", "7"} + ok
            << "нет получателя 7";
        QTest::newRow("Cyrillic number")
            << QStringList{"--type", "barcode", "--number", "Ан-1", "--out", "x.pdf"}
            << "русские буквы";
        QTest::newRow("number over 10")
            << QStringList{"--type", "barcode", "--number", "12345678901", "--out", "x.pdf"}
            << "длиннее 10";
        QTest::newRow("more serials than pieces")
            << ok + QStringList{"--ship", "1=1", "--serials", "1=a;b"} << "Строка 1";
        QTest::newRow("Cyrillic serial")
            << ok + QStringList{"--ship", "1=2", "--serials", "1=ая"} << "Строка 1";
        QTest::newRow("serial over 20")
            << ok + QStringList{"--ship", "1=2", "--serials", "1=123456789012345678901"}
            << "Строка 1";
        QTest::newRow("no such row") << ok + QStringList{"--ship", "99=1"} << "нет строки 99";
        QTest::newRow("not a number") << ok + QStringList{"--ship", "1=много"} << "не число";
        QTest::newRow("unknown type")
            << QStringList{"--type", "x", "--number", "1", "--out", "x.pdf"} << "--type";
        QTest::newRow("unknown file kind")
            << QStringList{"--type", "barcode", "--number", "1", "--out", "x.doc"} << "--out";
    }

    void refusals() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        if (args.first() != QLatin1String("waybill"))
            args = base() + args;
        for (QString& a : args) {
            a.replace(QStringLiteral("@db"), m_dir.filePath("a.gdb"));
            if (a == QLatin1String("x.pdf") || a == QLatin1String("x.doc"))
                a = m_dir.filePath(a);
        }
        const TarvikRun r = runTarvik(args);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(m_dir.filePath("x.pdf")));
    }
};

QTEST_MAIN(TestCliPrint)
#include "tst_cliprint.moc"
