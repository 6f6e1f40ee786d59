// The waybill rules without a window: typed text into the grid's columns, the requisites line,
// the serial-number store, the key filters, and the loading of items and of the values kept
// for printing against a real database.
#include "core/apperror.h"
#include "core/catalogue.h"
#include "core/dbconnection.h"
#include "core/waybill.h"
#include "testdb.h"

#include <QtTest/QtTest>

#include <initializer_list>

namespace {

// The fields the editing rules read and write.
struct Rec {
    double quant = 10, price = 12.5, factQuant = 0, factSumma = 0, klv1m = 0, klvm = 0, brutto = 0;
    QString vidup;

    TContData record() const {
        TContData d;
        d.quant = quant;
        d.price = price;
        d.factQuant = factQuant;
        d.factSumma = factSumma;
        d.klv1m = klv1m;
        d.klvm = klvm;
        d.brutto = brutto;
        d.vidup = vidup;
        return d;
    }
    static Rec of(const TContData& d) {
        return {d.quant, d.price, d.factQuant, d.factSumma, d.klv1m, d.klvm, d.brutto, d.vidup};
    }
    bool operator==(const Rec& o) const {
        return quant == o.quant && price == o.price && factQuant == o.factQuant &&
               factSumma == o.factSumma && klv1m == o.klv1m && klvm == o.klvm &&
               brutto == o.brutto && vidup == o.vidup;
    }
};

char* toString(const Rec& r) {
    return qstrdup(QStringLiteral("quant %1 price %2 factQuant %3 factSumma %4 klv1m %5 klvm %6 "
                                  "brutto %7 vidup '%8'")
                       .arg(r.quant)
                       .arg(r.price)
                       .arg(r.factQuant)
                       .arg(r.factSumma)
                       .arg(r.klv1m)
                       .arg(r.klvm)
                       .arg(r.brutto)
                       .arg(r.vidup)
                       .toUtf8()
                       .constData());
}

Rec shipped(double factQuant, double factSumma, double klv1m = 0, double klvm = 0) {
    Rec r;
    r.factQuant = factQuant;
    r.factSumma = factSumma;
    r.klv1m = klv1m;
    r.klvm = klvm;
    return r;
}

TRefItem organisation(std::initializer_list<std::pair<const char*, const char*>> fields) {
    TRefItem o;
    for (const auto& [name, value] : fields) {
        const QString v = QString::fromUtf8(value);
        const QByteArray n(name);
        QString* target = n == "full_naim"      ? &o.full_naim
                          : n == "station"      ? &o.station
                          : n == "rlw_name"     ? &o.rlw_name
                          : n == "station_code" ? &o.station_code
                          : n == "recv_code"    ? &o.recv_code
                          : n == "inn"          ? &o.inn
                          : n == "ind"          ? &o.ind
                          : n == "adress"       ? &o.adress
                          : n == "phone"        ? &o.phone
                          : n == "cur_acc"      ? &o.cur_acc
                          : n == "bank"         ? &o.bank
                          : n == "br_bank"      ? &o.br_bank
                          : n == "bik"          ? &o.bik
                          : n == "cor_acc"      ? &o.cor_acc
                          : n == "okpo"         ? &o.okpo
                                                : nullptr;
        Q_ASSERT(target);
        *target = v;
    }
    return o;
}

TRefItem fullOrganisation(int id) {
    TRefItem o = organisation({{"full_naim", "ООО \"Север\""},
                               {"station", "Лесногорск"},
                               {"rlw_name", "Октябрьская ж.д."},
                               {"station_code", "061503"},
                               {"recv_code", "4418"},
                               {"inn", "6903011122"},
                               {"ind", "170036"},
                               {"adress", "г. Лесногорск, ул. Лесная, д. 1"},
                               {"phone", "32-10-00"},
                               {"cur_acc", "40702810"},
                               {"bank", "Банк Приволжье"},
                               {"br_bank", "доп. офис N 3"},
                               {"bik", "042809001"},
                               {"cor_acc", "30101810"},
                               {"okpo", "01933471"}});
    o.refBook = 2;
    o.id = id;
    return o;
}

const QString kFullLine = QStringLiteral(
    "ООО \"Север\", ст. Лесногорск Октябрьская ж.д., код 061503, код получателя 4418, ИНН "
    "6903011122, 170036, г. Лесногорск, ул. Лесная, д. 1, тел. 32-10-00, р/с 40702810 в Банк "
    "Приволжье доп. офис N 3, БИК 042809001, корр/с 30101810");

// One line of a contract to seed.
TContData line(int elem, int recip, double quant, double summa, const QString& comment = {}) {
    TContData d;
    d.elem = elem;
    d.recip = recip;
    d.recipS = QStringLiteral("Получатель %1").arg(recip);
    d.recipC = QStringLiteral("R%1").arg(recip);
    d.elemS = QStringLiteral("Товар %1").arg(elem);
    d.elemC = QStringLiteral("E%1").arg(elem);
    d.kat = QStringLiteral("1");
    d.gost = QStringLiteral("ГОСТ 1172-93");
    d.unit = QStringLiteral("шт");
    d.data = QDate(2026, 3, 1);
    d.quant = quant;
    d.summa = summa;
    d.comment = comment;
    return d;
}

// Writes organisations, a contract and its lines; returns the contract's number.
int seed(DbConnection& c, const QList<TRefItem>& organisations, int agent, int payer,
         const QList<TContData>& lines) {
    c.beginWrite();
    for (const TRefItem& o : organisations) {
        Catalogue::setOrganisationWrite(c.qTarvik, o, false);
        c.qTarvik.execSql();
    }
    TContTitle title;
    title.docno = QStringLiteral("К-1");
    title.agent = agent;
    title.payer = payer;
    Catalogue::insertContract(c.qTarvik, title, QStringLiteral("/k.dat"));
    const int number = *Catalogue::lastContractNumber(c.qTarvik);
    Catalogue::ContractLineInsert insert(c.qTarvik, number);
    for (const TContData& d : lines)
        insert.insert(d);
    c.trTarvik.commit();
    return number;
}

const TContData* find(const TContDataList& items, int elem, double price) {
    for (const TContData& d : items)
        if (d.elem == elem && d.price == price)
            return &d;
    return nullptr;
}

} // namespace

