// The transport and consumer labels as printed: every bar code read back by an independent
// decoder, the warnings and refusals, and the layout as pdftotext sees it in the PDF.
#include "core/apperror.h"
#include "core/labels.h"
#include "docs/labelprint.h"
#include "forms/renderer.h"
#include "pdfwords.h"
#include "symbolread.h"

#include <QTemporaryDir>
#include <QtTest>

using Docs::LabelKind;
Q_DECLARE_METATYPE(LabelKind)

namespace {

Docs::LabelData labelData(const QString& rem, const QString& elemC, const QString& perPackage) {
    Docs::LabelData d;
    d.docno = QStringLiteral("0163200000326004117-0041");
    d.agents = QStringLiteral("ООО Медтекстиль");
    d.rem = rem;
    d.recipient = QStringLiteral("ГБУЗ ОКБ");
    d.record.elemC = elemC;
    d.record.elemS = QStringLiteral("Бинт марлевый медицинский нестерильный 7 м х 14 см");
    d.record.unit = QStringLiteral("шт");
    d.record.quant = 100;
    d.record.price = 15.6;
    if (!perPackage.isEmpty())
        Labels::setPerPackage(d.record, perPackage);
    return d;
}

Forms::Report design(LabelKind kind) {
    return Forms::Report::load(Docs::labelTemplate(kind));
}

// The digits of every barcode object, read from the object's strip of a 300 dpi raster.
QStringList decodeAll(Docs::PreparedLabel& label) {
    const QImage image = Forms::renderSheet(label.report.prepared().sheets.at(0), 300);
    const double k = Forms::unitsToDots(300);
    QStringList out;
    for (const QString& name : Docs::labelBarcodes()) {
        const Forms::FormObject* o = label.report.findObject(name);
        const int top = int((o->y - 4) * k), bottom = int((o->y + o->h + 2) * k);
        const QImage strip = image.copy(0, top, image.width(), bottom - top);
        out << QString::fromLatin1(readSymbolBytes(strip, ZXing::BarcodeFormat::Code128, true));
    }
    return out;
}

// The extent of the bars drawn for one barcode object.
QRectF barsOf(const Docs::PreparedLabel& label, const QString& name) {
    const Forms::FormObject* o = const_cast<Forms::Report&>(label.report).findObject(name);
    QRectF r;
    for (const Forms::Primitive& p : label.report.prepared().sheets.at(0).items)
        if (p.type == Forms::Primitive::Type::Rect && p.rect.top() >= o->y &&
            p.rect.bottom() <= o->y + o->h)
            r = r.isNull() ? p.rect : r.united(p.rect);
    return r;
}

} // namespace

class TestLabelPrint : public QObject {
    Q_OBJECT
private slots:
    void codesReadBack_data();
    void codesReadBack();
    void warningsAndRefusals_data();
    void warningsAndRefusals();
    void transportLayout_data();
    void transportLayout();
};

void TestLabelPrint::codesReadBack_data() {
    QTest::addColumn<LabelKind>("kind");
    QTest::addColumn<QString>("rem");
    QTest::addColumn<QString>("elemC");
    QTest::addColumn<QString>("perPackage"); // typed into the grid; empty: a new row
    QTest::addColumn<QStringList>("codes");
    for (const LabelKind kind : {LabelKind::Transport, LabelKind::Consumer}) {
        const char* k = kind == LabelKind::Transport ? "transport" : "consumer";
        QTest::addRow("%s, even lengths", k)
            << kind << "12345678901234"
            << "93931100"
            << "12,5"
            << QStringList{"12345678901234", "0993931100", "2000000001250000", "3000000019500000"};
        QTest::addRow("%s, odd lengths get a 0", k)
            << kind << "1234567"
            << "9393110"
            << "3" << QStringList{"01234567", "0099393110", "2000000000300000", "3000000004680000"};
        QTest::addRow("%s, new row", k)
            << kind << "2026004117"
            << "9393120"
            << ""
            << QStringList{"2026004117", "0099393120", "2000000000000000", "3000000000000000"};
    }
}

