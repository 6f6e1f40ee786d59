// The 1-T goods-and-transport waybill: its three form pages prepared, written to PDF and read
// back with pdftotext.
#include "forms/fonts.h"
#include "forms/pdf417converter.h"
#include "forms/renderer.h"
#include "forms/report.h"
#include "pdfwords.h"

#include <QTemporaryDir>
#include <QtTest>
#include <vector>

using namespace Forms;

namespace {

// One goods row as the row handler sets it.
struct Item {
    QString elemS, gost;
    double quant, price, summa;
    QString edizm, vidup;
    double klvm;
};

const std::vector<Item>& sampleItems() {
    static const std::vector<Item> items = {
        {"Болт М10х40", "ГОСТ 7798-70", 2.5, 1234.5, 3086.25, "кг", "ящик", 3},
        {"Гайка М10", "ГОСТ 5915-70", 1000, 12.3, 12300, "шт", "коробка", 0},
        {"Шайба 10", "ГОСТ 11371-78", 0.125, 1234567.891, 154320.99, "т", "мешок", 12},
        {"Кабель ВВГ 3х2,5", "ГОСТ 31996-2012", 150, 98.7, 14805, "м", "бухта", 1},
    };
    return items;
}

// The header variables of a waybill.
void setHeader(Variables& v) {
    v.set("n", QStringLiteral("17"));
    v.set("k", QStringLiteral("Государственный контракт № 0173100004524000017"));
    v.set("prov", QStringLiteral("ООО \"Северный завод\", 170001, г. Тверь, ул. Заводская, д. 1"));
    v.set("prov_okpo", QStringLiteral("12345678"));
    v.set("payer", QStringLiteral("Управление снабжения, 125009, г. Москва, ул. Тихая, д. 5"));
    v.set("payer_okpo", QStringLiteral("87654321"));
    v.set("recip", QStringLiteral("Войсковая часть 11111, 160000, г. Вологда"));
    v.set("recip_okpo", QStringLiteral("11223344"));
    v.set("datek", QStringLiteral("от 12.02.2024"));
    v.set("daten", QStringLiteral("05.03.2024"));
    v.set("dayn", 5);
    v.set("monthn", 3);
    v.set("yearn", 2024);
    v.set("ogr_dl", QStringLiteral("Директор"));
    v.set("ogr_fio", QStringLiteral("Иванов И. И."));
    v.set("gl_buh", QStringLiteral("Петрова А. А."));
    v.set("ogp_dl", QStringLiteral("Кладовщик"));
    v.set("ogp_fio", QStringLiteral("Сидоров П. П."));
}

// fr1T with its row source over `count` rows cycling through the sample items, and a symbol
// string for each sheet that starts.
struct Waybill {
    Report report = Report::load("fr1T");
    UserDataset rows;
    Pdf417Converter converter;
    QStringList codes; // the `code` each sheet started with

