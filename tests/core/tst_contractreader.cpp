// The contract reader: conversion, field splitting, sections, references and failures.
#include "contractfixture.h"
#include "core/apperror.h"
#include "core/contractreader.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using fixture::contract;
using fixture::element;
using fixture::org;

namespace {

// A directory with a supplier (10), three recipients (20..22), a payer (30), two goods and
// two units.
QStringList directory() {
    return {QStringLiteral("[REFERENCEBOOKS]"),
            org(10, QStringLiteral("Поставщик")),
            org(20, QStringLiteral("Получатель А")),
            org(21, QStringLiteral("Получатель Б")),
            org(22, QStringLiteral("Получатель В")),
            org(30, QStringLiteral("Плательщик")),
            element(3, 100, QStringLiteral("9398110"), QStringLiteral("Бинт марлевый")),
            element(3, 101, QStringLiteral("9398120"), QStringLiteral("Вата хирургическая")),
            element(4, 1, QStringLiteral("796"), QStringLiteral("шт")),
            element(4, 2, QStringLiteral("166"), QStringLiteral("кг")),
            QStringLiteral("[/REFERENCEBOOKS]")};
}

QString header(const QString& tail = QStringLiteral("x#30#")) {
    return QStringLiteral("К-2023/15#01.02.2023#31.12.2023#2#10#x#ПР-7#Поставка изделий#") + tail;
}

QStringList sections(const QStringList& positions, const QStringList& shares) {
    return directory() +
           QStringList{QStringLiteral("[CONTRACT]"), header(), QStringLiteral("[/CONTRACT]"),
                       QStringLiteral("[CONTRACT2]")} +
           positions + QStringList{QStringLiteral("[/CONTRACT2]"), QStringLiteral("[CONTRACT3]")} +
           shares + QStringList{QStringLiteral("[/CONTRACT3]")};
}

ContractContent parse(const QStringList& lines, const Regional& r = Regional::current()) {
    return ParseContract(contract(lines), r);
}

QString firstLine(const QString& message) {
    return message.section(QLatin1Char('\n'), 0, 0);
}

QString readError(const QByteArray& bytes) {
    try {
        ParseContract(bytes);
    } catch (const AppError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

} // namespace

class TestContractReader : public QObject {
    Q_OBJECT

private slots:
    void splitFields_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("text after last # dropped") << "5#a#b" << QStringList{"5", "a"};
        QTest::newRow("three fields") << "5#a#b#" << QStringList{"5", "a", "b"};
        QTest::newRow("empty field") << "5##b#" << QStringList{"5", "", "b"};
        QTest::newRow("no #") << "abc" << QStringList{};
        QTest::newRow("empty line") << "" << QStringList{};
        QTest::newRow("only #") << "#" << QStringList{""};
        QTest::newRow("not trimmed") << " 5 # a#" << QStringList{" 5 ", " a"};
    }
    void splitFields() {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QCOMPARE(SplitFields(line), fields);
    }

    // Every byte 01..FF: ASCII unchanged, the letters and named symbols as the published
    // charsets map them (checked with iconv), 80..BF per the approximation table, and nothing
    // becomes '#', CR, LF or NUL.
    void koi8Table() {
        // KOI8-R bytes 80..BF -> Windows-1251, as the approximation table lists them.
        const char* rows[8] = {"2D A6 2D AC 4C 2D 2B 2B", "54 2B 2B 2D 2D 2D A6 A6",
                               "2D 2D 2D 3F A6 95 76 3F", "3F 3F 20 3F B0 3F B7 3F",
                               "3D A6 2D B8 E3 E3 AC AC", "AC 4C 4C 4C 2D 2D 2D A6",
                               "A6 A6 A6 A8 A6 A6 54 54", "54 A6 A6 A6 2B 2B 2B A9"};
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            all.append(char(b));
        const QByteArray converted = ConvertKoi8(all);
        QCOMPARE(converted.size(), all.size());
        for (int b = 1; b < 256; ++b) {
            const unsigned char out = static_cast<unsigned char>(converted[b - 1]);
            QCOMPARE(ConvertKoi8Byte(static_cast<unsigned char>(b)), out);
            if (b >= 0x80) {
                QVERIFY2(out != '#' && out != '\r' && out != '\n' && out != 0,
                         qPrintable(QString::number(b, 16)));
            }
            if (b < 0x80) {
                QCOMPARE(int(out), b);
            } else if (b < 0xC0) {
                const QByteArray row = QByteArray(rows[(b - 0x80) / 8]).split(' ')[(b - 0x80) % 8];
                QCOMPARE(int(out), row.toInt(nullptr, 16));
            }
            const bool published =
                b >= 0xC0 || b == 0xA3 || b == 0xB3 || b == 0x9C || b == 0x9E || b == 0xBF;
            if (published) {
                const QByteArray expected =
                    fixture::iconvert(QByteArray(1, char(b)), "CP1251", "KOI8-R");
                QCOMPARE(expected.size(), 1);
                QCOMPARE(int(out), int(static_cast<unsigned char>(expected[0])));
            }
        }
    }

    // Cyrillic text survives the round trip KOI8-R -> reader -> QString.
    void cyrillicText() {
        const QString name = QStringLiteral("Ёлочные игрушки, ёмкость 5 л ©");
        QStringList lines = directory();
        lines.insert(1, element(3, 7, QStringLiteral("КОД-Ж"), name));
        const ContractContent c = parse(lines);
        QCOMPARE(c.refItems.first().spr_naim, name);
        QCOMPARE(c.refItems.first().clf_code, QStringLiteral("КОД-Ж"));
    }

    void organisationFields_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("requisites");
        QTest::newRow("19 fields") << org(20, "А", 19) << false;
        QTest::newRow("20 fields") << org(20, "А", 20) << true;
        QTest::newRow("22 fields") << org(20, "А", 22) << true;
        QTest::newRow("5 fields") << org(20, "А", 5) << false;
        QTest::newRow("directory 02") << QString(org(20, "А", 20)).prepend('0') << false;
    }
    void organisationFields() {
        QFETCH(QString, line);
        QFETCH(bool, requisites);
        const ContractContent c = parse({"[REFERENCEBOOKS]", line, "[/REFERENCEBOOKS]"});
        QCOMPARE(c.refItems.size(), 1);
        const TRefItem& r = c.refItems.first();
        QCOMPARE(r.refBook, 2);
        QCOMPARE(r.id, 20);
        QCOMPARE(r.clf_code, QStringLiteral("ОКПО20"));
        QCOMPARE(r.dt_type, 1);
        QCOMPARE(r.spr_naim, QStringLiteral("А"));
        if (requisites) {
            QCOMPARE(r.full_naim, QStringLiteral("ООО \"А\""));
            QCOMPARE(r.inn, QStringLiteral("7700000020"));
            QCOMPARE(r.adress, QStringLiteral("г. Москва, ул. Лесная, д. 20"));
            QCOMPARE(r.bank, QStringLiteral("Банк \"Север\""));
            QCOMPARE(r.rlw_name, QStringLiteral("Северная ж.д."));
            QCOMPARE(r.recv_code, QStringLiteral("К20"));
        } else {
            const QStringList all = {r.full_naim, r.inn,          r.ind,      r.adress,
                                     r.phone,     r.cur_acc,      r.bank,     r.br_bank,
                                     r.bik,       r.cor_acc,      r.okpo,     r.station,
                                     r.rlw_name,  r.station_code, r.recv_code};
            for (const QString& s : all)
                QVERIFY(s.isEmpty());
        }
    }

