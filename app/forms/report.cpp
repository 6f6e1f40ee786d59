#include "forms/report.h"

#include "core/apperror.h"
#include "core/regional.h"
#include "forms/code128.h"
#include "forms/fonts.h"
#include "forms/pdf417glyphs.h"

#include <QRegularExpression>
#include <cmath>

namespace Forms {

// ---- Variables -------------------------------------------------------------------------------

void Variables::set(const QString& name, const QVariant& value) {
    m_values.insert(name.toLower(), value);
}

QVariant Variables::value(const QString& name) const {
    return m_values.value(name.toLower());
}

bool Variables::contains(const QString& name) const {
    return m_values.contains(name.toLower());
}

Variables& Variables::global() {
    static Variables vars;
    return vars;
}

// ---- UserDataset -----------------------------------------------------------------------------

void UserDataset::first() {
    m_recNo = 0;
    raise(true);
}

void UserDataset::next() {
    ++m_recNo;
    if (m_inHandler) {
        m_stepped = true; // the running handler's own step: raised when it returns
        return;
    }
    raise(false);
}

void UserDataset::raise(bool first) {
    while (!eof()) {
        const std::function<void()>& handler = first ? onFirst : onNext;
        if (!handler)
            return;
        m_inHandler = true;
        m_stepped = false;
        try {
            handler();
        } catch (...) {
            m_inHandler = false;
            throw;
        }
        m_inHandler = false;
        if (!m_stepped)
            return;
        first = false;
    }
}

// ---- Number forms ----------------------------------------------------------------------------

QString formatGeneral(double value) {
    return Regional::current().formatNumber(value);
}

QString formatGrouped2(double value) {
    // A value that is no number shows as such ("NAN", "INF") rather than as a plausible sum.
    if (!std::isfinite(value))
        return Regional::current().formatNumber(value);
    return Regional::current().formatGrouped2(value);
}

// ---- Report design ---------------------------------------------------------------------------

Report::Report(Template design, Variables* variables)
    : m_design(std::move(design)), m_variables(variables) {}

void Report::setDataset(const QString& name, UserDataset* dataset) {
    m_datasets.insert(name.toLower(), dataset);
}

FormPage& Report::page(int index) {
    if (index < 0 || index >= pageCount())
        throw AppError(QStringLiteral("В отчёте нет страницы %1").arg(index));
    return m_design.pages[size_t(index)];
}

void Report::deletePage(int index) {
    page(index);
    m_design.pages.erase(m_design.pages.begin() + index);
}

FormPage& Report::addPage() {
    m_design.pages.emplace_back();
    return m_design.pages.back();
}

FormObject& Report::addTextObject(int pageIndex, const QRect& rect, const QString& fontName,
                                  double fontSize, HAlign align, int lineSpacing,
                                  const QString& text) {
    FormPage& p = page(pageIndex);
    FormObject o;
    int n = int(p.objects.size()) + 1;
    while (m_design.findObject(QStringLiteral("Memo%1_%2").arg(pageIndex).arg(n)))
        ++n;
    o.name = QStringLiteral("Memo%1_%2").arg(pageIndex).arg(n);
    o.x = rect.x();
    o.y = rect.y();
    o.w = rect.width();
    o.h = rect.height();
    o.font.name = fontName;
    o.font.size = fontSize;
    o.hAlign = align;
    o.lineSpacing = lineSpacing;
    o.setText(text);
    finishObject(o, m_design.file);
    p.objects.push_back(std::move(o));
    return p.objects.back();
}

// ---- Preparation -----------------------------------------------------------------------------

namespace {

// The room of symbol object `o` among the other objects of its band or page; `bottom` is the
// lowest edge the object may reach, in the same coordinates as its y (see pdf417converter.h).
Pdf417Room symbolRoomAmong(const FormObject& o, const std::vector<FormObject>& neighbours,
                           double bottom) {
    Pdf417Room room;
    room.width = o.w - 4;
    room.pitch = linePitch(o.font, o.lineSpacing);
    double limit = o.y + o.h;
    if (o.stretch) {
        double reach = bottom;
        for (const FormObject& n : neighbours)
            if (&n != &o && n.y > o.y && n.x < o.x + o.w && n.x + n.w > o.x)
                reach = qMin(reach, n.y - 1.0);
        limit = qMax(limit, reach);
    }
    room.height = limit - o.y - 1;
    return room;
}

Margins pageMargins(const FormPage& page, const Margins& printer) {
    return page.margins == MarginsMode::Printer ? printer : Margins{0, 0, 0, 0};
}

bool isNumeric(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

QStringList wrapParagraph(const QString& text, const FontSpec& font, double width) {
    QStringList out;
    if (textWidth(font, text) <= width) {
        out << text;
        return out;
    }
    QString line;
    const QStringList words = text.split(QLatin1Char(' '));
    for (const QString& word : words) {
        const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (textWidth(font, candidate) <= width || candidate.isEmpty()) {
            line = candidate;
            continue;
        }
        if (!line.isEmpty())
            out << line;
        // A word wider than the object is broken where it must be.
        QString rest = word;
        while (textWidth(font, rest) > width && rest.size() > 1) {
            int n = rest.size() - 1;
            while (n > 1 && textWidth(font, rest.left(n)) > width)
                --n;
            out << rest.left(n);
            rest = rest.mid(n);
        }
        line = rest;
    }
    out << line;
    return out;
}

} // namespace

Pdf417Room Report::symbolRoom(const QString& objectName) {
    for (const FormPage& p : m_design.pages) {
        const Margins m = pageMargins(p, m_printerMargins);
        const double height = p.sizeUnits().height();
        for (const Band& b : p.bands)
            for (const FormObject& o : b.objects)
                if (o.name.compare(objectName, Qt::CaseInsensitive) == 0)
                    return symbolRoomAmong(o, b.objects, height - m.bottom - m.top);
        for (const FormObject& o : p.objects)
            if (o.name.compare(objectName, Qt::CaseInsensitive) == 0)
                return symbolRoomAmong(o, p.objects, height - m.bottom);
    }
    throw AppError(QStringLiteral("В шаблоне %1 нет объекта %2").arg(m_design.file, objectName));
}

class Preparation : public ReportBuilder {
public:
    explicit Preparation(Report& report) : m_report(report), m_t(report.m_design) {}