    explicit Waybill(int count) {
        Variables& v = report.variables();
        setHeader(v);
        rows.rangeCount = count;
        rows.onFirst = rows.onNext = [this, &v] {
            const int r = rows.recNo();
            const Item& it = sampleItems()[size_t(r) % sampleItems().size()];
            v.set("npp", QString::number(r + 1));
            v.set("ElemS", it.elemS);
            v.set("kat", QStringLiteral("1"));
            v.set("gost", it.gost);
            v.set("Quant", it.quant);
            v.set("price", it.price);
            v.set("sumwnds", it.summa / 1.2);
            v.set("nds", 20);
            v.set("sumnds", it.summa / 1.2 * 0.2);
            v.set("summa", it.summa);
            v.set("edizm", it.edizm);
            v.set("vidup", it.vidup);
            v.set("klv1m", 1.0);
            v.set("klvm", it.klvm);
            v.set("brutto", 10.0);
        };
        report.setDataset("frUserDataset1", &rows);
        report.onBeginPage = [this, &v](int p) {
            const QString code =
                converter.Convert(QStringLiteral("<N0101000017>лист %1").arg(p), -1, 8, 0);
            codes << code;
            v.set("code", code);
        };
    }
};

const Band& band(Report& r, const char* name) {
    const Band* b = r.design().findBand(name);
    if (!b)
        qFatal("no band %s", name);
    return *b;
}

const FormObject& object(Report& r, const char* name) {
    const FormObject* o = r.findObject(name);
    if (!o)
        qFatal("no object %s", name);
    return *o;
}

QString unescape(QString s) {
    s.replace("&quot;", "\"").replace("&apos;", "'").replace("&lt;", "<").replace("&gt;", ">");
    return s.replace("&amp;", "&");
}

// The words of `page` whose centres lie in `area`, read line by line and left to right, joined
// by single spaces; no-break spaces count as spaces.
QString wordsIn(const QList<PdfWord>& words, int page, const QRectF& area) {
    QList<PdfWord> in;
    for (const PdfWord& w : words)
        if (w.page == page && area.contains(w.box.center()))
            in << w;
    std::sort(in.begin(), in.end(), [](const PdfWord& a, const PdfWord& b) {
        if (std::fabs(a.box.top() - b.box.top()) > 2)
            return a.box.top() < b.box.top();
        return a.box.left() < b.box.left();
    });
    QStringList out;
    for (const PdfWord& w : in)
        out << unescape(w.text);
    return out.join(' ').replace(QChar(0xA0), ' ').simplified();
}

// The top-left word of `page` in `area`.
PdfWord firstWordIn(const QList<PdfWord>& words, int page, const QRectF& area) {
    PdfWord first{-1, QRectF(), QString()};
    for (const PdfWord& w : words)
        if (w.page == page && area.contains(w.box.center()) &&
            (first.page < 0 || w.box.top() < first.box.top() - 2 ||
             (std::fabs(w.box.top() - first.box.top()) <= 2 && w.box.left() < first.box.left())))
            first = w;
    return first;
}

// The transport section's texts row by row: the top of the row, then its texts from left to
// right with their point sizes; "\n" separates the lines of one object.
struct RowText {
    const char* text;
    int size;
};
struct TransportRow {
    int y;
    std::vector<RowText> texts;
};
const std::vector<TransportRow>& transportRows() {
    static const std::vector<TransportRow> rows = {
        {8, {{"II. ТРАНСПОРТНЫЙ РАЗДЕЛ", 8}}},
        {12, {{"ТТН №", 8}}},
        {20, {{"Срок доставки груза \"       \"", 8}, {"20         г.", 8}}},
        {28, {{"К путевому\nлисту №", 7}}},
        {36, {{"Организация", 8}, {"Автомобиль", 8}, {"Государственный номерной знак", 8}}},
        {48,
         {{"наименование, адрес, номер телефона", 6}, {"банковские реквизиты", 6}, {"марка", 6}}},
        {56, {{"Заказчик (плательщик)", 8}}},
        {68, {{"наименование, адрес, номер телефона", 6}, {"банковские реквизиты", 6}}},
        {84, {{"Водитель", 8}, {"Удостоверение №", 8}}},
        {96, {{"фамилия, имя, отчество", 6}}},
        {108,
         {{"Лицензионная карточка", 8},
          {"стандартная, ограниченная", 8},
          {"Вид перевозки", 8},
          {"Код", 8}}},
        {120, {{"ненужное зачеркнуть", 6}}},
        {128, {{"Регистрационный №", 8}, {"серия", 8}, {"№", 8}}},
        {144, {{"Пункт погрузки", 8}, {"Пункт разгрузки", 8}, {"Маршрут", 8}}},
        {156, {{"адрес, номер телефона", 6}}},
        {168,
         {{"Переадресовка", 8},
          {"1. Прицеп", 8},
          {"Государственный номерной знак", 8},
          {"Гаражный номер", 8}}},
        {180,
         {{"наименование и адрес нового грузополучателя", 6},
          {"номер распоряжения", 6},
          {"марка", 6}}},
        {192, {{"2. Прицеп", 8}, {"Государственный номерной знак", 8}, {"Гаражный номер", 8}}},
        {204, {{"подпись ответственного лица", 6}, {"СВЕДЕНИЯ О ГРУЗЕ", 7}, {"марка", 6}}},
        {220,
         {{"Краткое наименование", 8},
          {"С грузом следуют документы", 8},
          {"Вид упаковки", 8},
          {"Количество \nмест", 8},
          {"Способ определения массы", 8},
          {"Код\nгруза", 8},
          {"Номер\nконтейнера", 8},
          {"Класс\nгруза", 8},
          {"Масса\nбрутто, т", 8}}},
        {248,
         {{"1", 8},
          {"2", 8},
          {"3", 8},
          {"4", 8},
          {"5", 8},
          {"6", 8},
          {"7", 8},
          {"8", 8},
          {"9", 8}}},
        {264, {{"1.", 8}}},
        {280, {{"2.", 8}}},
        {296, {{"3.", 8}}},
        {312,
         {{"Указанный груз с исправной\nпломбой, тарой и упаковкой", 8},
          {"Количество\nмест", 8},
          {"Указанный груз с исправной\nпломбой, тарой и упаковкой", 8},
          {"Количество\nмест", 8},
          {"Количество\nездок, заездов", 8}}},
        {316, {{"Итого:масса брутто, т", 8}}},
        {336, {{"оттиск", 6}, {"прописью", 6}, {"оттиск", 6}, {"прописью", 6}}},
        {348,
         {{"Массой брутто", 8},
          {"т   к перевозке", 8},
          {"Массой брутто", 8},
          {"т   сдал", 8},
          {"Отметки о составленных актах", 8}}},
        {360, {{"прописью", 6}, {"прописью", 6}}},
        {372, {{"Сдал", 8}, {"Водитель-экспедитор", 8}, {"Транспортные услуги", 8}}},
        {384,
         {{"должность", 6},
          {"подпись", 6},
          {"расшифровка подписи", 6},
          {"подпись", 6},
          {"расшифровка подписи", 6}}},
        {392, {{"Принял водитель-\nэкспедитор", 8}}},
        {400, {{"место для\nштампа", 6}, {"Принял", 8}, {"место для\nштампа", 6}}},
        {412,
         {{"подпись", 6},
          {"расшифровка подписи", 6},
          {"должность", 6},
          {"подпись", 6},
          {"расшифровка подписи", 6}}},
        {424, {{"Погрузочно-разгрузочные операции", 8}}},
        {440,
         {{"операция", 8},
          {"исполнитель (автовладелец,\nполучатель, отправитель)", 8},
          {"дополнительные операции\n(наименование, количество)", 8},
          {"механизм, грузоподъём-\nность ёмкость ковша", 8},
          {"способ", 8},
          {"дата (число, месяц),\nвремя, ч, мин.", 8},
          {"время\nдополнительных\nопераций, мин.", 8},
          {"подпись\nответствен-\nного лица", 8}}},
        {452, {{"ручной, механизированный,\nналивом, самосвалом", 8}, {"код", 8}}},
        {468, {{"прибытия", 8}, {"убытия", 8}}},
        {480,
         {{"10", 8},
          {"11", 8},
          {"12", 8},
          {"13", 8},
          {"14", 8},
          {"15", 8},
          {"16", 8},
          {"17", 8},
          {"18", 8},
          {"19", 8}}},
        {496, {{"погрузка", 8}}},
        {512, {{"разгрузка", 8}}},
        {532,
         {{"прочие сведения", 8},
          {"(заполняется организацией, владельцем автотранспорта)", 6},
          {"Таксировка:", 8}}},
        {548,
         {{"расстояние перевозки по\nгруппам дорог, км", 8},
          {"код\nэкспедирования\nгруза", 8},
          {"за транспортные услуги", 8},
          {"сумма штрафа за непра-\nвильное оформление\nдокументов, руб. коп.", 8},
          {"поправочный коэффициент", 8},
          {"время простоя, ч, мин.", 8}}},
        {564,
         {{"с клиента", 8},
          {"причитается\nводителю", 8},
          {"расценка\nводителю", 8},
          {"основной\nтариф", 8},
          {"под погрузкой", 8},
          {"под разгрузкой", 8}}},
        {576, {{"всего", 8}, {"в гор.", 8}, {"I гр.", 8}, {"II гр.", 8}, {"III гр.", 8}}},
        {592,
         {{"20", 8},
          {"21", 8},
          {"22", 8},
          {"23", 8},
          {"24", 8},
          {"25", 8},
          {"26", 8},
          {"27", 8},
          {"28", 8},
          {"29", 8},
          {"30", 8},
          {"31", 8},
          {"32", 8}}},
        {628,
         {{"Расчёт стоимости", 8},
          {"за\nтонны", 8},
          {"за\nтонны-км", 8},
          {"Погрузочно-\nразгрузочные \nработы, тонн", 8},
          {"Недогрузка\nавтомобиля\nи прицепа", 8},
          {"Экспеди-\nрование", 8},
          {"Сверхнормативный\nпростой, ч, мин. при", 8},
          {"За сроч-\nность\nзаказа", 8},
          {"За специ-\nальный\nтранспорт", 8},
          {"Прочие\nдоплаты", 8},
          {"Всего", 8}}},
        {652, {{"погрузке", 8}, {"разгрузке", 8}}},
        {664,
         {{"33", 8},
          {"34", 8},
          {"35", 8},
          {"36", 8},
          {"37", 8},
          {"38", 8},
          {"39", 8},
          {"40", 8},
          {"41", 8},
          {"42", 8},
          {"43", 8}}},
        {676, {{"Выполнено", 8}, {"Таксировщик", 8}}},
        {688, {{"подпись", 6}, {"расшифровка подписи", 6}}},
        {692, {{"Расценка, руб. коп.", 8}}},
        {708, {{"К оплате, руб. коп.", 8}}},
    };
    return rows;
}

} // namespace

