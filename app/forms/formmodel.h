// Report templates: form pages, bands and objects, positioned in form units.
#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

namespace Forms {

// One form unit is 1/91.6256 inch; a millimetre is 1/0.2772 units when sizing paper.
constexpr double kUnitsPerInch = 91.6256;
constexpr double kMmPerUnit = 0.2772;
int mmToUnits(double mm);

enum class BandType {
    ReportTitle,
    ColumnHeader,
    MasterHeader,
    MasterData,
    Child,
    ColumnFooter,
    ReportSummary
};
enum class HAlign { Left, Center, Right, Justify };
enum class VAlign { Top, Middle, Bottom };
// Where an object's x is set at print time against the printable limits.
enum class Placement { Stored, Left, Center, Right };
enum class NumberFormat { General, Grouped2 };
enum FrameSide { FrameTop = 1, FrameLeft = 2, FrameBottom = 4, FrameRight = 8, FrameBox = 15 };

struct FontSpec {
    QString name = QStringLiteral("Arial");
    double size = 10;
    bool bold = false;
    bool italic = false;

    bool isPdf417() const;
};

// One statement of an object's script: "var:=Sum([expr],Band);" or "var:=[expr];".
struct ScriptStatement {
    QString variable;
    QString expression;
    QString sumBand; // empty for a plain assignment
};
struct FormObject {
    // Pdf417: a text object whose font is "Code PDF417": its lines are converter output,
    // drawn as symbol modules (decided when the object is made, from its font).
    enum class Kind { Text, Line, Barcode128, Pdf417 };
    Kind kind = Kind::Text;
    QString name;
    int x = 0, y = 0, w = 0, h = 0;
    QStringList lines; // text lines; "[name]" refers to a variable
    FontSpec font;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    int frameSides = 0;
    double frameWidth = 1;
    bool stretch = false;
    bool wordWrap = false;
    int lineSpacing = 2;
    NumberFormat format = NumberFormat::General;
    bool hideZeros = false;
    bool underlines = false;
    QStringList script;
    std::vector<ScriptStatement> statements; // the script, parsed when the object is made
    Placement placement = Placement::Stored;
    // Code 128 objects
    int moduleWidth = 1;
    bool showText = false;

    QRect rect() const { return QRect(x, y, w, h); }
    QString text() const { return lines.join(QLatin1Char('\n')); }
    void setText(const QString& text) { lines = text.split(QLatin1Char('\n')); }
};

// The statements of a script ("begin" and "end" lines are skipped). Throws AppError naming the
// template file and the object for a line it does not understand.
std::vector<ScriptStatement> parseScript(const FormObject& object, const QString& file);
// Sets the object's kind from its font and parses its script: what loading does for every
// object, and what an object made at run time needs before it is prepared.
void finishObject(FormObject& object, const QString& file);

struct Band {
    QString name;
    BandType type = BandType::MasterData;
    int y = 0;
    int height = 0;
    bool stretch = false;
    bool repeatOnEverySheet = false;
    QString dataSource;  // master data: the row source's name
    QString parent;      // child: the band it follows
    bool visible = true; // a hidden child band does not print
    std::vector<FormObject> objects;
};

enum class MarginsMode { Printer, None };

struct FormPage {
    QString name; // the page's own name ("Page2"), unique in the template; may be empty
    // Paper in tenths of a millimetre, as if portrait; landscape swaps the sides.
    int paperWidth = 2100;
    int paperHeight = 2970;
    bool landscape = false;
    MarginsMode margins = MarginsMode::Printer;
    int paperSource = 0; // the printer's paper source; 0 = the printer's default
    std::vector<Band> bands;
    std::vector<FormObject> objects; // outside every band, y from the paper's top

    QSize sizeUnits() const; // the sheet in form units, orientation applied
    QSizeF sizeMm() const;   // the sheet in millimetres, orientation applied
    Band* band(const QString& bandName);
};

struct Template {
    QString name;  // e.g. "frBarCode"
    QString title; // the report's title
    QString file;  // where it was loaded from, for messages
    bool progress = false;
    int passes = 1; // a second pass gives the same sheets here; kept as the form states it
    std::vector<FormPage> pages;

    // Case-insensitive lookup over every page, band and free object.
    FormObject* findObject(const QString& name);
    Band* findBand(const QString& name);

    // Loads a template compiled into the program (":/forms/templates/NAME.json").
    static Template load(const QString& name);
    // Parses and validates template JSON; `file` names the source in error messages.
    static Template fromJson(const QByteArray& json, const QString& file);
    // Throws AppError naming the file and the object when the template is inconsistent.
    void validate() const;
};

} // namespace Forms
