// "tarvik label" run as a process on the sample contract: every code of both labels read back
// by zxing-cpp, the digits under the bars, the warning on stderr, several rows, and refusals.
#include "forms/formmodel.h"
#include "forms/renderer.h"
#include "pdfwords.h"
#include "runtarvik.h"
#include "symbolread.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kSample = QStringLiteral(TARVIK_SOURCE_DIR "/samples/contract-2026-0041.dat");

// The digits of each barcode object of the template, read from its strip of the image.
QStringList decodeStrips(const QImage& image, const QString& templateName, double dpi) {
    Forms::Template t = Forms::Template::load(templateName);
    const double k = Forms::unitsToDots(dpi);
    QStringList out;
    for (const char* name : {"barContract", "barElem", "barQuant", "barSumma"}) {
        const Forms::FormObject* o = t.findObject(QString::fromLatin1(name));
        const int top = int((o->y - 4) * k), bottom = int((o->y + o->h + 2) * k);
        out << QString::fromLatin1(readSymbolBytes(image.copy(0, top, image.width(), bottom - top),
                                                   ZXing::BarcodeFormat::Code128, true));
    }
    return out;
}

} // namespace

class TestCliLabel : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_db;

private slots:
    void initTestCase() {
        m_db = m_dir.filePath("s.gdb");
        QCOMPARE(runTarvik({"create-db", m_db}).code, 0);
        QCOMPARE(runTarvik({"import", "--db", m_db, kSample}).out.trimmed(), QStringLiteral("1"));
    }

    void sampleLabel_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("templateName");
        QTest::newRow("transport") << "transport"
                                   << "frReport1";
        QTest::newRow("consumer") << "consumer"
                                  << "frReport2";
    }

    // Row 1 of the first recipient, 50 to a package: the contract's remark is text, so its
    // barcode carries the placeholder and stderr says so.
    void sampleLabel() {
        QFETCH(QString, kind);
        QFETCH(QString, templateName);
        const QStringList base = {"label",       "--db",   m_db,    "--contract", "1",
                                  "--recipient", "2101",   "--row", "1",          "--per-package",
                                  "50",          "--kind", kind};
        const QString png = m_dir.filePath(kind + ".png");
        TarvikRun r = runTarvik(base + QStringList{"--out", png});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out.trimmed(), png);
        QVERIFY2(r.err.contains(QStringLiteral("Штрихкод barContract: значение «Поставка "
                                               "перевязочных средств")) &&
                     r.err.contains(QStringLiteral("вместо него напечатан код 12345678")),
                 qPrintable(r.err));
        const QStringList codes = decodeStrips(QImage(png), templateName, 300);
        qInfo() << kind << "decoded:" << codes;
        QCOMPARE(codes,
                 (QStringList{"12345678", "0099393110", "2000000005000000", "3000000078000000"}));

        const QString pdf = m_dir.filePath(kind + ".pdf");
        r = runTarvik(base + QStringList{"--out", pdf});
        QCOMPARE(r.code, 0);
        QStringList words;
        for (const PdfWord& w : readPdfWords(pdf))
            words << w.text;
        qInfo() << kind << "text:" << words.join(' ');
        for (const QString& c : codes)
            QCOMPARE(words.contains(c), kind == QLatin1String("transport"));
        if (kind == QLatin1String("transport"))
            for (const char* t : {"Отправитель:", "ООО", "Медтекстиль", "Получатель:", "ГБУЗ",
                                  "ОКБ", "50", "шт", "15,6", "780"})
                QVERIFY2(words.contains(QString::fromUtf8(t)), t);
    }

    // --row all: one sheet for each row given a quantity other than 0, in grid order.
    void everyRow() {
        const QString pdf = m_dir.filePath("all.pdf");
        const TarvikRun r =
            runTarvik({"label", "--db", m_db, "--contract", "1", "--recipient", "2101", "--row",
                       "all", "--per-package", "1=50;2=0", "--per-package", "3=2.5", "--kind",
                       "transport", "--out", pdf});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.err.count(QStringLiteral("вместо него напечатан код 12345678")), 2);
        QVERIFY(r.err.contains(QStringLiteral("Строка 1: ")) &&
                r.err.contains(QStringLiteral("Строка 3: ")));
        QStringList quantities; // barQuant of each sheet, in sheet order
        for (const PdfWord& w : readPdfWords(pdf))
            if (w.text.startsWith('2') && w.text.size() == 16)
                quantities << QStringLiteral("%1:%2").arg(w.page).arg(w.text);
        QCOMPARE(quantities, (QStringList{"0:2000000005000000", "1:2000000000250000"}));
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QStringList sel = {"--contract", "1", "--recipient", "2101"};
        const QStringList out = {"--kind", "consumer", "--out", "/tmp/never-written.pdf"};
        QTest::newRow("unknown contract")
            << QStringList{"--contract", "9", "--recipient", "2101", "--row", "1"} + out
            << "Контракт 9 не найден";
        QTest::newRow("unknown recipient")
            << QStringList{"--contract", "1", "--recipient", "5", "--row", "1"} + out
            << "У контракта 1 нет получателя 5";
        QTest::newRow("no such row") << sel + QStringList{"--row", "99"} + out << "--row";
        QTest::newRow("quantity not a number")
            << sel + QStringList{"--row", "1", "--per-package", "пять"} + out
            << "не является числом: пять";
        QTest::newRow("all rows 0")
            << sel + QStringList{"--row", "all"} + out << "Нет строк с количеством в упаковке";
        QTest::newRow("all without ROW=")
            << sel + QStringList{"--row", "all", "--per-package", "5"} + out << "СТРОКА=КОЛ";
        QTest::newRow("kind") << sel + QStringList{"--row", "1", "--kind", "box", "--out", "x.pdf"}
                              << "Использование: tarvik label";
        QTest::newRow("quantity beyond the barcode field")
            << sel + QStringList{"--row", "1", "--per-package", "1e-7"} + out
            << "не помещается в штрихкод barQuant";
    }

    void refusals() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const TarvikRun r = runTarvik(QStringList{"label", "--db", m_db} + args);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists("/tmp/never-written.pdf"));
    }
};

QTEST_MAIN(TestCliLabel)
#include "tst_clilabel.moc"