class TestOneT : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void design();
    void sheets_data();
    void sheets();
    void goodsTexts_data();
    void goodsTexts();
    void tableColumns();
    void transportRow_data();
    void transportRow();
    void transportComplete();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Waybill> m_waybill; // the sample: 20 rows over two table sheets
    QList<PdfWord> m_words;
    int m_tableSheets = 0;
};

void TestOneT::initTestCase() {
    m_waybill = std::make_unique<Waybill>(20);
    const PreparedReport& p = m_waybill->report.prepare();
    m_tableSheets = int(p.sheets.size()) - 2;
    QCOMPARE(m_tableSheets, 2);
    const QString file = m_dir.filePath("1t.pdf");
    writePdf(p, file);
    m_words = readPdfWords(file);
}

void TestOneT::design() {
    Report r = Report::load("fr1T");
    const Template& t = r.design();
    QCOMPARE(t.title, QStringLiteral("Товарно-транспортная накладная"));
    QVERIFY(t.progress);
    QCOMPARE(t.pages.size(), size_t(3));
    QCOMPARE(t.pages[1].name, QStringLiteral("Page2"));
    QCOMPARE(t.pages[2].name, QStringLiteral("Page1"));
    for (const FormPage& p : t.pages) {
        QVERIFY(p.landscape);
        QCOMPARE(p.sizeUnits(), QSize(1071, 758));
        QCOMPARE(p.margins, MarginsMode::Printer);
        QCOMPARE(p.paperSource, 0);
    }
    // Page 0: title, the repeated header with the symbol, the rows; no footer, no summary.
    QStringList bands;
    for (const Band& b : t.pages[0].bands)
        bands << b.name;
    QCOMPARE(bands, QStringList({"ReportTitle1", "MasterHeader1", "MasterData1"}));
    QVERIFY(band(r, "MasterHeader1").repeatOnEverySheet);
    QCOMPARE(band(r, "MasterData1").dataSource, QStringLiteral("frUserDataset1"));
    const FormObject& pdf = object(r, "mPdf");
    QCOMPARE(pdf.kind, FormObject::Kind::Pdf417);
    QCOMPARE(pdf.rect(), QRect(20, 0, 284, 56));
    QCOMPARE(pdf.font.size, 8.0);
    QCOMPARE(pdf.lineSpacing, -7);
    QCOMPARE(pdf.text(), QStringLiteral("[code]"));
    QCOMPARE(linePitch(pdf.font, pdf.lineSpacing), 4);
    // The transport section: 338 objects in one 720-unit band, six of them lines.
    const Band& transport = band(r, "ReportTitle2");
    QCOMPARE(t.pages[2].bands.size(), size_t(1));
    QCOMPARE(transport.height, 720);
    QCOMPARE(int(transport.objects.size()), 338);
    int lines = 0;
    for (const FormObject& o : transport.objects) {
        lines += o.kind == FormObject::Kind::Line;
        QVERIFY2(o.y >= 0 && o.y + o.h <= transport.height, qPrintable(o.name));
    }
    QCOMPARE(lines, 6);
}

