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
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

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

    // True once the first conversion has attached the encoder.
    bool isConnected() const { return m_encoder != nullptr; }

private:
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