Q_DECLARE_METATYPE(Rec)
Q_DECLARE_METATYPE(TRefItem)

class TestWaybill : public QObject {
    Q_OBJECT
private slots:
    void editRules_data();
    void editRules();
    void numberText_data();
    void numberText();
    void editorAndCellTexts();
    void requisitesLine_data();
    void requisitesLine();
    void ndsSetting_data();
    void ndsSetting();
    void serialRows_data();
    void serialRows();
    void serialCollect_data();
    void serialCollect();
    void serialCell_data();
    void serialCell();
    void keyFilters_data();
    void keyFilters();
    void loadItemsGrouping();
    void loadShowValues();
};

void TestWaybill::editRules_data() {
    QTest::addColumn<Rec>("before");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("texts"); // the editor's text after each keystroke
    QTest::addColumn<Rec>("after");
    QTest::addColumn<bool>("taken"); // the last text was taken

    using W = QStringList;
    const Rec fresh;
    QTest::newRow("12 is capped at quant") << fresh << 5 << W{"12"} << shipped(10, 125) << true;
    QTest::newRow("-3 becomes 3") << fresh << 5 << W{"-3"} << shipped(3, 37.5) << true;
    QTest::newRow("-15 becomes 15, capped") << fresh << 5 << W{"-15"} << shipped(10, 125) << true;
    QTest::newRow("first key 1") << fresh << 5 << W{"1"} << shipped(1, 12.5) << true;
    QTest::newRow("second key 2: 12, capped")
        << fresh << 5 << W{"1", "12"} << shipped(10, 125) << true;
    QTest::newRow("decimal comma") << fresh << 5 << W{"2,5"} << shipped(2.5, 31.25) << true;
    QTest::newRow("a full stop is not the separator")
        << shipped(1, 12.5) << 5 << W{"2.5"} << shipped(1, 12.5) << false;
    QTest::newRow("letters leave the record")
        << shipped(4, 50) << 5 << W{"abc"} << shipped(4, 50) << false;
    QTest::newRow("a lone minus leaves the record")
        << shipped(4, 50) << 5 << W{"-"} << shipped(4, 50) << false;
    QTest::newRow("an empty text leaves the record")
        << shipped(4, 50) << 5 << W{"4", ""} << shipped(4, 50) << false;
    QTest::newRow("klvm recomputed while klv1m is set")
        << shipped(10, 125, 4, 2.5) << 5 << W{"6"} << shipped(6, 75, 4, 1.5) << true;
    QTest::newRow("klvm kept while klv1m is 0")
        << shipped(10, 125, 0, 7) << 5 << W{"3"} << shipped(3, 37.5, 0, 7) << true;
    QTest::newRow("klv1m 4 gives klvm 2.5")
        << shipped(10, 125) << 9 << W{"4"} << shipped(10, 125, 4, 2.5) << true;
    QTest::newRow("klv1m then 0 keeps klvm")
        << shipped(10, 125) << 9 << W{"4", "0"} << shipped(10, 125, 0, 2.5) << true;
    QTest::newRow("klv1m absolute")
        << shipped(10, 125) << 9 << W{"-5"} << shipped(10, 125, 5, 2) << true;
    QTest::newRow("klv1m letters")
        << shipped(10, 125, 4, 2.5) << 9 << W{"x"} << shipped(10, 125, 4, 2.5) << false;
    Rec heavy = shipped(2, 25);
    heavy.brutto = 7.5;
    QTest::newRow("brutto absolute") << shipped(2, 25) << 11 << W{"-7,5"} << heavy << true;
    QTest::newRow("brutto empty") << heavy << 11 << W{""} << heavy << false;
    Rec boxed;
    boxed.vidup = QStringLiteral("ящик 1");
    QTest::newRow("vidup as typed") << fresh << 8 << W{"я", "ящик 1"} << boxed << true;
    QTest::newRow("vidup emptied") << boxed << 8 << W{""} << fresh << true;
    QTest::newRow("a read-only column") << fresh << 3 << W{"5"} << fresh << false;
}