    PreparedReport run() {
        m_out.title = m_t.title;
        collectSums();
        for (size_t i = 0; i < m_t.pages.size(); ++i)
            runPage(int(i));
        return std::move(m_out);
    }

    void showBand(const QString& name) override {
        Band* b = m_page->band(name);
        if (!b)
            throw AppError(QStringLiteral("В шаблоне %1 нет бэнда %2").arg(m_t.file, name));
        printBand(*b, false);
    }
    void newPage() override { startSheet(false); }
    int pageIndex() const override { return m_pageIndex; }

private:
    struct Sum {
        QString variable, expression, overBand, holderBand;
        double total = 0;
    };
    struct Placed {
        const FormObject* object;
        int x, h;
        QStringList lines;         // text lines after wrapping
        QList<bool> paragraphEnds; // per line: last line of its paragraph
        Pdf417Layout symbol;       // PDF417 objects: the rows' layout in the object's room
    };

    Report& m_report;
    Template& m_t;
    PreparedReport m_out;
    QHash<QString, QVariant> m_scriptVars; // lower-case names; live for the whole run
    std::vector<Sum> m_sums;
    FormPage* m_page = nullptr;
    int m_pageIndex = 0;
    double m_top = 0, m_bottom = 0, m_left = 0, m_right = 0, m_cursor = 0;
    const Band* m_repeatHeader = nullptr;
    Sheet* m_sheet = nullptr;

    // ---- variables and text ----

    QVariant lookup(const QString& name) const {
        auto it = m_scriptVars.constFind(name.toLower());
        if (it != m_scriptVars.constEnd())
            return *it;
        return m_report.m_variables->value(name);
    }

    static QString formatValue(const QVariant& v, const FormObject& o) {
        if (isNumeric(v)) {
            const double d = v.toDouble();
            if (o.hideZeros && d == 0)
                return QString();
            return o.format == NumberFormat::Grouped2 ? formatGrouped2(d) : formatGeneral(d);
        }
        return v.toString();
    }

    QString expand(const QString& line, const FormObject& o) const {
        QString out;
        int i = 0;
        while (i < line.size()) {
            const int open = line.indexOf(QLatin1Char('['), i);
            const int close = open < 0 ? -1 : line.indexOf(QLatin1Char(']'), open + 1);
            if (open < 0 || close < 0) {
                out += line.mid(i);
                break;
            }
            out += line.mid(i, open - i);
            out += formatValue(lookup(line.mid(open + 1, close - open - 1).trimmed()), o);
            i = close + 1;
        }
        return out;
    }

    void collectSums() {
        for (FormPage& p : m_t.pages)
            for (Band& b : p.bands)
                for (FormObject& o : b.objects)
                    for (const ScriptStatement& s : o.statements)
                        if (!s.sumBand.isEmpty())
                            m_sums.push_back({s.variable, s.expression, s.sumBand, b.name, 0});
    }

