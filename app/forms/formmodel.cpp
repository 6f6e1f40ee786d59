#include "forms/formmodel.h"

#include "core/apperror.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <cmath>

// The templates are compiled into this static library; register them before first use.
static void initTemplates() {
    static const bool done = [] {
        Q_INIT_RESOURCE(templates);
        return true;
    }();
    (void)done;
}

namespace Forms {

int mmToUnits(double mm) {
    return int(std::lround(mm / kMmPerUnit));
}

bool FontSpec::isPdf417() const {
    return name.compare(QLatin1String("Code PDF417"), Qt::CaseInsensitive) == 0;
}

QSizeF FormPage::sizeMm() const {
    QSizeF s(paperWidth / 10.0, paperHeight / 10.0);
    return landscape ? s.transposed() : s;
}

QSize FormPage::sizeUnits() const {
    const QSizeF mm = sizeMm();
    return QSize(mmToUnits(mm.width()), mmToUnits(mm.height()));
}

Band* FormPage::band(const QString& bandName) {
    for (Band& b : bands)
        if (b.name.compare(bandName, Qt::CaseInsensitive) == 0)
            return &b;
    return nullptr;
}

FormObject* Template::findObject(const QString& objectName) {
    for (FormPage& p : pages) {
        for (Band& b : p.bands)
            for (FormObject& o : b.objects)
                if (o.name.compare(objectName, Qt::CaseInsensitive) == 0)
                    return &o;
        for (FormObject& o : p.objects)
            if (o.name.compare(objectName, Qt::CaseInsensitive) == 0)
                return &o;
    }
    return nullptr;
}

Band* Template::findBand(const QString& bandName) {
    for (FormPage& p : pages)
        if (Band* b = p.band(bandName))
            return b;
    return nullptr;
}

namespace {

// Reads one JSON value set, remembering where we are for the error message.
class Reader {
public:
    Reader(QString file, QString where) : m_file(std::move(file)), m_where(std::move(where)) {}

    [[noreturn]] void fail(const QString& what) const {
        throw AppError(QStringLiteral("Ошибка в шаблоне %1, %2: %3").arg(m_file, m_where, what));
    }

    void checkKeys(const QJsonObject& o, std::initializer_list<const char*> allowed) const {
        for (auto it = o.begin(); it != o.end(); ++it) {
            bool ok = false;
            for (const char* a : allowed)
                ok = ok || it.key() == QLatin1String(a);
            if (!ok)
                fail(QStringLiteral("неизвестное свойство \"%1\"").arg(it.key()));
        }
    }

    int integer(const QJsonObject& o, const char* key, int def, bool required = false) const {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required)
                fail(QStringLiteral("нет свойства \"%1\"").arg(QLatin1String(key)));
            return def;
        }
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || d != std::floor(d) || std::fabs(d) > 1e6)
            fail(
                QStringLiteral("свойство \"%1\" должно быть целым числом").arg(QLatin1String(key)));
        return int(d);
    }

    double number(const QJsonObject& o, const char* key, double def) const {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return def;
        if (!v.isDouble())
            fail(QStringLiteral("свойство \"%1\" должно быть числом").arg(QLatin1String(key)));
        return v.toDouble();
    }

    bool flag(const QJsonObject& o, const char* key) const {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return false;
        if (!v.isBool())
            fail(QStringLiteral("свойство \"%1\" должно быть true или false")
                     .arg(QLatin1String(key)));
        return v.toBool();
    }

    QString string(const QJsonObject& o, const char* key, const QString& def = {}) const {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return def;
        if (!v.isString())
            fail(QStringLiteral("свойство \"%1\" должно быть строкой").arg(QLatin1String(key)));
        return v.toString();
    }

    QStringList strings(const QJsonObject& o, const char* key) const {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return {};
        if (v.isString())
            return v.toString().split(QLatin1Char('\n'));
        if (!v.isArray())
            fail(QStringLiteral("свойство \"%1\" должно быть строкой или списком строк")
                     .arg(QLatin1String(key)));
        QStringList out;
        for (const QJsonValue& s : v.toArray()) {
            if (!s.isString())
                fail(QStringLiteral("в списке \"%1\" не строка").arg(QLatin1String(key)));
            out << s.toString();
        }
        return out;
    }

    QJsonArray array(const QJsonObject& o, const char* key) const {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return {};
        if (!v.isArray())
            fail(QStringLiteral("свойство \"%1\" должно быть списком").arg(QLatin1String(key)));
        return v.toArray();
    }

    QJsonObject object(const QJsonValue& v) const {
        if (!v.isObject())
            fail(QStringLiteral("ожидается объект JSON"));
        return v.toObject();
    }

