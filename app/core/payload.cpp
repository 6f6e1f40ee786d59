#include "core/payload.h"

QString buildBarcodePayload(const WaybillHeader& header, const TContDataList& items,
                            const Regional& regional) {
    const QString date = regional.formatDate(header.date);
    const QChar hash = QLatin1Char('#');
    QString p = header.rem + hash + header.number + QLatin1Char('-') + date + hash + date + hash;
    p += (items.isEmpty() ? QString() : items.first().recipC) + hash;
    for (const TContData& d : items) {
        if (!(d.factQuant > 0))
            continue;
        p += d.elemC + hash + d.kat + hash + regional.formatNumber(d.factQuant) + hash +
             regional.formatNumber(d.factSumma) + hash + d.serials + hash;
    }
    return p;
}

namespace {

// A decimal field with one leading "0" below `below`.
QString padded(qsizetype value, int below) {
    const QString digits = QString::number(value);
    return value < below ? QLatin1Char('0') + digits : digits;
}

} // namespace

QStringList splitBarcodePayload(const QString& payload) {
    const qsizetype length = payload.size();
    qsizetype n = length / kPayloadPerSymbol + (length % kPayloadPerSymbol > 0 ? 1 : 0);
    if (n == 0)
        n = 1; // an empty payload still makes one (empty) symbol text
    const qsizetype piece = length / n;
    QStringList chunks;
    for (qsizetype i = 1; i <= n; ++i) {
        const qsizetype size = i == n ? piece + length % n : piece;
        const QString part = payload.mid((i - 1) * piece, size);
        chunks << QStringLiteral("<N") + padded(n, 10) + padded(i, 10) + part +
                      padded(part.size(), 100) + QLatin1Char('>');
    }
    return chunks;
}

BarcodeText BuildBarcodeChunks(const WaybillHeader& header, const TContDataList& items,
                               const Regional& regional) {
    BarcodeText t;
    t.BarcodePayload = buildBarcodePayload(header, items, regional);
    t.BarcodeChunks = splitBarcodePayload(t.BarcodePayload);
    return t;
}
