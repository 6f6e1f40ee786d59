#include "forms/pdf417glyphs.h"

#include <QPainter>

namespace Pdf417Glyphs {

namespace {

// The run length of one glyph character; characters outside the code count as nothing and do
// not switch the colour.
int runLength(QChar c) {
    const char16_t u = c.unicode();
    return u >= u'0' && u <= u'9' ? int(u - u'0') : -1;
}

} // namespace

int lineModules(const QString& line) {
    int modules = 0;
    for (QChar c : line) {
        const int n = runLength(c);
        if (n > 0)
            modules += n;
    }
    return modules;
}

QList<QPair<int, int>> darkRuns(const QString& line) {
    QList<QPair<int, int>> runs;
    bool dark = false;
    int x = 0;
    for (QChar c : line) {
        const int n = runLength(c);
        if (n < 0)
            continue;
        if (dark && n > 0) {
            if (!runs.isEmpty() && runs.last().first + runs.last().second == x)
                runs.last().second += n;
            else
                runs.append({x, n});
        }
        x += n;
        dark = !dark;
    }
    return runs;
}

QStringList splitLines(const QString& text) {
    if (text.isEmpty())
        return {};
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = normal.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void paint(QPainter& painter, const QRectF& area, const QStringList& lines, double pitch,
           double module) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    const QColor ink(Qt::black);

    // A dark run that continues straight down from the row above (the start and stop patterns,
    // for one) lengthens that row's rectangle, so no seam lies between the rows.
    QList<QRectF> open;
    QList<QRectF> next;
    double y = area.top();
    for (const QString& line : lines) {
        const double width = lineModules(line) * module;
        const double left = area.left() + (area.width() - width) / 2.0;
        next.clear();
        qsizetype j = 0; // open rectangles are in left-to-right order, like the runs
        for (const auto& run : darkRuns(line)) {
            QRectF rect(left + run.first * module, y, run.second * module, pitch);
            while (j < open.size() && open[j].left() < rect.left())
                painter.fillRect(open[j++], ink);
            if (j < open.size() && open[j].left() == rect.left() && open[j].width() == rect.width())
                rect.setTop(open[j++].top());
            next.append(rect);
        }
        while (j < open.size())
            painter.fillRect(open[j++], ink);
        open.swap(next);
        y += pitch;
    }
    for (const QRectF& rect : open)
        painter.fillRect(rect, ink);
    painter.restore();
}

} // namespace Pdf417Glyphs