void TestLabelPrint::codesReadBack() {
    QFETCH(LabelKind, kind);
    QFETCH(QString, rem);
    QFETCH(QString, elemC);
    QFETCH(QString, perPackage);
    QFETCH(QStringList, codes);
    Docs::PreparedLabel label =
        Docs::prepareLabel(design(kind), kind, labelData(rem, elemC, perPackage));
    QVERIFY2(label.warnings.isEmpty(), qPrintable(label.warnings.join('\n')));
    QCOMPARE(label.report.prepared().sheets.size(), size_t(1));
    QCOMPARE(decodeAll(label), codes);
    // The transport label writes the encoded digits under the bars; the consumer label none.
    const QString text = label.report.prepared().sheets.at(0).plainText();
    for (const QString& c : codes)
        QCOMPARE(text.contains(c), kind == LabelKind::Transport);
}

void TestLabelPrint::warningsAndRefusals_data() {
    QTest::addColumn<LabelKind>("kind");
    QTest::addColumn<QString>("rem");
    QTest::addColumn<QString>("elemC");
    QTest::addColumn<QStringList>("told"); // every part must appear in one warning or the error
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("contractCode"); // read back from barContract
    const QString digits24 = QStringLiteral("123456789012345678901234");
    const QString digits60 = QString(60, QLatin1Char('7'));
    const QString digits40 = QString(40, QLatin1Char('5'));
    QTest::newRow("transport, contract code not a number")
        << LabelKind::Transport << "ПР-0041/26"
        << "9393110" << QStringList{"barContract", "«ПР-0041/26»", "12345678"} << false
        << "12345678";
    QTest::newRow("consumer, contract code not a number")
        << LabelKind::Consumer << "ПР-0041/26"
        << "9393110" << QStringList{"barContract", "«ПР-0041/26»", "12345678"} << false
        << "12345678";
    QTest::newRow("empty contract code")
        << LabelKind::Transport << ""
        << "9393110" << QStringList{"barContract", "пустое", "12345678"} << false << "12345678";
    QTest::newRow("item code not a number")
        << LabelKind::Consumer << "12"
        << "93-931" << QStringList{"barElem", "«0993-931»", "12345678"} << false << "12";
    QTest::newRow("transport, too wide: narrower bars")
        << LabelKind::Transport << digits24 << "9393110"
        << QStringList{"barContract", digits24, "модуля 1 вместо 2"} << false << digits24;
    const QString digits22 = QStringLiteral("1234567890123456789012");
    QTest::newRow("transport, wider than its object: centred, nothing to tell")
        << LabelKind::Transport << digits22 << "9393110" << QStringList{} << false << digits22;
    QTest::newRow("transport, too wide even so: refused")
        << LabelKind::Transport << digits60 << "9393110"
        << QStringList{"Этикетка не напечатана", "barContract", digits60} << true << "";
    QTest::newRow("consumer, too wide: refused")
        << LabelKind::Consumer << digits40 << "9393110"
        << QStringList{"Этикетка не напечатана", "barContract", digits40} << true << "";
}

void TestLabelPrint::warningsAndRefusals() {
    QFETCH(LabelKind, kind);
    QFETCH(QString, rem);
    QFETCH(QString, elemC);
    QFETCH(QStringList, told);
    QFETCH(bool, refused);
    QFETCH(QString, contractCode);
    const Forms::Report d = design(kind);
    QString said;
    try {
        Docs::PreparedLabel label = Docs::prepareLabel(d, kind, labelData(rem, elemC, "2"));
        QVERIFY2(!refused, "the label was not refused");
        QCOMPARE(label.warnings.size(), told.isEmpty() ? 0 : 1);
        said = label.warnings.value(0);
        QCOMPARE(decodeAll(label).first(), contractCode);
        // Every symbol stays within the printable limits.
        const double left = kind == LabelKind::Transport ? 18 : 0;
        const double right = kind == LabelKind::Transport ? 346 : 209;
        for (const QString& name : Docs::labelBarcodes()) {
            const QRectF bars = barsOf(label, name);
            QVERIFY2(bars.left() >= left && bars.right() <= right, qPrintable(name));
        }
    } catch (const AppError& e) {
        QVERIFY2(refused, qPrintable(e.message()));
        said = e.message();
    }
    for (const QString& part : told)
        QVERIFY2(said.contains(part), qPrintable(said));
    // The design is left as it was for the next label.
    const int module = kind == LabelKind::Transport ? 2 : 1;
    QCOMPARE(const_cast<Forms::Report&>(d).findObject("barContract")->moduleWidth, module);
}