private:
    QString m_file;
    QString m_where;
};

BandType bandType(const Reader& r, const QString& s) {
    static const struct {
        const char* name;
        BandType type;
    } kTypes[] = {{"ReportTitle", BandType::ReportTitle},
                  {"ColumnHeader", BandType::ColumnHeader},
                  {"MasterHeader", BandType::MasterHeader},
                  {"MasterData", BandType::MasterData},
                  {"Child", BandType::Child},
                  {"ColumnFooter", BandType::ColumnFooter},
                  {"ReportSummary", BandType::ReportSummary}};
    for (const auto& t : kTypes)
        if (s == QLatin1String(t.name))
            return t.type;
    r.fail(QStringLiteral("неизвестный тип бэнда \"%1\"").arg(s));
}

void readAlign(const Reader& r, const QString& s, FormObject& o) {
    // "C/T": horizontal L, C, R or J, then vertical T, M or B.
    if (s.size() != 3 || s[1] != QLatin1Char('/'))
        r.fail(QStringLiteral("выравнивание \"%1\" не в виде \"C/T\"").arg(s));
    switch (s[0].toLatin1()) {
    case 'L':
        o.hAlign = HAlign::Left;
        break;
    case 'C':
        o.hAlign = HAlign::Center;
        break;
    case 'R':
        o.hAlign = HAlign::Right;
        break;
    case 'J':
        o.hAlign = HAlign::Justify;
        break;
    default:
        r.fail(QStringLiteral("выравнивание \"%1\" не в виде \"C/T\"").arg(s));
    }
    switch (s[2].toLatin1()) {
    case 'T':
        o.vAlign = VAlign::Top;
        break;
    case 'M':
        o.vAlign = VAlign::Middle;
        break;
    case 'B':
        o.vAlign = VAlign::Bottom;
        break;
    default:
        r.fail(QStringLiteral("выравнивание \"%1\" не в виде \"C/T\"").arg(s));
    }
}

int readFrame(const Reader& r, const QString& s) {
    if (s.isEmpty() || s == QLatin1String("none"))
        return 0;
    if (s == QLatin1String("box"))
        return FrameBox;
    int sides = 0;
    for (const QString& part : s.split(QLatin1Char('+'))) {
        if (part == QLatin1String("T"))
            sides |= FrameTop;
        else if (part == QLatin1String("L"))
            sides |= FrameLeft;
        else if (part == QLatin1String("B"))
            sides |= FrameBottom;
        else if (part == QLatin1String("R"))
            sides |= FrameRight;
        else
            r.fail(QStringLiteral("рамка \"%1\": ожидается box, none или стороны T+L+B+R").arg(s));
    }
    return sides;
}