void TestOneT::sheets_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("rowsPerSheet");
    // 13 rows fit under the heading on the first sheet, 31 on each later one.
    QTest::newRow("no rows") << 0 << QList<int>{0};
    QTest::newRow("one row") << 1 << QList<int>{1};
    QTest::newRow("first sheet full") << 13 << QList<int>{13};
    QTest::newRow("one row on the second sheet") << 14 << QList<int>{13, 1};
    QTest::newRow("three sheets") << 50 << QList<int>{13, 31, 6};
}

void TestOneT::sheets() {
    QFETCH(int, rows);
    QFETCH(QList<int>, rowsPerSheet);
    Waybill w(rows);
    const PreparedReport& p = w.report.prepare();
    const int table = int(rowsPerSheet.size());
    // The sheets of page 0, then exactly the closing sheet and the transport sheet.
    QCOMPARE(int(p.sheets.size()), table + 2);
    QCOMPARE(w.codes.size(), table + 2);
    const FormObject& mPdf = object(w.report, "mPdf");
    const double top = w.report.printerMargins().top;
    for (int i = 0; i < table; ++i) {
        const Sheet& s = p.sheets[size_t(i)];
        QStringList expected;
        if (i == 0)
            expected << "ReportTitle1";
        expected << "MasterHeader1";
        if (rowsPerSheet[i] > 0)
            expected << "MasterData1";
        QCOMPARE(s.bands, expected);
        // The sheet's own symbol in MasterHeader1: under the title on the first sheet, at the
        // top of the printable area on the others.
        const double headerTop = top + (i == 0 ? band(w.report, "ReportTitle1").height : 0);
        const double rowsTop = headerTop + band(w.report, "MasterHeader1").height;
        QList<const Primitive*> symbols;
        int quantities = 0;
        for (const Primitive& it : s.items) {
            if (it.type == Primitive::Type::Pdf417)
                symbols << &it;
            quantities += it.type == Primitive::Type::Text && it.rect.left() >= 252 &&
                          it.rect.right() <= 332 && it.rect.top() > rowsTop;
        }
        QCOMPARE(symbols.size(), 1);
        QCOMPARE(symbols[0]->rows, w.codes[i].split('\n'));
        QCOMPARE(symbols[0]->rect.left(), mPdf.x + 2.0);
        QCOMPARE(symbols[0]->rect.top(), headerTop + mPdf.y + 1);
        QCOMPARE(symbols[0]->pitch, 4.0);
        QCOMPARE(quantities, rowsPerSheet[i]);
    }
    // The closing block and the transport section start sheets of their own and show no symbol.
    QCOMPARE(p.sheets[size_t(table)].bands, QStringList{"ReportSummary1"});
    QCOMPARE(p.sheets[size_t(table) + 1].bands, QStringList{"ReportTitle2"});
    for (int i = table; i < table + 2; ++i) {
        for (const Primitive& it : p.sheets[size_t(i)].items)
            QVERIFY(it.type != Primitive::Type::Pdf417);
        QCOMPARE(p.sheets[size_t(i)].sizeUnits, QSize(1071, 758));
    }
}