void TestWaybill::editRules() {
    QFETCH(Rec, before);
    QFETCH(int, column);
    QFETCH(QStringList, texts);
    QFETCH(Rec, after);
    QFETCH(bool, taken);
    TContData d = before.record();
    bool last = false;
    for (const QString& t : texts)
        last = Waybill::setEditText(d, column, t);
    QCOMPARE(Rec::of(d), after);
    QCOMPARE(last, taken);
}

void TestWaybill::numberText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("blanks around") << " 12 " << true << 12.0;
    QTest::newRow("plus sign and comma") << "+1,5" << true << 1.5;
    QTest::newRow("trailing separator") << "3," << true << 3.0;
    QTest::newRow("leading separator") << ",25" << true << 0.25;
    QTest::newRow("exponent") << "1,5E2" << true << 150.0;
    QTest::newRow("separator alone") << "," << false << 0.0;
    QTest::newRow("thousands separator") << "1 000" << false << 0.0;
    QTest::newRow("exponent without digits") << "1e" << false << 0.0;
    QTest::newRow("out of range") << "1e400" << false << 0.0;
    QTest::newRow("two separators") << "1,2,3" << false << 0.0;
}

void TestWaybill::numberText() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const auto n = Regional::current().parseNumber(text);
    QCOMPARE(n.has_value(), valid);
    if (valid)
        QCOMPARE(*n, value);
}