FormObject readObject(const QString& file, const QString& where, const QJsonValue& value) {
    const Reader top(file, where);
    const QJsonObject j = top.object(value);
    FormObject o;
    o.name = j.value(QLatin1String("name")).toString();
    const Reader r(file, QStringLiteral("объект %1").arg(o.name.isEmpty() ? where : o.name));
    if (o.name.isEmpty())
        r.fail(QStringLiteral("у объекта нет имени"));
    r.checkKeys(j, {"name",      "kind",       "x",       "y",         "w",           "h",
                    "text",      "font",       "size",    "bold",      "italic",      "align",
                    "frame",     "frameWidth", "stretch", "wordWrap",  "lineSpacing", "format",
                    "hideZeros", "underlines", "script",  "placement", "module",      "showText"});
    const QString kind = r.string(j, "kind", QStringLiteral("text"));
    if (kind == QLatin1String("text"))
        o.kind = FormObject::Kind::Text;
    else if (kind == QLatin1String("line"))
        o.kind = FormObject::Kind::Line;
    else if (kind == QLatin1String("code128"))
        o.kind = FormObject::Kind::Barcode128;
    else
        r.fail(QStringLiteral("неизвестный вид объекта \"%1\"").arg(kind));
    o.x = r.integer(j, "x", 0, true);
    o.y = r.integer(j, "y", 0, true);
    o.w = r.integer(j, "w", 0, true);
    o.h = r.integer(j, "h", 0, true);
    if (o.w < 0 || o.h < 0 || (o.w == 0 && o.h == 0))
        r.fail(QStringLiteral("неверный размер %1 × %2").arg(o.w).arg(o.h));
    o.lines = r.strings(j, "text");
    o.font.name = r.string(j, "font", o.font.name);
    o.font.size = r.number(j, "size", o.font.size);
    if (!(o.font.size > 0 && o.font.size <= 200))
        r.fail(QStringLiteral("неверный размер шрифта"));
    o.font.bold = r.flag(j, "bold");
    o.font.italic = r.flag(j, "italic");
    readAlign(r, r.string(j, "align", QStringLiteral("L/T")), o);
    o.frameSides = readFrame(r, r.string(j, "frame"));
    o.frameWidth = r.number(j, "frameWidth", 1);
    if (!(o.frameWidth > 0 && o.frameWidth <= 20))
        r.fail(QStringLiteral("неверная толщина рамки"));
    o.stretch = r.flag(j, "stretch");
    o.wordWrap = r.flag(j, "wordWrap");
    o.lineSpacing = r.integer(j, "lineSpacing", 2);
    const QString format = r.string(j, "format", QStringLiteral("general"));
    if (format == QLatin1String("general"))
        o.format = NumberFormat::General;
    else if (format == QLatin1String("grouped2"))
        o.format = NumberFormat::Grouped2;
    else
        r.fail(QStringLiteral("неизвестный формат \"%1\"").arg(format));
    o.hideZeros = r.flag(j, "hideZeros");
    o.underlines = r.flag(j, "underlines");
    o.script = r.strings(j, "script");
    const QString placement = r.string(j, "placement", QStringLiteral("stored"));
    if (placement == QLatin1String("stored"))
        o.placement = Placement::Stored;
    else if (placement == QLatin1String("left"))
        o.placement = Placement::Left;
    else if (placement == QLatin1String("center"))
        o.placement = Placement::Center;
    else if (placement == QLatin1String("right"))
        o.placement = Placement::Right;
    else
        r.fail(QStringLiteral("неизвестное размещение \"%1\"").arg(placement));
    o.moduleWidth = r.integer(j, "module", 1);
    if (o.moduleWidth < 1 || o.moduleWidth > 20)
        r.fail(QStringLiteral("неверная ширина модуля штрих-кода"));
    o.showText = r.flag(j, "showText");
    if (o.font.isPdf417() && o.lineSpacing + int(std::lround(o.font.size * 96 / 72)) < 1)
        r.fail(QStringLiteral("шаг строк штрих-кода меньше 1"));
    finishObject(o, file);
    return o;
}

} // namespace

