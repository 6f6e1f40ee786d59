// The PDF417 converter: turns a symbol text into lines of "Code PDF417" glyphs.
//
// Glyph code
// ----------
// The converter returns one line of characters per symbol row, rows from top to bottom,
// separated by "\n" (a single line feed, no trailing line break). Every line describes the
// row's modules from left to right as runs of one colour:
//
//   - each character is one run; '1'..'9' are runs of 1..9 modules, '0' an empty run (a
//     longer run is written as "9", "0", then the rest, which PDF417 rows never need);
//   - runs alternate in colour, and the first run of a line is light;
//   - so the characters at even positions (0, 2, 4, ...) are light runs, the others dark.
//
// A line holds the left quiet zone (2 light modules), the start pattern, the left row
// indicator, the data codewords, the right row indicator, the stop pattern and the right
// quiet zone (2 light modules). A symbol of c data columns is 17 * (c + 4) + 1 modules wide
// without its quiet zones, 17 * (c + 4) + 5 modules with them: 205 and 209 at 8 columns,
// 188 and 192 at 7. The quiet zones are equal on both sides, so centring the whole line
// centres the symbol. Pdf417Glyphs (pdf417glyphs.h) reads and paints this code.
//
// The code uses digits only: the text survives report variables, the Windows-1251 code page
// and any word wrapping that breaks lines at spaces.
//
// Layout rule
// -----------
// A symbol prints inside the rectangle of the object that holds it, and nowhere else: a row
// that runs into the headings, off the sheet or into the next symbol is lost data. The
// object's room (Pdf417Room) is its width less the inner gaps (2 units each side) by the
// height from 1 unit below its top down to its limit:
//
//   - an object that does not stretch: its own bottom edge;
//   - a stretching object: the top of the first object below it in its band (or on its page)
//     that shares some of its width, less 1 unit so the rows stay clear of a frame drawn on
//     that edge; with no such object, the bottom of the printable area, the band taken at the
//     top of it. Never above the object's design bottom. The object grows to hold its rows
//     (1 unit plus the rows' height), up to that limit.
//
// Forms::Report::symbolRoom gives an object's room from its template. In that room:
//
//   1. Columns (the converter, Convert with a room): the asked-for number of data columns is
//      the least. If the rows do not fit the room's height at the object's line pitch, the
//      symbol is widened a column at a time, up to the widest whose lines fit the room's width
//      at a 1-unit module (17 * (c + 4) + 5 <= width: 12 columns at 284 units, 8 at 216), and
//      the first that fits is taken, else the widest. Asked-for rows, or more columns than the
//      width holds, leave the columns as asked.
//   2. Rows and modules (the engine, Pdf417Fit): lines that fit at the line pitch (4 units for
//      "Code PDF417" 8 pt with spacing -7) and a 1-unit module print so. Otherwise the pitch
//      is lowered to share out the room's height, and the module is lowered only where the
//      lines are wider than the room or the pitch would fall below 3 module widths:
//        module = min(1, width / line modules, height / (3 * rows), pitch / 3)
//        row pitch = min(line pitch, height / rows)
//
// So the 4-unit pitch and the 1-unit module stay wherever the symbol fits with them, and no
// symbol ever leaves its room.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// The room a symbol's rows may fill, in form units (see the layout rule above).
struct Pdf417Room {
    double width = 0;  // the object's width less its inner gaps
    double height = 0; // from the first row's top to the object's limit
    double pitch = 4;  // the object's line pitch: a row's height at full size
};

// Module width and row pitch of a symbol, in form units.
struct Pdf417Layout {
    double module = 1;
    double pitch = 4;
};

// The layout of `rows` lines of at most `modules` modules in `room` (rule 2 above). A room
// with no width or height leaves the full size.
Pdf417Layout Pdf417Fit(int rows, int modules, const Pdf417Room& room);

// The most data columns whose lines (quiet zones included) fit `width` units at a 1-unit
// module; at least 1.
int Pdf417MaxColumns(double width);

// One PDF417 symbol per conversion. The encoder behind it is attached at the first
// conversion and kept for the converter's lifetime.
class Pdf417Converter {
public:
    Pdf417Converter();
    ~Pdf417Converter();
    Pdf417Converter(const Pdf417Converter&) = delete;
    Pdf417Converter& operator=(const Pdf417Converter&) = delete;

    // Encodes the Windows-1251 bytes of `text` as one symbol and returns its glyph lines (see
    // above). The bytes go in as they are, with no ECI: the encoder picks text, numeric or byte
    // compaction stretch by stretch, and a reader gets the same bytes back.
    //   s1: error-correction level 0..8, or -1 for the level that suits the data length;
    //   s2: number of data columns 1..30 (0 lets the encoder choose);
    //   s3: number of rows 3..90, or 0 for as many as the data needs.
    // Throws AppError when the text is empty, holds a character with no Windows-1251 code,
    // does not fit one symbol of the given columns and rows, or a setting is out of range.
    QString Convert(const QString& text, int s1, int s2, int s3);
    // The same, widened for the object's room by rule 1 above: s2 is the least number of
    // columns (0: the widest the room holds). A room with no width or height changes nothing.
    QString Convert(const QString& text, int s1, int s2, int s3, const Pdf417Room& room);

    // True once the first conversion has attached the encoder.
    bool isConnected() const { return m_encoder != nullptr; }

private:
    QByteArray checked(const QString& text, int s1, int s2, int s3) const;
    QString encode(const QByteArray& bytes, int s1, int s2, int s3);

    struct Encoder;
    std::unique_ptr<Encoder> m_encoder;
};

// The converter's three settings as the waybill keeps them between prints.
struct Pdf417Settings {
    qint16 first = -1; // error-correction level, -1 automatic
    qint16 second = 8; // data columns: 8 on the waybills, 7 on the barcode sheet
    int third = 0;     // rows, 0 automatic
};

// The converter of the program's run: created at the first call and kept until exit.
Pdf417Converter& programConverter();

// The converter's output for symbol text i of `chunks` with the settings as they stand.
// Throws AppError when i is not an index of `chunks`, or when the conversion fails.
QString ConvertChunk(const QStringList& chunks, int i, const Pdf417Settings& settings);
QString ConvertChunk(Pdf417Converter& converter, const QStringList& chunks, int i,
                     const Pdf417Settings& settings);
// The same, widened for the room of the object that prints it (Forms::Report::symbolRoom).
QString ConvertChunk(const QStringList& chunks, int i, const Pdf417Settings& settings,
                     const Pdf417Room& room);
QString ConvertChunk(Pdf417Converter& converter, const QStringList& chunks, int i,
                     const Pdf417Settings& settings, const Pdf417Room& room);