void TestWaybill::editorAndCellTexts() {
    TContData d;
    d.elemS = QStringLiteral("Бинт\nстерильный");
    d.unit = QStringLiteral("шт");
    d.kat = QStringLiteral("1");
    d.quant = 10;
    d.price = 12.5;
    d.data = QDate(2026, 3, 1);
    Waybill::setFactQuant(d, QStringLiteral("3"));
    Waybill::setKlv1m(d, QStringLiteral("0,3"));
    d.vidup = QStringLiteral("ящик");
    const QStringList cells = [&] {
        QStringList out;
        for (int c = 0; c < Waybill::ColumnCount; ++c)
            out << Waybill::cellText(d, c);
        return out;
    }();
    QCOMPARE(cells, (QStringList{"Бинт\nстерильный", "шт", "1", "10", "12,5", "3", "", "37,5",
                                 "ящик", "0,3", "10", "0", "01.03.2026", "", ""}));
    // The editor takes the stored value of the four editable columns only.
    QCOMPARE(Waybill::editText(d, 5), std::optional<QString>(QStringLiteral("3")));
    QCOMPARE(Waybill::editText(d, 8), std::optional<QString>(QStringLiteral("ящик")));
    QCOMPARE(Waybill::editText(d, 9), std::optional<QString>(QStringLiteral("0,3")));
    QCOMPARE(Waybill::editText(d, 11), std::optional<QString>(QStringLiteral("0")));
    for (int c : {0, 1, 2, 3, 4, 6, 7, 10, 12, 13, 14})
        QVERIFY2(!Waybill::editText(d, c), qPrintable(QString::number(c)));
    // The serial count drops the fraction.
    d.factQuant = 2.7;
    QCOMPARE(Waybill::serialCount(d), 2);
    d.factQuant = 0.9;
    QCOMPARE(Waybill::serialCount(d), 0);
}

void TestWaybill::requisitesLine_data() {
    QTest::addColumn<TRefItem>("organisation");
    QTest::addColumn<QString>("line");
    QTest::newRow("full name and INN only")
        << organisation({{"full_naim", "ООО Ромашка"}, {"inn", "7701"}}) << "ООО Ромашка, ИНН 7701";
    QTest::newRow("station only: begins with its separator")
        << organisation({{"station", "Лесногорск"}}) << ", ст. Лесногорск";
    QTest::newRow("branch without bank")
        << organisation({{"full_naim", "А"}, {"br_bank", "доп. офис"}}) << "А доп. офис";
    QTest::newRow("bank and branch")
        << organisation({{"full_naim", "А"}, {"bank", "Банк"}, {"br_bank", "доп. офис"}})
        << "А в Банк доп. офис";
    QTest::newRow("okpo is not part of the line")
        << organisation({{"full_naim", "А"}, {"okpo", "0193"}}) << "А";
    QTest::newRow("every column") << fullOrganisation(1) << kFullLine;
    QTest::newRow("nothing") << TRefItem() << "";
}

void TestWaybill::requisitesLine() {
    QFETCH(TRefItem, organisation);
    QFETCH(QString, line);
    QCOMPARE(Waybill::requisitesLine(organisation), line);
}

void TestWaybill::ndsSetting_data() {
    QTest::addColumn<QString>("value1");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("nds");
    QTest::newRow("20") << "20" << true << 20;
    QTest::newRow("leading zero") << "05" << true << 5;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("letters") << "2x" << false << 0;
    QTest::newRow("fraction") << "18,5" << false << 0;
}

void TestWaybill::ndsSetting() {
    QFETCH(QString, value1);
    QFETCH(bool, valid);
    QFETCH(int, nds);
    try {
        QCOMPARE(Waybill::parseNds(value1), nds);
        QVERIFY(valid);
    } catch (const AppError& e) {
        QVERIFY(!valid);
        QVERIFY2(e.message().startsWith(QStringLiteral("Ставка НДС в настройках (\"%1\") не "
                                                       "является целым числом")
                                            .arg(value1)),
                 qPrintable(e.message()));
    }
}

