#include "core/symbolreading.h"

#include <QMap>
#include <QRegularExpression>

namespace Reading {

namespace {

bool allDigits(QStringView s) {
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// A count or index field as the printer writes it: two digits below 100, more above.
int fieldWidth(int value) {
    return value < 100 ? 2 : int(QString::number(value).size());
}

void fail(QString* why, const QString& text) {
    if (why)
        *why = text;
}

QString joinIndices(const QList<int>& list) {
    QStringList parts;
    for (int i : list)
        parts << QString::number(i);
    if (parts.size() <= 1)
        return parts.join(QString());
    const QString last = parts.takeLast();
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" и ") + last;
}

} // namespace

std::optional<Piece> parseFrame(const QString& s, QString* why) {
    if (!s.startsWith(QLatin1String("<N")) || !s.endsWith(QLatin1Char('>'))) {
        fail(why, QStringLiteral("символ без рамки «<N…>»"));
        return std::nullopt;
    }
    const QStringView body = QStringView(s).mid(2, s.size() - 3);
    // The count and index fields are two digits each, or wider from 100 on; the length field
    // closes the frame. Take the widths that agree with the values they give and whose length
    // field matches the piece: index 100 of 266 starts "<N266100", not index 10.
    std::optional<Piece> framed; // count and index that parse, for the message
    for (int cw = 2; cw <= 4; ++cw) {
        for (int iw = 2; iw <= cw; ++iw) {
            if (body.size() < cw + iw + 3 || !allDigits(body.left(cw + iw)))
                continue;
            const int count = body.left(cw).toInt();
            const int index = body.mid(cw, iw).toInt();
            if (count < 1 || index < 1 || index > count || fieldWidth(count) != cw ||
                fieldWidth(index) != iw)
                continue;
            if (!framed)
                framed = Piece{count, index, QString()};
            const QStringView rest = body.mid(cw + iw);
            for (int lw = 3; lw <= 4 && lw <= rest.size(); ++lw) {
                const QStringView length = rest.right(lw);
                if (!allDigits(length))
                    continue;
                // The field is written as the printer writes it: a "0" in front below 100 only.
                const QStringView piece = rest.left(rest.size() - lw);
                const QString written = piece.size() < 100
                                            ? QLatin1Char('0') + QString::number(piece.size())
                                            : QString::number(piece.size());
                if (length == written)
                    return Piece{count, index, piece.toString()};
            }
        }
    }
    if (framed) {
        fail(why, QStringLiteral("символ %1 из %2: поле длины не совпадает с длиной текста")
                      .arg(framed->index)
                      .arg(framed->count));
        return std::nullopt;
    }
    fail(why, QStringLiteral("символ с неверными полями числа и номера: «%1»").arg(s.left(12)));
    return std::nullopt;
}

Reassembled reassemble(const QStringList& symbols) {
    Reassembled r;
    QMap<int, QString> pieces;
    QList<int> counts;
    for (const QString& s : symbols) {
        QString why;
        const std::optional<Piece> p = parseFrame(s, &why);
        if (!p) {
            r.errors << why;
            continue;
        }
        if (!counts.contains(p->count))
            counts << p->count;
        const auto it = pieces.constFind(p->index);
        if (it != pieces.constEnd() && *it != p->text) {
            r.errors << QStringLiteral("символ %1 встречается дважды с разным текстом: символы "
                                       "двух разных накладных")
                            .arg(p->index);
            continue;
        }
        pieces.insert(p->index, p->text);
    }
    if (counts.size() > 1) {
        QStringList c;
        for (int n : counts)
            c << QString::number(n);
        r.errors << QStringLiteral("символы двух разных накладных: их %1")
                        .arg(c.join(QStringLiteral(" и ")));
    }
    if (symbols.isEmpty() || (pieces.isEmpty() && r.errors.isEmpty()))
        r.errors << QStringLiteral("не найдено ни одного символа PDF417");
    r.count = counts.isEmpty() ? 0 : counts.first();
    for (int i = 1; i <= r.count && counts.size() == 1; ++i)
        if (!pieces.contains(i))
            r.missing << i;
    if (!r.missing.isEmpty())
        r.errors << (r.missing.size() == 1 ? QStringLiteral("нет символа %1 из %2")
                                           : QStringLiteral("нет символов %1 из %2"))
                        .arg(joinIndices(r.missing))
                        .arg(r.count);
    for (const QString& p : pieces)
        r.payload += p;
    return r;
}

std::optional<WaybillData> splitPayload(const QString& payload, QString* why) {
    QStringList f = payload.split(QLatin1Char('#'));
    // Every field is followed by "#": the text after the last one is empty.
    if (f.size() < 5 || !f.last().isEmpty()) {
        fail(why, QStringLiteral("текст штрих-кодов не похож на накладную"));
        return std::nullopt;
    }
    f.removeLast();
    if ((f.size() - 4) % 5 != 0) {
        fail(why, QStringLiteral("поля товаров в тексте штрих-кодов не сходятся: %1 полей")
                      .arg(f.size()));
        return std::nullopt;
    }
    WaybillData d;
    d.rem = f[0];
    // The number is joined to the first date by "-"; the date is the second field's end, as
    // long as the third field.
    const QString& numberDate = f[1];
    const qsizetype dateLength = f[2].size();
    if (numberDate.size() < dateLength + 1 || numberDate.right(dateLength) != f[2] ||
        numberDate.at(numberDate.size() - dateLength - 1) != QLatin1Char('-')) {
        fail(why, QStringLiteral("в тексте штрих-кодов не найден номер и дата документа"));
        return std::nullopt;
    }
    d.number = numberDate.left(numberDate.size() - dateLength - 1);
    d.date = f[2];
    d.recipC = f[3];
    for (int i = 4; i + 4 < f.size(); i += 5) {
        WaybillItem item{f[i], f[i + 1], f[i + 2], f[i + 3], {}};
        item.serials = f[i + 4].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        d.items << item;
    }
    return d;
}

std::optional<double> barNumberValue(const QString& field) {
    if (field.size() != 15 || !allDigits(field))
        return std::nullopt;
    return field.left(10).toDouble() + field.mid(10).toDouble() / 100000.0;
}

std::optional<LabelCodes> readLabelCodes(const QStringList& codes, QString* why) {
    if (codes.size() != 4) {
        fail(why, QStringLiteral("на этикетке прочитано штрих-кодов: %1 из 4").arg(codes.size()));
        return std::nullopt;
    }
    LabelCodes out;
    QStringList rest = codes;
    auto take = [&](QChar lead) -> std::optional<double> {
        for (int i = 0; i < rest.size(); ++i)
            if (rest[i].size() == 16 && rest[i].front() == lead)
                if (const auto v = barNumberValue(rest[i].mid(1))) {
                    rest.removeAt(i);
                    return v;
                }
        return std::nullopt;
    };
    const auto quantity = take(QLatin1Char('2'));
    const auto sum = take(QLatin1Char('3'));
    if (!quantity || !sum) {
        fail(why, QStringLiteral("на этикетке нет штрих-кода количества или суммы"));
        return std::nullopt;
    }
    out.quantity = *quantity;
    out.sum = *sum;
    int elem = -1;
    for (int i = 0; i < rest.size(); ++i)
        if (rest[i].startsWith(QLatin1String("09")) || rest[i].startsWith(QLatin1String("009")))
            elem = elem < 0 ? i : elem;
    if (elem < 0) {
        fail(why, QStringLiteral("на этикетке нет штрих-кода товара"));
        return std::nullopt;
    }
    const QString e = rest.takeAt(elem);
    out.elemC = e.mid(e.startsWith(QLatin1String("009")) ? 3 : 2);
    out.contract = rest.first();
    return out;
}

} // namespace Reading