void TestOneT::goodsTexts_data() {
    QTest::addColumn<int>("sheet"); // from the end when negative: -2 closing, -1 transport
    QTest::addColumn<QString>("band");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("height"); // of the area read, when the text grows beyond its object
    auto row = [](const char* name, int sheet, const char* b, const char* o, const char* t,
                  int height = 0) {
        QTest::newRow(name) << sheet << QString(b) << QString(o) << QString::fromUtf8(t) << height;
    };
    row("codes", 0, "ReportTitle1", "Memo3", "Коды");
    row("form code", 0, "ReportTitle1", "Memo4", "0345009");
    row("form title, two lines", 0, "ReportTitle1", "Memo1", "ТОВАРНО-ТРАНСПОРТНАЯ НАКЛАДНАЯ", 28);
    row("number", 0, "ReportTitle1", "Memo7", "17");
    row("day", 0, "ReportTitle1", "Memo9", "5");
    row("month", 0, "ReportTitle1", "Memo10", "3");
    row("year", 0, "ReportTitle1", "Memo11", "2024");
    row("consignor", 0, "ReportTitle1", "Memo15",
        "ООО \"Северный завод\", 170001, г. Тверь, ул. Заводская, д. 1");
    row("consignor okpo", 0, "ReportTitle1", "Memo21", "12345678");
    row("consignee", 0, "ReportTitle1", "Memo24", "Войсковая часть 11111, 160000, г. Вологда");
    row("consignee okpo", 0, "ReportTitle1", "Memo22", "11223344");
    row("payer", 0, "ReportTitle1", "Memo26",
        "Управление снабжения, 125009, г. Москва, ул. Тихая, д. 5");
    row("payer okpo", 0, "ReportTitle1", "Memo23", "87654321");
    row("contract", 0, "ReportTitle1", "Memo487",
        "Государственный контракт № 0173100004524000017 от 12.02.2024");
    row("section", 0, "ReportTitle1", "Memo28", "I. ТОВАРНЫЙ РАЗДЕЛ");
    row("heading 1", 0, "MasterHeader1", "Memo30", "Код продукции (номенклатур- ный номер)");
    row("heading 6", 0, "MasterHeader1", "Memo35",
        "Наименование продукции, товара (груза), ТУ, марка, размер, сорт");
    row("heading 12", 0, "MasterHeader1", "Memo41",
        "Порядковый номер записи по складской картотеке (грузоотправителю, грузополучателю)");
    row("column 4", 0, "MasterHeader1", "Memo45", "4");
    row("column 12", 0, "MasterHeader1", "Memo53", "12");
    row("heading 11, sheet 2", 1, "MasterHeader1", "Memo40", "Сумма, руб. коп.");
    row("quantity", 0, "MasterData1", "Memo57", "2,5");
    row("price grouped", 0, "MasterData1", "Memo58", "1 234,50");
    row("name and standard", 0, "MasterData1", "Memo59", "Болт М10х40 ГОСТ 7798-70");
    row("unit", 0, "MasterData1", "Memo60", "кг");
    row("package", 0, "MasterData1", "Memo61", "ящик");
    row("places", 0, "MasterData1", "Memo62", "3");
    row("sum grouped", 0, "MasterData1", "Memo64", "3 086,25");
    row("markup", -2, "ReportSummary1", "Memo66", "Наценка, %");
    row("continuation", -2, "ReportSummary1", "Memo74", "Товарная накладная имеет продолжение на");
    row("to pay", -2, "ReportSummary1", "Memo72", "Всего к оплате");
    row("to pay: empty", -2, "ReportSummary1", "Memo73", "");
    row("total sum: blank", -2, "ReportSummary1", "Memo109", "");
    row("power of attorney date", -2, "ReportSummary1", "Memo105", "от \" \"");
    row("year", -2, "ReportSummary1", "Memo107", "20 г.");
    row("released by", -2, "ReportSummary1", "Memo115", "Директор");
    row("released by name", -2, "ReportSummary1", "Memo119", "/Иванов И. И./");
    row("accountant", -2, "ReportSummary1", "Memo124", "/Петрова А. А./");
    row("dispatched by", -2, "ReportSummary1", "Memo127", "Кладовщик");
    row("dispatched by name", -2, "ReportSummary1", "Memo131", "/Сидоров П. П./");
    row("seal", -2, "ReportSummary1", "Memo133", "М. П. \" \"");
}