void TestWaybill::serialRows_data() {
    QTest::addColumn<QString>("serials");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("fewer stored than rows") << "a;c;" << 3 << QStringList{"a", "c", ""};
    QTest::newRow("more stored than rows") << "1;2;3;4;5;" << 3 << QStringList{"1", "2", "3"};
    QTest::newRow("nothing stored") << "" << 2 << QStringList{"", ""};
    QTest::newRow("a rest without ';' fills no row") << "a;bc" << 3 << QStringList{"a", "", ""};
    QTest::newRow("no rows") << "a;" << 0 << QStringList{};
}

void TestWaybill::serialRows() {
    QFETCH(QString, serials);
    QFETCH(int, count);
    QFETCH(QStringList, rows);
    QCOMPARE(Serials::rowsFromStored(serials, count), rows);
}

void TestWaybill::serialCollect_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("serials");
    QTest::addColumn<QString>("emptyRows");
    QTest::newRow("all filled") << QStringList{"a", "b"} << "a;b;"
                                << "";
    QTest::newRow("row 2 empty") << QStringList{"a", "", "c"} << "a;c;"
                                 << "(2) ";
    QTest::newRow("rows 2 and 5 empty") << QStringList{"a", "", "c", "d", ""} << "a;c;d;"
                                        << "(2, 5) ";
    QTest::newRow("all empty") << QStringList{"", "", ""} << ""
                               << "(1, 2, 3) ";
}

void TestWaybill::serialCollect() {
    QFETCH(QStringList, rows);
    QFETCH(QString, serials);
    QFETCH(QString, emptyRows);
    const Serials::Collected c = Serials::collect(rows);
    QCOMPARE(c.serials, serials);
    QCOMPARE(c.emptyRows, emptyRows);
    // What was stored comes back in the first rows.
    QCOMPARE(Serials::rowsFromStored(c.serials, int(rows.size())).join(QString()),
             rows.join(QString()));
}

void TestWaybill::serialCell_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<bool>("cut");
    const QString twenty = QStringLiteral("ABCDEFGHIJ0123456789");
    QTest::newRow("20 characters") << twenty << twenty << false;
    QTest::newRow("21 characters") << twenty + "X" << twenty << true;
    QTest::newRow("pasted ';' dropped") << "12;34"
                                        << "1234" << false;
    QTest::newRow("pasted Cyrillic dropped") << "№1Жё-2"
                                             << "№1-2" << false;
    QTest::newRow("empty") << ""
                           << "" << false;
}

void TestWaybill::serialCell() {
    QFETCH(QString, text);
    QFETCH(QString, cell);
    QFETCH(bool, cut);
    bool wasCut = !cut;
    QCOMPARE(Serials::cutCell(text, &wasCut), cell);
    QCOMPARE(wasCut, cut);
}

void TestWaybill::keyFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("ch");
    QTest::addColumn<bool>("tooLong");
    QTest::addColumn<bool>("allowed");
    for (const char* c : {"A", "z", "7", "-", "/", " ", ";", "\b"})
        QTest::addRow("number %s", c) << "number" << QString::fromUtf8(c) << false << true;
    for (const char* c : {"А", "я", "Ё", "ё", "Ж"})
        QTest::addRow("number %s", c) << "number" << QString::fromUtf8(c) << false << false;
    for (const char* c : {"A", "7", "-", "\b", "№"})
        QTest::addRow("serial %s", c) << "serial" << QString::fromUtf8(c) << false << true;
    for (const char* c : {";", "Б", "ё"})
        QTest::addRow("serial %s", c) << "serial" << QString::fromUtf8(c) << false << false;
    for (const char* c : {"A", "7", "\b"})
        QTest::addRow("serial %s while too long", c)
            << "serial" << QString::fromUtf8(c) << true << false;
}