void TestLabelPrint::transportLayout_data() {
    QTest::addColumn<double>("margin"); // the printer's non-printable margin on each side
    QTest::newRow("no printer driver: 18") << 18.0;
    QTest::newRow("a printer's 25") << 25.0;
}

void TestLabelPrint::transportLayout() {
    QFETCH(double, margin);
    Forms::Report d = design(LabelKind::Transport);
    d.setPrinterMargins(Forms::Margins{margin, margin, margin, margin});
    Docs::LabelData data = labelData("1234567", "9393110", "12,5");
    data.agents = QStringLiteral("Поставщик");
    data.recipient = QStringLiteral("Получатель");
    const Docs::PreparedLabel label = Docs::prepareLabel(d, LabelKind::Transport, data);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("t.pdf");
    Forms::writePdf(label.report.prepared(), pdf);
    const QList<PdfWord> words = readPdfWords(pdf);

    const double left = margin, right = 364 - margin;
    // The sender block starts at the left printable edge (2 units of inner gap), the recipient
    // block ends at the right one: 165 units wide, its text 2 units in.
    const PdfWord sender = findPdfWord(words, QStringLiteral("Отправитель:"));
    const PdfWord recipient = findPdfWord(words, QStringLiteral("Получатель:"));
    QVERIFY(!sender.text.isEmpty() && !recipient.text.isEmpty());
    QVERIFY2(std::fabs(sender.box.left() - (left + 2)) < 1,
             qPrintable(QString::number(sender.box.left())));
    QVERIFY2(std::fabs(recipient.box.left() - (right - 165 + 2)) < 1,
             qPrintable(QString::number(recipient.box.left())));
    QVERIFY(sender.box.top() > 48 && sender.box.top() < 56);
    QCOMPARE(findPdfWord(words, QStringLiteral("Поставщик")).box.left(), sender.box.left());
    QCOMPARE(findPdfWord(words, QStringLiteral("Получатель")).box.left(), recipient.box.left());

    // The digits under each symbol: centred on its bars, the text's top 12 units above the
    // object's bottom, below the bars.
    const QStringList codes = {"01234567", "0099393110", "2000000001250000", "3000000019500000"};
    for (int i = 0; i < codes.size(); ++i) {
        const QString& name = Docs::labelBarcodes()[i];
        const Forms::FormObject* o = const_cast<Forms::Report&>(label.report).findObject(name);
        const PdfWord w = findPdfWord(words, codes[i]);
        QVERIFY2(!w.text.isEmpty(), qPrintable(codes[i]));
        const QRectF bars = barsOf(label, name);
        QCOMPARE(bars.top(), double(o->y));
        QCOMPARE(bars.height(), 32.0);
        QVERIFY2(std::fabs(w.box.center().x() - bars.center().x()) < 1, qPrintable(name));
        QVERIFY2(w.box.top() >= bars.bottom() && std::fabs(w.box.top() - (o->y + o->h - 12)) < 2,
                 qPrintable(QStringLiteral("%1: %2").arg(name).arg(w.box.top())));
        QVERIFY2(w.box.bottom() <= o->y + o->h + 3, qPrintable(QString::number(w.box.bottom())));
        // The object's box is centred between the printable limits.
        QCOMPARE(bars.left(), left + std::floor((right - left - 290) / 2));
    }
}

QTEST_MAIN(TestLabelPrint)
#include "tst_labelprint.moc"
