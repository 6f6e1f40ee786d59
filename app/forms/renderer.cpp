#include "forms/renderer.h"

#include "core/apperror.h"
#include "forms/fonts.h"
#include "forms/pdf417glyphs.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

namespace Forms {

void paintSheet(QPainter& painter, const Sheet& sheet) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Primitive& p : sheet.items) {
        switch (p.type) {
        case Primitive::Type::Text: {
            painter.save();
            painter.setPen(Qt::black);
            painter.translate(p.origin);
            painter.scale(1.0 / kFontScale, 1.0 / kFontScale);
            painter.setFont(scaledFont(p.font));
            painter.drawText(QPointF(0, 0), p.text);
            painter.restore();
            break;
        }
        case Primitive::Type::Line:
            painter.setPen(QPen(Qt::black, p.width, Qt::SolidLine, Qt::SquareCap));
            painter.drawLine(p.line);
            break;
        case Primitive::Type::Rect:
            painter.fillRect(p.rect, Qt::black);
            break;
        case Primitive::Type::Pdf417:
            Pdf417Glyphs::paint(painter, p.rect, p.rows, p.pitch, p.module);
            break;
        }
    }
    painter.restore();
}

QImage renderPrimitive(const Primitive& primitive, double dpi, double margin, QPointF* origin) {
    QRectF extent = primitive.rect;
    if (primitive.type == Primitive::Type::Pdf417) {
        // The rows are centred in the area and may be wider or taller than it.
        int modules = 0;
        for (const QString& row : primitive.rows)
            modules = std::max(modules, Pdf417Glyphs::lineModules(row));
        const double w = modules * primitive.module;
        const double h = double(primitive.rows.size()) * primitive.pitch;
        extent |= QRectF(primitive.rect.center().x() - w / 2, primitive.rect.top(), w, h);
    } else if (primitive.type == Primitive::Type::Line) {
        extent = QRectF(primitive.line.p1(), primitive.line.p2()).normalized();
    }
    extent.adjust(-margin, -margin, margin, margin);
    if (origin)
        *origin = extent.topLeft();
    const double k = unitsToDots(dpi);
    QImage img(int(std::ceil(extent.width() * k)), int(std::ceil(extent.height() * k)),
               QImage::Format_RGB32);
    img.fill(Qt::white);
    Sheet one;
    one.items.push_back(primitive);
    QPainter painter(&img);
    painter.scale(k, k);
    painter.translate(-extent.topLeft());
    paintSheet(painter, one);
    painter.end();
    return img;
}

QImage renderSheet(const Sheet& sheet, double dpi) {
    const double k = unitsToDots(dpi);
    QImage img(int(std::ceil(sheet.sizeMm.width() / 25.4 * dpi)),
               int(std::ceil(sheet.sizeMm.height() / 25.4 * dpi)), QImage::Format_RGB32);
    img.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    img.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    img.fill(Qt::white);
    QPainter painter(&img);
    painter.scale(k, k);
    paintSheet(painter, sheet);
    return img;
}

void writePdf(const PreparedReport& report, const QString& file) {
    if (report.sheets.empty())
        throw AppError(QStringLiteral("Отчёт пуст: нечего сохранять"));
    QPdfWriter writer(file);
    writer.setTitle(report.title);
    writer.setCreator(QStringLiteral("Tarvik"));
    writer.setResolution(1200);
    auto layoutFor = [](const Sheet& s) {
        return QPageLayout(QPageSize(s.sizeMm, QPageSize::Millimeter), QPageLayout::Portrait,
                           QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter, QMarginsF(0, 0, 0, 0));
    };
    writer.setPageLayout(layoutFor(report.sheets.front()));
    QPainter painter;
    if (!painter.begin(&writer))
        throw AppError(QStringLiteral("Не удалось записать файл %1").arg(file));
    const double k = unitsToDots(writer.resolution());
    for (size_t i = 0; i < report.sheets.size(); ++i) {
        if (i > 0) {
            writer.setPageLayout(layoutFor(report.sheets[i]));
            writer.newPage();
        }
        painter.save();
        painter.scale(k, k);
        paintSheet(painter, report.sheets[i]);
        painter.restore();
    }
    if (!painter.end())
        throw AppError(QStringLiteral("Не удалось записать файл %1").arg(file));
}

QStringList writePng(const PreparedReport& report, const QString& file, double dpi) {
    if (report.sheets.empty())
        throw AppError(QStringLiteral("Отчёт пуст: нечего сохранять"));
    QStringList files;
    const QFileInfo fi(file);
    for (size_t i = 0; i < report.sheets.size(); ++i) {
        QString name = file;
        if (report.sheets.size() > 1) {
            const QString base = fi.path() + QLatin1Char('/') + fi.completeBaseName();
            name = QStringLiteral("%1-%2.%3").arg(base).arg(i + 1).arg(fi.suffix());
        }
        if (!renderSheet(report.sheets[i], dpi).save(name, "PNG"))
            throw AppError(QStringLiteral("Не удалось записать файл %1").arg(name));
        files << name;
    }
    return files;
}

} // namespace Forms