    void runScript(const FormObject& o) {
        for (const ScriptStatement& s : o.statements) {
            if (s.sumBand.isEmpty()) {
                m_scriptVars.insert(s.variable.toLower(), lookup(s.expression));
                continue;
            }
            for (const Sum& sum : m_sums)
                if (sum.variable == s.variable && sum.overBand == s.sumBand &&
                    sum.expression == s.expression)
                    m_scriptVars.insert(s.variable.toLower(), sum.total);
        }
    }

    // ---- sheets ----

    void startSheet(bool firstOfPage) {
        if (m_sheet && m_report.onProgress && !m_report.onProgress(int(m_out.sheets.size())))
            throw AppError(QStringLiteral("Подготовка отчёта прервана"));
        m_out.sheets.emplace_back();
        m_sheet = &m_out.sheets.back();
        m_sheet->sizeMm = m_page->sizeMm();
        m_sheet->paperSource = m_page->paperSource;
        m_sheet->sizeUnits = m_page->sizeUnits();
        m_cursor = m_top;
        if (m_report.onBeginPage)
            m_report.onBeginPage(int(m_out.sheets.size()) - 1);
        for (const FormObject& o : m_page->objects) {
            runScript(o);
            emitObject(place(o, m_page->objects, m_bottom), 0);
        }
        if (m_report.onManualBuild)
            return;
        if (firstOfPage)
            if (const Band* title = firstBand(BandType::ReportTitle))
                printBand(*title, false);
        if (const Band* header = firstBand(BandType::ColumnHeader))
            printBand(*header, false);
        if (m_repeatHeader)
            printBand(*m_repeatHeader, false);
    }

    const Band* firstBand(BandType type) const {
        for (const Band& b : m_page->bands)
            if (b.type == type)
                return &b;
        return nullptr;
    }

    void runPage(int index) {
        m_pageIndex = index;
        m_page = &m_t.pages[size_t(index)];
        const QSize size = m_page->sizeUnits();
        Margins m;
        if (m_page->margins == MarginsMode::Printer)
            m = m_report.m_printerMargins;
        else
            m = Margins{0, 0, 0, 0};
        m_left = m.left;
        m_right = size.width() - m.right;
        m_top = m.top;
        m_bottom = size.height() - m.bottom;
        m_repeatHeader = nullptr;
        startSheet(true);
        if (m_report.onManualBuild) {
            m_report.onManualBuild(*this);
            return;
        }
        const Band* header = firstBand(BandType::MasterHeader);
        const Band* data = firstBand(BandType::MasterData);
        const Band* footer = firstBand(BandType::ColumnFooter);
        const Band* summary = firstBand(BandType::ReportSummary);
        if (header) {
            printBand(*header, data != nullptr);
            if (header->repeatOnEverySheet)
                m_repeatHeader = header;
        }
        if (data) {
            UserDataset single;
            single.rangeCount = 1;
            UserDataset* ds = &single;
            if (!data->dataSource.isEmpty()) {
                ds = m_report.m_datasets.value(data->dataSource.toLower());
                if (!ds)
                    throw AppError(QStringLiteral("Для бэнда %1 не задан набор данных %2")
                                       .arg(data->name, data->dataSource));
            }
            for (ds->first(); !ds->eof(); ds->next())
                printBand(*data, true);
        }
        m_repeatHeader = nullptr;
        if (footer)
            printBand(*footer, false);
        if (summary)
            printBand(*summary, false);
    }

    double footerReserve() const {
        const Band* f = firstBand(BandType::ColumnFooter);
        return f ? f->height : 0;
    }

    // ---- bands ----

    void printBand(const Band& band, bool reserveFooter) {
        std::vector<Placed> placed;
        int height = layoutBand(band, placed);
        const double limit = m_bottom - (reserveFooter ? footerReserve() : 0);
        if (m_cursor + height > limit && m_cursor > m_top + 0.5) {
            // Close this sheet; while rows print, the column footer ends it.
            if (reserveFooter && !m_report.onManualBuild)
                if (const Band* footer = firstBand(BandType::ColumnFooter))
                    printBand(*footer, false);
            startSheet(false);
            placed.clear();
            height = layoutBand(band, placed);
        }
        for (const Placed& p : placed)
            emitObject(p, m_cursor);
        if (!m_sheet->bands.contains(band.name))
            m_sheet->bands << band.name;
        m_cursor += height;
        for (Sum& s : m_sums)
            if (s.overBand.compare(band.name, Qt::CaseInsensitive) == 0)
                s.total += lookup(s.expression).toDouble();
        for (Sum& s : m_sums)
            if (s.holderBand == band.name)
                s.total = 0;
        for (const Band& child : m_page->bands)
            if (child.type == BandType::Child && child.visible &&
                child.parent.compare(band.name, Qt::CaseInsensitive) == 0)
                printBand(child, reserveFooter);
    }