    void headerFields_data() {
        QTest::addColumn<QString>("tail");
        QTest::addColumn<int>("payer");
        QTest::newRow("8 fields") << "" << 0;
        QTest::newRow("9 fields") << "x#" << 0;
        QTest::newRow("10 fields") << "x#30#" << 30;
        QTest::newRow("11 fields, unknown payer kept") << "x#777#y#" << 777;
    }
    void headerFields() {
        QFETCH(QString, tail);
        QFETCH(int, payer);
        const ContractContent c =
            parse(directory() + QStringList{"[CONTRACT]", header(tail), "[/CONTRACT]"});
        QCOMPARE(c.title.docno, QStringLiteral("К-2023/15"));
        QCOMPARE(c.title.data, QDate(2023, 2, 1));
        QCOMPARE(c.title.dataend, QDate(2023, 12, 31));
        QCOMPARE(c.title.agent, 10);
        QCOMPARE(c.title.agents, QStringLiteral("Поставщик"));
        QCOMPARE(c.title.target, QStringLiteral("ПР-7"));
        QCOMPARE(c.title.rem, QStringLiteral("Поставка изделий"));
        QCOMPARE(c.title.payer, payer);
    }

    void positionFields_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("kat");
        QTest::addColumn<QString>("comment");
        QTest::newRow("7 fields") << "1#3#100#4#1#1#ГОСТ 1172-93#"
                                  << "1"
                                  << "";
        QTest::newRow("9 fields") << "1#3#100#4#1#1#ГОСТ 1172-93#a#b#"
                                  << "1"
                                  << "";
        QTest::newRow("10 fields") << "1#3#100#4#1#1#ГОСТ 1172-93#a#b#Срочно#"
                                   << "1"
                                   << "Срочно";
        QTest::newRow("11 fields") << "1#3#100#4#1#1#ГОСТ 1172-93#a#b#Срочно#c#"
                                   << "1"
                                   << "";
        QTest::newRow("category 0") << "1#3#100#4#1#0#ГОСТ 1172-93#"
                                    << ""
                                    << "";
        QTest::newRow("category 00") << "1#3#100#4#1#00#ГОСТ 1172-93#"
                                     << "00"
                                     << "";
    }
    void positionFields() {
        QFETCH(QString, line);
        QFETCH(QString, kat);
        QFETCH(QString, comment);
        const ContractContent c = parse(sections({line}, {}));
        QCOMPARE(c.items.size(), 1);
        const TContData& d = c.items.first();
        QCOMPARE(d.posNo, 1);
        QCOMPARE(d.elem, 100);
        QCOMPARE(d.elemC, QStringLiteral("9398110"));
        QCOMPARE(d.elemS, QStringLiteral("Бинт марлевый"));
        QCOMPARE(d.unit, QStringLiteral("шт"));
        QCOMPARE(d.kat, kat);
        QCOMPARE(d.gost, QStringLiteral("ГОСТ 1172-93"));
        QCOMPARE(d.comment, comment);
        QCOMPARE(d.recip, 0);
        QVERIFY(d.recipC.isEmpty() && d.recipS.isEmpty());
        QCOMPARE(d.data, kZeroDate);
        QCOMPARE(d.quant, 0.0);
        QCOMPARE(d.summa, 0.0);
    }

    // Position 1 goes to three recipients, position 2 to nobody, position 3 to one; a share of
    // an unknown position changes nothing.
    void distribution() {
        const ContractContent c = parse(sections(
            {"1#3#100#4#1#1#ГОСТ 1#", "2#3#101#4#2#0#ТУ 2#", "3#3#100#4#1#2#ГОСТ 3#"},
            {"1#2#20#15.03.2023#100#1250.50#", "3#2#22#18.03.2023#7#70#",
             "1#2#21#16.03.2023#50#625.25#extra#", "9#2#20#", "1#2#22#17.03.2023#10#125.05#"}));
        struct Expect {
            int posNo, recip;
            QString recipS;
            QDate data;
            double quant, summa;
        };
        const Expect expected[] = {
            {1, 20, "Получатель А", {2023, 3, 15}, 100, 1250.50},
            {2, 0, "", kZeroDate, 0, 0},
            {3, 22, "Получатель В", {2023, 3, 18}, 7, 70},
            {1, 21, "Получатель Б", {2023, 3, 16}, 50, 625.25},
            {1, 22, "Получатель В", {2023, 3, 17}, 10, 125.05},
        };
        QCOMPARE(c.items.size(), qsizetype(std::size(expected)));
        for (qsizetype i = 0; i < c.items.size(); ++i) {
            const TContData& d = c.items[i];
            const Expect& e = expected[i];
            QCOMPARE(d.posNo, e.posNo);
            QCOMPARE(d.recip, e.recip);
            QCOMPARE(d.recipS, e.recipS);
            QCOMPARE(d.recipC, e.recip ? QStringLiteral("ОКПО%1").arg(e.recip) : QString());
            QCOMPARE(d.data, e.data);
            QCOMPARE(d.quant, e.quant);
            QCOMPARE(d.summa, e.summa);
            // Copies carry the position's goods.
            QCOMPARE(d.elem, e.posNo == 2 ? 101 : 100);
            QCOMPARE(d.gost,
                     QStringLiteral("%1 %2").arg(e.posNo == 2 ? "ТУ" : "ГОСТ").arg(e.posNo));
        }
    }

    // Tags are found anywhere in a line; closing tags act before the line is read and opening
    // tags after; lines outside sections are ignored whatever they hold.
    void sectionsAndOutsideText() {
        QStringList lines = {"мусор#до#справочника#", "1#2#3#"};
        lines += directory();
        lines += {"между секциями: 5#6#7#",
                  "  [CONTRACT]  заголовок",
                  header(),
                  "[/CONTRACT]",
                  "###",
                  "[CONTRACT2]",
                  "1#3#100#4#1#1#Г#",
                  "[/CONTRACT2] [CONTRACT3]",
                  "1#2#20#01.04.2023#1#2#",
                  "[/CONTRACT3]",
                  "хвост#",
                  "[CONTRACT]",
                  "[/CONTRACT]"};
        const ContractContent c = parse(lines);
        QCOMPARE(c.refItems.size(), 9);
        QCOMPARE(c.title.docno, QStringLiteral("К-2023/15"));
        QCOMPARE(c.items.size(), 1);
        QCOMPARE(c.items[0].recip, 20);
    }

    // Without a header line the remark is the whole converted text.
    void noHeaderSection() {
        const QStringList lines = directory();
        const ContractContent c = parse(lines);
        QCOMPARE(c.title.docno, QString());
        QCOMPARE(c.title.agent, 0);
        QCOMPARE(c.title.payer, 0);
        QCOMPARE(c.title.data, kZeroDate);
        QCOMPARE(c.title.dataend, kZeroDate);
        QCOMPARE(kZeroDate, QDate(1899, 12, 30));
        QCOMPARE(c.title.rem, CONTRACTS_GUID + "\r\n" + lines.join("\r\n") + "\r\n");
        QVERIFY(c.items.isEmpty());
    }

    // Several header lines: the last wins. Repeated elements are kept; lookups find the first.
    void repeatsAndLastHeader() {
        QStringList lines = directory();
        lines.insert(2, org(10, QStringLiteral("Поставщик-дубль")));
        lines += {"[CONTRACT]", header(), "Второй#02.03.2024#03.03.2024#2#10#x#ПР-8#Итог#",
                  "[/CONTRACT]"};
        const ContractContent c = parse(lines);
        QCOMPARE(c.refItems.size(), 10);
        QCOMPARE(c.refItems[1].spr_naim, QStringLiteral("Поставщик-дубль"));
        QCOMPARE(c.title.docno, QStringLiteral("Второй"));
        QCOMPARE(c.title.agents, QStringLiteral("Поставщик"));
        QCOMPARE(c.title.payer, 30); // kept from the first line, which had one
        QCOMPARE(c.title.rem, QStringLiteral("Итог"));
        QCOMPARE(FindRefItem(c.refItems, 2, 10), 0);
    }

    void lineEndsAndZeroByte_data() {
        QTest::addColumn<QByteArray>("separator");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR") << QByteArray("\r");
        QTest::newRow("CR LF") << QByteArray("\r\n");
    }
    void lineEndsAndZeroByte() {
        QFETCH(QByteArray, separator);
        const QStringList lines = sections({"1#3#100#4#1#1#Г#"}, {"1#2#20#01.04.2023#1.5#2#"});
        QByteArray bytes = fixture::koi8(CONTRACTS_GUID + "\n" + lines.join("\n"));
        bytes.replace("\n", separator);
        QCOMPARE(ParseContract(bytes).items.size(), 1);
        // Everything after a zero byte is gone, the broken line included.
        const QByteArray cut = bytes + separator + "[CONTRACT2]" + separator + "9#3#1" +
                               QByteArray(1, '\0') + "00#4#1#1#Г#" + separator;
        QCOMPARE(firstLine(readError(cut)), kContractReadError);
        const QByteArray cutEarly = bytes + QByteArray(1, '\0') + "junk\xff\xfe" + separator;
        QCOMPARE(ParseContract(cutEarly).items.size(), 1);
    }

    // Dates in the regional short date form, and dd.MM.yyyy always; numbers with "." only.
    void datesAndNumbers_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QDate>("expectedDate");
        QTest::addColumn<double>("expectedNumber");
        QTest::newRow("russian") << "dd.MM.yyyy"
                                 << "05.04.2023"
                                 << "12.50" << QDate(2023, 4, 5) << 12.5;
        QTest::newRow("short day") << "dd.MM.yyyy"
                                   << "5.4.2023"
                                   << "12" << QDate(2023, 4, 5) << 12.0;
        QTest::newRow("us regional") << "MM/dd/yyyy"
                                     << "04/05/2023"
                                     << "-0.25" << QDate(2023, 4, 5) << -0.25;
        QTest::newRow("us regional, dotted form") << "MM/dd/yyyy"
                                                  << "05.04.2023"
                                                  << ".5" << QDate(2023, 4, 5) << 0.5;
        QTest::newRow("iso regional") << "yyyy-MM-dd"
                                      << "2023-04-05"
                                      << "1e3" << QDate(2023, 4, 5) << 1000.0;
        QTest::newRow("leap day") << "dd.MM.yyyy"
                                  << "29.02.2024"
                                  << "7." << QDate(2024, 2, 29) << 7.0;
    }
    void datesAndNumbers() {
        QFETCH(QString, format);
        QFETCH(QString, date);
        QFETCH(QString, number);
        QFETCH(QDate, expectedDate);
        QFETCH(double, expectedNumber);
        Regional r;
        r.shortDateFormat = format;
        r.dateSeparator = format.contains('/') ? QChar('/') : format.contains('-') ? '-' : '.';
        // The reader must not depend on, or change, the process-wide locale.
        const QLocale before = QLocale();
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        const ContractContent c = parse(
            sections({"1#3#100#4#1#1#Г#"}, {QStringLiteral("1#2#20#%1#%2#3#").arg(date, number)}),
            r);
        QCOMPARE(QLocale(), QLocale(QLocale::Russian, QLocale::Russia));
        QLocale::setDefault(before);
        QCOMPARE(c.items[0].data, expectedDate);
        QCOMPARE(c.items[0].quant, expectedNumber);
    }

    // Every malformed file gives the one read error.
    void malformed_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QString pos = "1#3#100#4#1#1#Г#";
        auto with = [&](const QStringList& positions, const QStringList& shares) {
            return contract(sections(positions, shares));
        };
        auto share = [&](const QString& line) { return with({pos}, {line}); };
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("only a line break") << QByteArray("\r\n");
        QTest::newRow("other identifier")
            << fixture::koi8("{EAF475FC-EED1-4B3F-B659-A91D40B1A3BD}\r\n");
        QTest::newRow("lower-case identifier") << fixture::koi8(CONTRACTS_GUID.toLower() + "\r\n");
        QTest::newRow("identifier with trailing space") << fixture::koi8(CONTRACTS_GUID + " \r\n");
        QTest::newRow("not an identifier") << QByteArray("CONTRACT FILE\r\n[CONTRACT]\r\n");
        QTest::newRow("binary") << QByteArray("\x7f"
                                              "ELF\x02\x01\x01\0\0\0\0\0",
                                              12);
        QTest::newRow("element with 4 fields")
            << contract({"[REFERENCEBOOKS]", "3#1#код#0#", "[/REFERENCEBOOKS]"});
        QTest::newRow("element id not a number")
            << contract({"[REFERENCEBOOKS]", "3#x1#код#0#имя#", "[/REFERENCEBOOKS]"});
        QTest::newRow("integer overflow")
            << contract({"[REFERENCEBOOKS]", "3#99999999999#код#0#имя#", "[/REFERENCEBOOKS]"});
        QTest::newRow("tag inside open section")
            << contract({"[REFERENCEBOOKS]", "[REFERENCEBOOKS]", "[/REFERENCEBOOKS]"});
        QTest::newRow("header with 7 fields") << contract(
            directory() +
            QStringList{"[CONTRACT]", "К#01.02.2023#01.03.2023#2#10#x#ПР#", "[/CONTRACT]"});
        QTest::newRow("header supplier unknown") << contract(
            directory() +
            QStringList{"[CONTRACT]", "К#01.02.2023#01.03.2023#2#99#x#ПР#r#", "[/CONTRACT]"});
        QTest::newRow("header supplier id 0") << contract(
            directory() +
            QStringList{"[CONTRACT]", "К#01.02.2023#01.03.2023#2#0#x#ПР#r#", "[/CONTRACT]"});
        QTest::newRow("header date impossible") << contract(
            directory() +
            QStringList{"[CONTRACT]", "К#31.02.2023#01.03.2023#2#10#x#ПР#r#", "[/CONTRACT]"});
        QTest::newRow("header iso date") << contract(
            directory() +
            QStringList{"[CONTRACT]", "К#2023-02-01#01.03.2023#2#10#x#ПР#r#", "[/CONTRACT]"});
        QTest::newRow("header payer not a number")
            << contract(directory() + QStringList{"[CONTRACT]", header("x#п#"), "[/CONTRACT]"});
        QTest::newRow("position with 6 fields") << with({"1#3#100#4#1#1#"}, {});
        QTest::newRow("position unknown goods") << with({"1#3#999#4#1#1#Г#"}, {});
        QTest::newRow("position goods in wrong directory") << with({"1#2#100#4#1#1#Г#"}, {});
        QTest::newRow("position unit id 0") << with({"1#3#100#4#0#1#Г#"}, {});
        QTest::newRow("share comma decimal") << share("1#2#20#01.04.2023#12,50#1#");
        QTest::newRow("share sum missing") << share("1#2#20#01.04.2023#12#");
        QTest::newRow("share bad date") << share("1#2#20#2023.04.01#12#1#");
        QTest::newRow("share date two-digit year") << share("1#2#20#01.04.23#12#1#");
        QTest::newRow("share infinite") << share("1#2#20#01.04.2023#inf#1#");
        QTest::newRow("share overflow") << share("1#2#20#01.04.2023#1e400#1#");
        QTest::newRow("share thousands separator") << share("1#2#20#01.04.2023#1 000#1#");
        QTest::newRow("share unknown recipient") << share("1#2#29#01.04.2023#1#1#");
        QTest::newRow("share of unknown position lacks recipient") << share("9#2#");
        QTest::newRow("share recipient id 0, unknown position") << share("9#2#0#");
    }
    void malformed() {
        QFETCH(QByteArray, bytes);
        const QStringList message = readError(bytes).split('\n');
        QCOMPARE(message.first(), kContractReadError);
        // The cause follows on a line of its own.
        QCOMPARE(message.size(), 2);
        QVERIFY(message[1].size() > 1);
    }

    // File-level failures through ReadContractFile leave the shared results as they were.
    void fileFailures_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("directory") << "directory";
        QTest::newRow("empty") << "empty";
        QTest::newRow("several hundred MB") << "huge";
        QTest::newRow("bad content") << "bad";
    }
    void fileFailures() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString good = dir.filePath("good.dat");
        QVERIFY(fixture::write(
            good, contract(sections({"1#3#100#4#1#1#Г#"}, {"1#2#20#01.04.2023#1#2#"}))));
        ReadContractFile(good);
        QCOMPARE(ContDataList.size(), 1);
        QCOMPARE(RefItemList.size(), 9);

        QString path = dir.filePath("test.dat");
        if (kind == "directory") {
            QVERIFY(QDir(dir.path()).mkdir("test.dat"));
        } else if (kind == "empty") {
            QVERIFY(fixture::write(path, QByteArray()));
        } else if (kind == "huge") {
            // A sparse file: refused by its size before anything is read.
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(300LL * 1024 * 1024));
        } else if (kind == "bad") {
            QVERIFY(
                fixture::write(path, contract({"[REFERENCEBOOKS]", "3#1#", "[/REFERENCEBOOKS]"})));
        }
        try {
            ReadContractFile(path);
            QFAIL("read succeeded");
        } catch (const AppError& e) {
            QCOMPARE(firstLine(e.message()), kContractReadError);
            QVERIFY2(e.message().section('\n', 1).startsWith(path + ": "), qPrintable(e.message()));
        }
        QCOMPARE(ContDataList.size(), 1);
        QCOMPARE(RefItemList.size(), 9);
        QCOMPARE(ContTitle.docno, QStringLiteral("К-2023/15"));
    }

    // LoadContractText reports its own reasons; ReadContractFile fills the shared results.
    void loadAndReadFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("c.dat");
        QStringList lines;
        try {
            LoadContractText(path, lines);
            QFAIL("missing file loaded");
        } catch (const AppError& e) {
            QCOMPARE(e.message(), QStringLiteral("Файл не существует !"));
        }
        QVERIFY(fixture::write(path, fixture::koi8("{12345678-1234-1234-1234-123456789012}xyz\n")));
        try {
            LoadContractText(path, lines);
            QFAIL("long identifier line accepted");
        } catch (const AppError& e) {
            QCOMPARE(e.message(), QStringLiteral("Файл не соответствует формату"));
        }
        QVERIFY(fixture::write(path, contract(directory())));
        QCOMPARE(LoadContractText(path, lines), CONTRACTS_GUID);
        QCOMPARE(lines.size(), directory().size() + 1);
        QCOMPARE(lines[2], org(10, QStringLiteral("Поставщик")));

        ClearRecordList(ContDataList);
        ReadContractFile(path);
        QCOMPARE(RefItemList.size(), 9);
        QVERIFY(ContDataList.isEmpty());
    }

    // The sample contract shipped for a first run reads completely.
    void sampleFile() {
        const ContractContent c =
            ReadContract(QStringLiteral(TARVIK_SOURCE_DIR "/samples/contract-2026-0041.dat"));
        QCOMPARE(c.title.docno, QStringLiteral("0163200000326004117-0041"));
        QCOMPARE(c.title.agents, QStringLiteral("ООО Медтекстиль"));
        QCOMPARE(c.title.payer, 1502);
        QCOMPARE(c.title.data, QDate(2026, 1, 12));
        int organisations = 0;
        for (const TRefItem& r : c.refItems)
            organisations += r.refBook == 2 && !r.full_naim.isEmpty() && !r.inn.isEmpty();
        QCOMPARE(organisations, 6);
        QCOMPARE(c.items.size(), 16); // 7 positions, 9 further shares
        double total = 0;
        for (const TContData& d : c.items) {
            QVERIFY(d.recip != 0);
            total += d.summa;
        }
        QCOMPARE(qRound64(total * 100), qint64(59587000));
        QCOMPARE(c.items[2].kat, QString());
        QCOMPARE(c.items[2].comment, QStringLiteral("Упаковка по 250 г"));
    }

    void findRefItem_data() {
        QTest::addColumn<int>("refBook");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("position"); // -1: raises
        QTest::newRow("first") << 2 << 10 << 0;
        QTest::newRow("first of a repeat") << 3 << 100 << 5;
        QTest::newRow("same id other directory") << 4 << 100 << 7;
        QTest::newRow("absent") << 2 << 100 << -1;
        QTest::newRow("id 0") << 4 << 0 << -1;
    }
    void findRefItem() {
        QFETCH(int, refBook);
        QFETCH(int, id);
        QFETCH(int, position);
        const TRefItemList list =
            parse({"[REFERENCEBOOKS]", org(10, "a"), org(20, "b"), org(21, "c"), org(22, "d"),
                   org(30, "e"), element(3, 100, "x", "first"), element(3, 100, "y", "2nd"),
                   element(4, 100, "z", "unit"), "[/REFERENCEBOOKS]"})
                .refItems;
        if (position >= 0) {
            QCOMPARE(FindRefItem(list, refBook, id), position);
        } else {
            QVERIFY_THROWS_EXCEPTION(AppError, FindRefItem(list, refBook, id));
        }
    }
};

QTEST_GUILESS_MAIN(TestContractReader)
#include "tst_contractreader.moc"