void TestOneT::goodsTexts() {
    QFETCH(int, sheet);
    QFETCH(QString, band);
    QFETCH(QString, object);
    QFETCH(QString, text);
    QFETCH(int, height);
    Report& r = m_waybill->report;
    const int page = sheet < 0 ? m_tableSheets + 2 + sheet : sheet;
    // The band's top on its sheet: the title's first, the header under the title on the first
    // sheet and at the top on later ones, the first row under the header.
    double top = r.printerMargins().top;
    const double title = ::band(r, "ReportTitle1").height;
    const double header = ::band(r, "MasterHeader1").height;
    if (band == "MasterHeader1")
        top += page == 0 ? title : 0;
    else if (band == "MasterData1")
        top += title + header;
    const FormObject& o = ::object(r, qPrintable(object));
    const QRectF area(o.x, top + o.y, o.w, height > 0 ? height : o.h);
    QCOMPARE(wordsIn(m_words, page, area), text);
}

void TestOneT::tableColumns() {
    // Every row of both table sheets: 12 boxes; columns 1, 2, 3, 10 and 12 empty, column 9
    // empty where klvm is 0; numbers in the general form and grouped with two decimals.
    Report& r = m_waybill->report;
    const Band& data = band(r, "MasterData1");
    const double margin = r.printerMargins().top;
    const double title = band(r, "ReportTitle1").height;
    const double header = band(r, "MasterHeader1").height;
    const QStringList general = {"2,5", "1000", "0,125", "150"};
    const QStringList places = {"3", "", "12", "1"};
    const QStringList prices = {"1 234,50", "12,30", "1 234 567,89", "98,70"};
    const QStringList sums = {"3 086,25", "12 300,00", "154 320,99", "14 805,00"};
    int row = 0;
    for (int sheet = 0; sheet < m_tableSheets; ++sheet) {
        const Sheet& s = r.prepared().sheets[size_t(sheet)];
        const double first = margin + header + (sheet == 0 ? title : 0);
        const int rows = sheet == 0 ? 13 : 7;
        for (int k = 0; k < rows; ++k, ++row) {
            const double top = first + k * data.height;
            const size_t item = size_t(row) % general.size();
            for (const FormObject& o : data.objects) {
                const QRectF area(o.x, top + o.y, o.w, o.h);
                // The box: its top and bottom edges on the row's lines.
                bool topEdge = false, bottomEdge = false;
                for (const Primitive& it : s.items) {
                    if (it.type != Primitive::Type::Line || it.line.y1() != it.line.y2() ||
                        it.line.x1() != o.x || it.line.x2() != o.x + o.w)
                        continue;
                    topEdge = topEdge || it.line.y1() == area.top();
                    bottomEdge = bottomEdge || it.line.y1() == area.bottom();
                }
                QVERIFY2(topEdge && bottomEdge,
                         qPrintable(QString("%1 row %2").arg(o.name).arg(row)));
                const QString text = wordsIn(m_words, sheet, area);
                QString expected;
                if (o.name == "Memo57")
                    expected = general[item];
                else if (o.name == "Memo58")
                    expected = prices[item];
                else if (o.name == "Memo62")
                    expected = places[item];
                else if (o.name == "Memo64")
                    expected = sums[item];
                else if (o.lines.join(QString()).isEmpty())
                    expected = QString();
                else
                    continue;
                QVERIFY2(text == expected,
                         qPrintable(QString("%1 row %2: %3").arg(o.name).arg(row).arg(text)));
            }
        }
    }
    QCOMPARE(row, 20);
    // The empty columns are those of the form.
    QStringList empty;
    for (const FormObject& o : data.objects)
        if (o.lines.join(QString()).isEmpty())
            empty << QString("%1-%2").arg(o.x).arg(o.x + o.w);
    QCOMPARE(empty, QStringList({"20-100", "100-176", "176-252", "780-848", "940-1052"}));
}