    int layoutBand(const Band& band, std::vector<Placed>& placed) {
        int bottom = band.height;
        for (const FormObject& o : band.objects) {
            runScript(o);
            // A band's symbol has the room it would have with the band at the top of a sheet;
            // a band that does not fit where it stands moves there.
            placed.push_back(place(o, band.objects, m_bottom - m_top));
            bottom = qMax(bottom, o.y + placed.back().h);
        }
        const int height = band.stretch ? bottom : band.height;
        if (band.stretch)
            for (Placed& p : placed)
                if (p.object->stretch && p.object->y + p.h < height)
                    p.h = height - p.object->y;
        return height;
    }

    // `neighbours` are the objects of o's band or page and `bottom` the lowest edge it may
    // reach, in o's coordinates: they bound a symbol's room.
    Placed place(const FormObject& o, const std::vector<FormObject>& neighbours,
                 double bottom) const {
        Placed p{&o, o.x, o.h, {}, {}, {}};
        switch (o.placement) {
        case Placement::Stored:
            break;
        case Placement::Left:
            p.x = int(m_left);
            break;
        case Placement::Right:
            p.x = int(m_right) - o.w;
            break;
        case Placement::Center:
            p.x = int(m_left) + int(std::floor((m_right - m_left - o.w) / 2.0));
            break;
        }
        const bool symbol = o.kind == FormObject::Kind::Pdf417;
        if (o.kind != FormObject::Kind::Text && !symbol)
            return p;
        // Lines are laid out between the inner gaps, but a line breaks only when it is wider
        // than the whole object: our metrics run a little wider than the ones the forms were
        // drawn with, and a heading that fitted its box must not fall onto a second line.
        const double wrapWidth = o.w;
        for (const QString& line : o.lines) {
            QString text = expand(line, o);
            text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            const QStringList paragraphs = text.split(QLatin1Char('\n'));
            for (const QString& para : paragraphs) {
                if (symbol) {
                    if (!para.isEmpty())
                        p.lines << para;
                    continue;
                }
                const QStringList wrapped =
                    o.wordWrap ? wrapParagraph(para, o.font, wrapWidth) : QStringList{para};
                for (int i = 0; i < wrapped.size(); ++i) {
                    p.lines << wrapped[i];
                    p.paragraphEnds << (i == wrapped.size() - 1);
                }
            }
        }
        if (symbol) {
            if (p.lines.isEmpty())
                return p;
            const Pdf417Room room = symbolRoomAmong(o, neighbours, bottom);
            int modules = 0;
            for (const QString& line : p.lines)
                modules = qMax(modules, Pdf417Glyphs::lineModules(line));
            p.symbol = Pdf417Fit(int(p.lines.size()), modules, room);
            if (o.stretch) {
                const double rows = 1 + p.lines.size() * p.symbol.pitch;
                p.h = qMax(o.h, int(std::ceil(rows - 1e-6)));
            }
            return p;
        }
        if (o.stretch && o.wordWrap)
            p.h = qMax(o.h, 1 + int(p.lines.size()) * linePitch(o.font, o.lineSpacing));
        return p;
    }

    // ---- primitives ----

    void addLine(double x1, double y1, double x2, double y2, double width) {
        Primitive pr;
        pr.type = Primitive::Type::Line;
        pr.line = QLineF(x1, y1, x2, y2);
        pr.width = width;
        m_sheet->items.push_back(std::move(pr));
    }

    void addText(double x, double baseline, const QString& text, const FontSpec& font) {
        if (text.isEmpty())
            return;
        Primitive pr;
        pr.type = Primitive::Type::Text;
        pr.origin = QPointF(x, baseline);
        const double ascent = fontAscent(font);
        pr.rect = QRectF(x, baseline - ascent, textWidth(font, text), cellHeight(font));
        pr.text = text;
        pr.font = font;
        m_sheet->items.push_back(std::move(pr));
    }

