// Words of a PDF as pdftotext -bbox sees them, in form units from the page's top-left corner.
#pragma once

#include "forms/formmodel.h"

#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>

struct PdfWord {
    int page;
    QRectF box; // form units
    QString text;
};

inline QList<PdfWord> readPdfWords(const QString& file) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("pdftotext failed");
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    const double k = Forms::kUnitsPerInch / 72.0;
    QList<PdfWord> out;
    int page = -1;
    static const QRegularExpression tag(
        R"re(<page width="[\d.]+" height="[\d.]+">|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(1).isEmpty()) {
            ++page;
            continue;
        }
        QString text = m.captured(5);
        text.replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        out << PdfWord{page,
                       QRectF(QPointF(m.captured(1).toDouble() * k, m.captured(2).toDouble() * k),
                              QPointF(m.captured(3).toDouble() * k, m.captured(4).toDouble() * k)),
                       text};
    }
    return out;
}

// The first word with this text, or a word with an empty text.
inline PdfWord findPdfWord(const QList<PdfWord>& words, const QString& text) {
    for (const PdfWord& w : words)
        if (w.text == text)
            return w;
    return PdfWord{-1, QRectF(), QString()};
}