void TestOneT::transportRow_data() {
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < transportRows().size(); ++i)
        QTest::newRow(qPrintable(QString("y %1").arg(transportRows()[i].y))) << int(i);
}

void TestOneT::transportRow() {
    QFETCH(int, index);
    const TransportRow& row = transportRows()[size_t(index)];
    Report& r = m_waybill->report;
    const Band& b = band(r, "ReportTitle2");
    const double top = r.printerMargins().top;
    const int page = m_tableSheets + 1;
    int lastX = -1;
    for (const RowText& t : row.texts) {
        const QStringList lines = QString::fromUtf8(t.text).split('\n');
        // The object of the row that holds the text, right of the row's previous text.
        const FormObject* found = nullptr;
        for (const FormObject& o : b.objects)
            if (o.y == row.y && o.lines == lines && o.x > lastX && (!found || o.x < found->x))
                found = &o;
        QVERIFY2(found, t.text);
        QCOMPARE(found->font.size, double(t.size));
        QCOMPARE(found->font.name, QStringLiteral("Arial"));
        lastX = found->x;
        // On the sheet: the text inside its object, its first line at the top of the row.
        const QRectF area(found->x, top + row.y, found->w, found->h);
        QCOMPARE(wordsIn(m_words, page, area), lines.join(' ').simplified());
        const PdfWord first = firstWordIn(m_words, page, area);
        QVERIFY2(std::fabs(first.box.top() - (top + row.y + 1)) < 1.5,
                 qPrintable(QString::number(first.box.top())));
    }
}

