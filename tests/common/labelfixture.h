// Small contracts for the label tests, written through the application's own statements.
#pragma once

#include "core/catalogue.h"
#include "core/contractreader.h"
#include "core/dbconnection.h"

#include <QDate>

namespace labelfixture {

// One item line for `recip` ("Получатель N").
inline TContData line(int recip, int elem, const QString& elemC, double quant, double summa,
                      const QString& name = QStringLiteral("Бинт марлевый")) {
    TContData d;
    d.recip = recip;
    d.recipS = QStringLiteral("Получатель %1").arg(recip);
    d.elem = elem;
    d.elemC = elemC;
    d.elemS = name;
    d.kat = QStringLiteral("1");
    d.gost = QStringLiteral("ГОСТ 1172-93");
    d.data = QDate(2026, 2, 16);
    d.quant = quant;
    d.summa = summa;
    d.unit = QStringLiteral("шт");
    return d;
}

// Inserts a contract with its lines in one write and returns its number.
inline int seedContract(DbConnection& c, const QString& docno, const QString& rem,
                        const QList<TContData>& lines) {
    TContTitle t;
    t.docno = docno;
    t.rem = rem;
    t.agents = QStringLiteral("ООО Медтекстиль");
    t.data = QDate(2026, 1, 12);
    t.dataend = QDate(2026, 12, 31);
    t.target = QStringLiteral("Поставка");
    c.beginWrite();
    Catalogue::insertContract(c.qTarvik, t, QStringLiteral("/tmp/k.dat"));
    const int number = Catalogue::lastContractNumber(c.qTarvik).value();
    Catalogue::ContractLineInsert insert(c.qTarvik, number);
    for (const TContData& d : lines)
        insert.insert(d);
    c.trTarvik.commit();
    return number;
}

} // namespace labelfixture