std::vector<ScriptStatement> parseScript(const FormObject& object, const QString& file) {
    static const QRegularExpression sum(
        QStringLiteral(R"(^\s*(\w+)\s*:=\s*Sum\s*\(\s*\[([^\]]+)\]\s*,\s*(\w+)\s*\)\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression assign(
        QStringLiteral(R"(^\s*(\w+)\s*:=\s*\[([^\]]+)\]\s*;?\s*$)"));
    std::vector<ScriptStatement> out;
    for (const QString& line : object.script) {
        const QString t = line.trimmed();
        if (t.isEmpty() || t.compare(QLatin1String("begin"), Qt::CaseInsensitive) == 0 ||
            t.compare(QLatin1String("end"), Qt::CaseInsensitive) == 0 ||
            t.compare(QLatin1String("end;"), Qt::CaseInsensitive) == 0)
            continue;
        QRegularExpressionMatch m = sum.match(t);
        if (m.hasMatch()) {
            out.push_back({m.captured(1), m.captured(2).trimmed(), m.captured(3)});
            continue;
        }
        m = assign.match(t);
        if (m.hasMatch()) {
            out.push_back({m.captured(1), m.captured(2).trimmed(), QString()});
            continue;
        }
        Reader(file, QStringLiteral("объект %1").arg(object.name))
            .fail(QStringLiteral("непонятная строка сценария \"%1\"").arg(line));
    }
    return out;
}

void finishObject(FormObject& object, const QString& file) {
    if (object.kind == FormObject::Kind::Text && object.font.isPdf417())
        object.kind = FormObject::Kind::Pdf417;
    object.statements = parseScript(object, file);
}

Template Template::fromJson(const QByteArray& json, const QString& file) {
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    const Reader top(file, QStringLiteral("шаблон"));
    if (err.error != QJsonParseError::NoError)
        top.fail(QStringLiteral("JSON не разобран (позиция %1): %2")
                     .arg(err.offset)
                     .arg(err.errorString()));
    if (!doc.isObject())
        top.fail(QStringLiteral("ожидается объект JSON"));
    const QJsonObject j = doc.object();
    top.checkKeys(j, {"name", "title", "progress", "passes", "pages"});
    Template t;
    t.file = file;
    t.name = top.string(j, "name");
    t.title = top.string(j, "title");
    t.progress = top.flag(j, "progress");
    t.passes = top.integer(j, "passes", 1);
    if (t.passes < 1 || t.passes > 2)
        top.fail(QStringLiteral("число проходов должно быть 1 или 2"));
    const QJsonArray pages = top.array(j, "pages");
    for (int pi = 0; pi < pages.size(); ++pi) {
        const Reader pr(file, QStringLiteral("страница %1").arg(pi));
        const QJsonObject pj = pr.object(pages[pi]);
        pr.checkKeys(
            pj, {"name", "paper", "orientation", "margins", "paperSource", "bands", "objects"});
        FormPage page;
        page.name = pr.string(pj, "name");
        const QJsonArray paper = pr.array(pj, "paper");
        if (!paper.isEmpty()) {
            if (paper.size() != 2 || !paper[0].isDouble() || !paper[1].isDouble())
                pr.fail(QStringLiteral("бумага задаётся как [ширина, высота] в 0,1 мм"));
            page.paperWidth = paper[0].toInt();
            page.paperHeight = paper[1].toInt();
            if (page.paperWidth < 100 || page.paperHeight < 100 || page.paperWidth > 20000 ||
                page.paperHeight > 20000)
                pr.fail(QStringLiteral("неверный размер бумаги"));
        }
        page.paperSource = pr.integer(pj, "paperSource", 0);
        const QString orientation = pr.string(pj, "orientation", QStringLiteral("portrait"));
        if (orientation != QLatin1String("portrait") && orientation != QLatin1String("landscape"))
            pr.fail(QStringLiteral("ориентация должна быть portrait или landscape"));
        page.landscape = orientation == QLatin1String("landscape");
        const QString margins = pr.string(pj, "margins", QStringLiteral("printer"));
        if (margins != QLatin1String("printer") && margins != QLatin1String("none"))
            pr.fail(QStringLiteral("поля должны быть printer или none"));
        page.margins = margins == QLatin1String("none") ? MarginsMode::None : MarginsMode::Printer;
        for (const QJsonValue& bv : pr.array(pj, "bands")) {
            const QJsonObject bj = pr.object(bv);
            Band band;
            band.name = bj.value(QLatin1String("name")).toString();
            const Reader br(file, QStringLiteral("бэнд %1").arg(band.name));
            if (band.name.isEmpty())
                pr.fail(QStringLiteral("у бэнда нет имени"));
            br.checkKeys(bj, {"name", "type", "y", "height", "stretch", "repeat", "dataset",
                              "parent", "visible", "objects"});
            band.type = bandType(br, br.string(bj, "type"));
            band.y = br.integer(bj, "y", 0);
            band.height = br.integer(bj, "height", 0, true);
            if (band.height < 0)
                br.fail(QStringLiteral("отрицательная высота"));
            band.stretch = br.flag(bj, "stretch");
            band.repeatOnEverySheet = br.flag(bj, "repeat");
            band.dataSource = br.string(bj, "dataset");
            band.parent = br.string(bj, "parent");
            band.visible = !bj.contains(QLatin1String("visible")) || br.flag(bj, "visible");
            for (const QJsonValue& ov : br.array(bj, "objects"))
                band.objects.push_back(
                    readObject(file, QStringLiteral("бэнд %1").arg(band.name), ov));
            page.bands.push_back(std::move(band));
        }
        for (const QJsonValue& ov : pr.array(pj, "objects"))
            page.objects.push_back(readObject(file, QStringLiteral("страница %1").arg(pi), ov));
        t.pages.push_back(std::move(page));
    }
    t.validate();
    return t;
}

void Template::validate() const {
    const Reader top(file, QStringLiteral("шаблон"));
    if (pages.empty())
        top.fail(QStringLiteral("нет ни одной страницы"));
    QSet<QString> names;
    auto checkObject = [&](const FormObject& o, int pageIndex) {
        const Reader r(file, QStringLiteral("объект %1").arg(o.name));
        if (names.contains(o.name.toLower()))
            r.fail(QStringLiteral("имя повторяется"));
        names.insert(o.name.toLower());
        const QSize sheet = pages[size_t(pageIndex)].sizeUnits();
        if (o.x < 0 || o.x + o.w > sheet.width())
            r.fail(QStringLiteral("объект выходит за ширину листа (%1)").arg(sheet.width()));
        for (const ScriptStatement& s : o.statements) {
            bool found = s.sumBand.isEmpty();
            for (const FormPage& p : pages)
                for (const Band& b : p.bands)
                    found = found || b.name.compare(s.sumBand, Qt::CaseInsensitive) == 0;
            if (!found)
                r.fail(QStringLiteral("сценарий суммирует по несуществующему бэнду %1")
                           .arg(s.sumBand));
        }
    };
    QSet<QString> pageNames;
    for (size_t pi = 0; pi < pages.size(); ++pi) {
        const FormPage& p = pages[pi];
        if (!p.name.isEmpty()) {
            if (pageNames.contains(p.name.toLower()))
                top.fail(QStringLiteral("имя страницы %1 повторяется").arg(p.name));
            pageNames.insert(p.name.toLower());
        }
        int summaries = 0, titles = 0;
        for (const Band& b : p.bands) {
            const Reader br(file, QStringLiteral("бэнд %1").arg(b.name));
            if (names.contains(b.name.toLower()))
                br.fail(QStringLiteral("имя повторяется"));
            names.insert(b.name.toLower());
            summaries += b.type == BandType::ReportSummary;
            titles += b.type == BandType::ReportTitle;
            if (b.type == BandType::Child) {
                bool found = false;
                for (const Band& other : p.bands)
                    found = found || (&other != &b &&
                                      other.name.compare(b.parent, Qt::CaseInsensitive) == 0);
                if (!found)
                    br.fail(QStringLiteral("нет родительского бэнда \"%1\"").arg(b.parent));
            }
            for (const FormObject& o : b.objects)
                checkObject(o, int(pi));
        }
        if (summaries > 1 || titles > 1)
            top.fail(
                QStringLiteral("на странице %1 больше одного заголовка или итога отчёта").arg(pi));
        for (const FormObject& o : p.objects)
            checkObject(o, int(pi));
    }
}

Template Template::load(const QString& templateName) {
    initTemplates();
    const QString path = QStringLiteral(":/forms/templates/%1.json").arg(templateName);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Шаблон отчёта %1 не найден").arg(templateName));
    return fromJson(f.readAll(), QStringLiteral("%1.json").arg(templateName));
}

} // namespace Forms