void TestOneT::transportComplete() {
    // The rows hold every text of the section; the rest are empty boxes, blank rules and
    // lines, all drawn.
    Report& r = m_waybill->report;
    const Band& b = band(r, "ReportTitle2");
    int listed = 0;
    for (const TransportRow& row : transportRows())
        listed += int(row.texts.size());
    int texts = 0, boxes = 0, rules = 0;
    for (const FormObject& o : b.objects) {
        if (o.kind == FormObject::Kind::Line)
            continue;
        QCOMPARE(o.kind, FormObject::Kind::Text);
        if (!o.lines.join(QString()).isEmpty())
            ++texts;
        else if (o.underlines)
            ++rules;
        else if (o.frameSides == FrameBox)
            ++boxes;
        else
            QFAIL(qPrintable(o.name + " draws nothing"));
    }
    QCOMPARE(texts, listed);
    QCOMPARE(texts + boxes + rules, 332);
    // Every word on the transport sheet belongs to a listed text.
    QStringList words;
    for (const TransportRow& row : transportRows())
        for (const RowText& t : row.texts)
            words << QString::fromUtf8(t.text).split(QRegularExpression("\\s+"),
                                                     Qt::SkipEmptyParts);
    int onSheet = 0;
    for (const PdfWord& w : m_words)
        if (w.page == m_tableSheets + 1) {
            ++onSheet;
            QVERIFY2(words.contains(unescape(w.text)), qPrintable(w.text));
        }
    QCOMPARE(onSheet, int(words.size()));
}

QTEST_MAIN(TestOneT)
#include "tst_onet.moc"