    void emitObject(const Placed& p, double bandTop) {
        const FormObject& o = *p.object;
        const double x = p.x, y = bandTop + o.y, w = o.w, h = p.h;
        switch (o.kind) {
        case FormObject::Kind::Line:
            if (o.w > o.h)
                addLine(x, y, x + w, y, o.frameWidth);
            else
                addLine(x, y, x, y + h, o.frameWidth);
            return;
        case FormObject::Kind::Barcode128:
            emitBarcode(o, x, y, h);
            return;
        case FormObject::Kind::Text:
        case FormObject::Kind::Pdf417:
            break;
        }
        const int pitch = linePitch(o.font, o.lineSpacing);
        if (o.underlines && pitch > 0) {
            const int c = cellHeight(o.font);
            for (int k = 0; k <= int(h) / pitch - 1; ++k)
                addLine(x, y + 3 + c + k * pitch, x + w, y + 3 + c + k * pitch, o.frameWidth);
        }
        if (o.frameSides & FrameTop)
            addLine(x, y, x + w, y, o.frameWidth);
        if (o.frameSides & FrameBottom)
            addLine(x, y + h, x + w, y + h, o.frameWidth);
        if (o.frameSides & FrameLeft)
            addLine(x, y, x, y + h, o.frameWidth);
        if (o.frameSides & FrameRight)
            addLine(x + w, y, x + w, y + h, o.frameWidth);
        if (p.lines.isEmpty())
            return;
        if (o.kind == FormObject::Kind::Pdf417) {
            Primitive pr;
            pr.type = Primitive::Type::Pdf417;
            pr.rect = QRectF(x + 2, y + 1, w - 4, h - 1);
            pr.rows = p.lines;
            pr.pitch = p.symbol.pitch;
            pr.module = p.symbol.module;
            m_sheet->items.push_back(std::move(pr));
            return;
        }
        const double total = double(p.lines.size()) * pitch;
        double top = y + 1;
        if (o.vAlign == VAlign::Middle)
            top += (h - 1 - total) / 2;
        else if (o.vAlign == VAlign::Bottom)
            top += h - 1 - total;
        const double ascent = fontAscent(o.font);
        const double left = x + 2, width = w - 4;
        for (int k = 0; k < p.lines.size(); ++k) {
            const double lineTop = top + k * pitch;
            if (!o.stretch && lineTop - y >= h)
                break;
            const QString& line = p.lines[k];
            const double baseline = lineTop + ascent;
            const double lw = textWidth(o.font, line);
            if (o.hAlign == HAlign::Justify && !p.paragraphEnds.value(k, true) &&
                line.contains(QLatin1Char(' '))) {
                const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                double wordsWidth = 0;
                for (const QString& word : words)
                    wordsWidth += textWidth(o.font, word);
                const double gap =
                    words.size() > 1 ? (width - wordsWidth) / double(words.size() - 1) : 0;
                double cx = left;
                for (const QString& word : words) {
                    addText(cx, baseline, word, o.font);
                    cx += textWidth(o.font, word) + gap;
                }
                continue;
            }
            double cx = left;
            if (o.hAlign == HAlign::Center)
                cx = left + (width - lw) / 2;
            else if (o.hAlign == HAlign::Right)
                cx = left + width - lw;
            // A line that takes up the inner gaps stays inside the object.
            if (lw <= w)
                cx = qMax(x, qMin(cx, x + w - lw));
            addText(cx, baseline, line, o.font);
        }
    }

    void emitBarcode(const FormObject& o, double x, double y, double h) {
        const Code128::Symbol sym = Code128::encodeSetC(o.lines.value(0));
        const double barHeight = o.showText ? h - 14 : h;
        // A symbol wider than its object is centred on the object and kept within the
        // printable limits where it fits between them; a narrower one starts at the object's
        // left edge.
        const double width = double(Code128::modules(sym)) * o.moduleWidth;
        if (width > o.w) {
            x += std::floor((o.w - width) / 2);
            if (width <= m_right - m_left)
                x = qBound(m_left, x, m_right - width);
        }
        double cx = x;
        for (int i = 0; i < sym.widths.size(); ++i) {
            const double wd = sym.widths[i] * o.moduleWidth;
            if (i % 2 == 0) {
                Primitive pr;
                pr.type = Primitive::Type::Rect;
                pr.rect = QRectF(cx, y, wd, barHeight);
                m_sheet->items.push_back(std::move(pr));
            }
            cx += wd;
        }
        if (o.showText) {
            FontSpec f;
            f.name = QStringLiteral("Courier New");
            f.size = 12 * 72.0 / 96.0;
            addText(x + (width - textWidth(f, sym.digits)) / 2, y + h - 12 + fontAscent(f),
                    sym.digits, f);
        }
    }
};

const PreparedReport& Report::prepare() {
    m_prepared = PreparedReport();
    Preparation prep(*this);
    m_prepared = prep.run();
    return m_prepared;
}

} // namespace Forms