void TestWaybill::keyFilters() {
    QFETCH(QString, filter);
    QFETCH(QString, ch);
    QFETCH(bool, tooLong);
    QFETCH(bool, allowed);
    QCOMPARE(ch.size(), 1);
    if (filter == QLatin1String("number"))
        QCOMPARE(Waybill::documentNumberAllowed(ch[0]), allowed);
    else
        QCOMPARE(Waybill::serialAllowed(ch[0], tooLong), allowed);
}

void TestWaybill::loadItemsGrouping() {
    TestDb t;
    DbConnection c(t.path());
    c.dbTarvik.open();
    const int number =
        seed(c, {fullOrganisation(7)}, 0, 0,
             {
                 line(1, 7, 2, 10), line(1, 7, 3, 30),     // prices 5 and 10: two rows
                 line(2, 7, 1, 2.5), line(2, 7, 3, 7.5),   // one price: one row, sums added
                 line(3, 7, 0, 5),                         // quantity 0: price 0
                 line(4, 7, 3, 10),                        // 3.333.. rounded
                 line(5, 7, 8, 1),                         // 0.125: half to the even 0.12
                 line(2, 7, 1, 2.5, QStringLiteral("да")), // another remark: a row of its own
                 line(1, 8, 5, 5),                         // another recipient
             });
    TContDataList items = {line(9, 9, 1, 1)};
    items[0].serials = QStringLiteral("x;");
    Waybill::PrintValues v;
    Waybill::loadItems(c.qTarvik, number, 7, items, v);
    QCOMPARE(items.size(), 7);
    const TContData* p5 = find(items, 1, 5);
    const TContData* p10 = find(items, 1, 10);
    QVERIFY(p5 && p10);
    QCOMPARE(p5->quant, 2.0);
    QCOMPARE(p10->summa, 30.0);
    int twos = 0;
    for (const TContData& d : items) {
        if (d.elem == 2 && d.comment.isEmpty()) {
            ++twos;
            QCOMPARE(d.quant, 4.0);
            QCOMPARE(d.summa, 10.0);
            QCOMPARE(d.price, 2.5);
        }
        // Nothing entered yet; the loaded fields as the lines hold them.
        QCOMPARE(d.factQuant, 0.0);
        QCOMPARE(d.factSumma, 0.0);
        QCOMPARE(d.klv1m, 0.0);
        QCOMPARE(d.klvm, 0.0);
        QCOMPARE(d.brutto, 0.0);
        QVERIFY(d.serials.isEmpty() && d.vidup.isEmpty());
        QCOMPARE(d.recipC, QStringLiteral("R7"));
        QCOMPARE(d.elemS, QStringLiteral("Товар %1").arg(d.elem));
        QCOMPARE(d.elemC, QStringLiteral("E%1").arg(d.elem));
        QCOMPARE(d.unit, QStringLiteral("шт"));
        QCOMPARE(d.gost, QStringLiteral("ГОСТ 1172-93"));
        QCOMPARE(d.data, QDate(2026, 3, 1));
        QVERIFY(d.recipS.isEmpty());
        QCOMPARE(d.recip, 0);
    }
    QCOMPARE(twos, 1);
    QVERIFY(find(items, 3, 0));
    QCOMPARE(find(items, 3, 0)->summa, 5.0);
    QVERIFY(find(items, 4, 3.33));
    QVERIFY(find(items, 5, 0.12));
    QCOMPARE(v.recip, kFullLine);
    QCOMPARE(v.recip_okpo, QStringLiteral("01933471"));

    // A recipient without an organisation row: no items, empty requisites.
    Waybill::loadItems(c.qTarvik, number, 99, items, v);
    QVERIFY(items.isEmpty());
    QVERIFY(v.recip.isEmpty() && v.recip_okpo.isEmpty());
}

