// A prepared report: sheets of drawing primitives in form units, ready to paint or save.
#pragma once

#include "forms/formmodel.h"

#include <QLineF>
#include <QRectF>
#include <QSizeF>
#include <vector>

namespace Forms {

struct Primitive {
    enum class Type : quint8 { Text, Line, Rect, Pdf417 };
    Type type = Type::Text;
    QRectF rect;       // Text: its box; Rect: the filled area; Pdf417: the area the rows centre in
    QPointF origin;    // Text: left end of the baseline
    QLineF line;       // Line
    double width = 1;  // Line: pen width
    QString text;      // Text
    FontSpec font;     // Text
    QStringList rows;  // Pdf417: converter output, one symbol row a line
    double pitch = 4;  // Pdf417: row pitch
    double module = 1; // Pdf417: module width
};

struct Sheet {
    QSizeF sizeMm;
    QSize sizeUnits;
    std::vector<Primitive> items;
    QStringList bands;   // the bands printed on the sheet, in order, once each (not saved)
    int paperSource = 0; // the form page's paper source, 0 = the printer's default (not saved)

    // The sheet's text, one text item a line, for searching.
    QString plainText() const;
};

struct PreparedReport {
    QString title;
    std::vector<Sheet> sheets;

    // Our own prepared-report file. Both throw AppError on failure.
    void save(const QString& file) const;
    static PreparedReport load(const QString& file);
};

} // namespace Forms