void TestWaybill::loadShowValues() {
    TestDb t;
    DbConnection c(t.path());
    c.dbTarvik.open();
    // The payer has railway data too; its line leaves it out.
    TRefItem payer = fullOrganisation(11);
    payer.full_naim = QStringLiteral("Плательщик");
    payer.okpo.clear();
    const int number = seed(c, {fullOrganisation(10), payer}, 10, 11, {line(1, 7, 1, 1)});
    const int noOrgs = seed(c, {}, 50, 51, {});
    c.beginWrite();
    Catalogue::writeSetting(c.qTarvik, Catalogue::Setting::OtpGrRaz,
                            {QStringLiteral("Директор"), QStringLiteral("Иванов И.И.")});
    Catalogue::writeSetting(c.qTarvik, Catalogue::Setting::OtpGrPr,
                            {QStringLiteral("Кладовщик"), QStringLiteral("Петров П.П.")});
    Catalogue::writeSetting(c.qTarvik, Catalogue::Setting::GlBuh, {QStringLiteral("Сидорова"), {}});
    Catalogue::writeSetting(c.qTarvik, Catalogue::Setting::Nds, {QStringLiteral("05"), {}});
    c.trTarvik.commit();

    Waybill::PrintValues v;
    Waybill::loadShowValues(c.qTarvik, number, v);
    QCOMPARE(v.prov, kFullLine);
    QCOMPARE(v.prov_okpo, QStringLiteral("01933471"));
    QCOMPARE(v.payer, QStringLiteral("Плательщик, ИНН 6903011122, 170036, г. Лесногорск, ул. "
                                     "Лесная, д. 1, тел. 32-10-00, р/с 40702810 в Банк "
                                     "Приволжье доп. офис N 3, БИК 042809001, корр/с 30101810"));
    QCOMPARE(v.payer_okpo, QString());
    QCOMPARE(v.nds, 5);
    QCOMPARE(v.ogr_dl, QStringLiteral("Директор"));
    QCOMPARE(v.ogr_fio, QStringLiteral("Иванов И.И."));
    QCOMPARE(v.ogp_dl, QStringLiteral("Кладовщик"));
    QCOMPARE(v.ogp_fio, QStringLiteral("Петров П.П."));
    QCOMPARE(v.gl_buh, QStringLiteral("Сидорова"));

    // A VAT rate that is not a whole number stops the loading there: the requisites are new,
    // the signatories keep their earlier values.
    c.beginWrite();
    Catalogue::writeSetting(c.qTarvik, Catalogue::Setting::Nds, {QStringLiteral("2x"), {}});
    Catalogue::writeSetting(c.qTarvik, Catalogue::Setting::GlBuh, {QStringLiteral("Новая"), {}});
    c.trTarvik.commit();
    QVERIFY_THROWS_EXCEPTION(AppError, Waybill::loadShowValues(c.qTarvik, noOrgs, v));
    QVERIFY(v.prov.isEmpty() && v.prov_okpo.isEmpty() && v.payer.isEmpty());
    QCOMPARE(v.nds, 5);
    QCOMPARE(v.gl_buh, QStringLiteral("Сидорова"));

    // Missing rows: 0 and empty texts.
    c.beginWrite();
    c.qTarvik.setSql({QStringLiteral("DELETE FROM NSI")});
    c.qTarvik.execSql();
    c.trTarvik.commit();
    Waybill::loadShowValues(c.qTarvik, number, v);
    QCOMPARE(v.nds, 0);
    QVERIFY(v.ogr_dl.isEmpty() && v.ogr_fio.isEmpty() && v.ogp_dl.isEmpty() &&
            v.ogp_fio.isEmpty() && v.gl_buh.isEmpty());
    QCOMPARE(v.prov, kFullLine);
}

QTEST_GUILESS_MAIN(TestWaybill)
#include "tst_waybill.moc"
