#include "forms/pdf417converter.h"

#include "core/apperror.h"
#include "core/cp1251.h"

#include <zint.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kQuietZone = 2; // light modules on each side of every row

bool moduleIsDark(const zint_symbol& symbol, int row, int column) {
    return (symbol.encoded_data[row][column >> 3] >> (column & 7)) & 1;
}

void appendRun(QString& line, int length) {
    while (length > 9) {
        line += QLatin1String("90");
        length -= 9;
    }
    line += QChar(u'0' + length);
}

// The glyph line of one symbol row: quiet zone, the row's modules, quiet zone.
QString rowLine(const zint_symbol& symbol, int row) {
    QString line;
    line.reserve(symbol.width / 2 + 4);
    bool dark = false;
    int run = kQuietZone;
    for (int column = 0; column < symbol.width; ++column) {
        const bool d = moduleIsDark(symbol, row, column);
        if (d == dark) {
            ++run;
        } else {
            appendRun(line, run);
            dark = d;
            run = 1;
        }
    }
    if (dark) {
        appendRun(line, run);
        run = 0;
    }
    appendRun(line, run + kQuietZone);
    return line;
}

} // namespace

struct Pdf417Converter::Encoder {
    zint_symbol* symbol = nullptr;
    ~Encoder() {
        if (symbol)
            ZBarcode_Delete(symbol);
    }
};

Pdf417Converter::Pdf417Converter() = default;
Pdf417Converter::~Pdf417Converter() = default;

QByteArray Pdf417Converter::checked(const QString& text, int s1, int s2, int s3) const {
    if (s1 < -1 || s1 > 8)
        throw AppError(QStringLiteral("Неверный уровень коррекции ошибок штрих-кода PDF417: %1 "
                                      "(допустимо от 0 до 8 или -1 — автоматически)")
                           .arg(s1));
    if (s2 < 0 || s2 > 30)
        throw AppError(QStringLiteral("Неверное число столбцов штрих-кода PDF417: %1 "
                                      "(допустимо от 1 до 30 или 0 — автоматически)")
                           .arg(s2));
    if (s3 != 0 && (s3 < 3 || s3 > 90))
        throw AppError(QStringLiteral("Неверное число строк штрих-кода PDF417: %1 "
                                      "(допустимо от 3 до 90 или 0 — автоматически)")
                           .arg(s3));
    if (text.isEmpty())
        throw AppError(QStringLiteral("Пустой текст штрих-кода PDF417"));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (Cp1251::fromUnicode(text.at(i).unicode()) < 0)
            throw AppError(QStringLiteral("Символ «%1» (позиция %2) нельзя записать в штрих-код "
                                          "PDF417: его нет в кодировке Windows-1251")
                               .arg(text.at(i))
                               .arg(i + 1));
    }
    return Cp1251::encode(text);
}

QString Pdf417Converter::Convert(const QString& text, int s1, int s2, int s3) {
    return encode(checked(text, s1, s2, s3), s1, s2, s3);
}

QString Pdf417Converter::Convert(const QString& text, int s1, int s2, int s3,
                                 const Pdf417Room& room) {
    const QByteArray bytes = checked(text, s1, s2, s3);
    if (s3 > 0 || !(room.width > 0) || !(room.height > 0))
        return encode(bytes, s1, s2, s3);
    const int widest = Pdf417MaxColumns(room.width);
    for (int columns = s2 > 0 ? s2 : widest; columns < widest; ++columns) {
        QString code;
        try {
            code = encode(bytes, s1, columns, 0);
        } catch (const AppError&) {
            continue; // more rows than a symbol has at these columns: wider, then
        }
        const qsizetype rows = code.count(QLatin1Char('\n')) + 1;
        if (double(rows) * room.pitch <= room.height)
            return code;
    }
    return encode(bytes, s1, qMax(s2, widest), 0);
}

QString Pdf417Converter::encode(const QByteArray& bytes, int s1, int s2, int s3) {
    if (!m_encoder) {
        auto encoder = std::make_unique<Encoder>();
        encoder->symbol = ZBarcode_Create();
        if (!encoder->symbol)
            throw AppError(QStringLiteral("Не удалось запустить построение штрих-кода PDF417: "
                                          "недостаточно памяти"));
        m_encoder = std::move(encoder);
    }
    zint_symbol* symbol = m_encoder->symbol;
    ZBarcode_Clear(symbol);
    symbol->symbology = BARCODE_PDF417;
    symbol->input_mode = DATA_MODE;
    symbol->eci = 0;
    symbol->option_1 = s1;
    symbol->option_2 = s2;
    symbol->option_3 = s3;
    symbol->structapp = {};
    symbol->output_options = 0;
    symbol->debug = 0;
    symbol->height = 0; // row heights are not used: every row becomes one glyph line
    symbol->warn_level = WARN_DEFAULT;

    const int rc = ZBarcode_Encode(
        symbol, reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
    // A symbol with more columns or rows than asked for is a failure, not a silently wider or
    // taller symbol: the forms leave room for the asked-for size only.
    const int columns = symbol->width > 0 ? (symbol->width - 69) / 17 : 0;
    const bool resized =
        rc < ZINT_ERROR && ((s2 > 0 && columns != s2) || (s3 > 0 && symbol->rows != s3));
    if (rc == ZINT_ERROR_TOO_LONG || resized) {
        QString limits =
            s2 > 0 ? QStringLiteral("%1 столбцах").arg(s2) : QStringLiteral("любом числе столбцов");
        if (s3 > 0)
            limits += QStringLiteral(" и %1 строках").arg(s3);
        throw AppError(QStringLiteral("Текст штрих-кода слишком длинный для одного символа "
                                      "PDF417 при %1: %2 байт")
                           .arg(limits)
                           .arg(bytes.size()));
    }
    if (rc >= ZINT_ERROR)
        throw AppError(QStringLiteral("Ошибка построения штрих-кода PDF417: %1")
                           .arg(QString::fromUtf8(symbol->errtxt)));
    if (symbol->rows <= 0 || symbol->width <= 0)
        throw AppError(QStringLiteral("Ошибка построения штрих-кода PDF417: пустой символ"));

    QString out;
    out.reserve(symbol->rows * (symbol->width / 2 + 5));
    for (int row = 0; row < symbol->rows; ++row) {
        if (row > 0)
            out += QLatin1Char('\n');
        out += rowLine(*symbol, row);
    }
    return out;
}

int Pdf417MaxColumns(double width) {
    // A line of c data columns is 17 * (c + 4) + 1 modules plus the two quiet zones.
    const int modules = int(std::floor(width + 1e-9));
    return qMax(1, (modules - 2 * kQuietZone - 1) / 17 - 4);
}

Pdf417Layout Pdf417Fit(int rows, int modules, const Pdf417Room& room) {
    Pdf417Layout full{1.0, room.pitch};
    if (rows <= 0 || modules <= 0 || !(room.width > 0) || !(room.height > 0) || !(room.pitch > 0))
        return full;
    constexpr double kSlack = 1e-9; // a symbol exactly as tall or wide as its room fits
    if (modules <= room.width + kSlack && rows * room.pitch <= room.height + kSlack)
        return full;
    const double pitch = qMin(room.pitch, room.height / rows);
    const double module = std::min({1.0, room.width / modules, pitch / 3.0});
    return {module, pitch};
}

Pdf417Converter& programConverter() {
    static Pdf417Converter converter;
    return converter;
}

QString ConvertChunk(Pdf417Converter& converter, const QStringList& chunks, int i,
                     const Pdf417Settings& settings) {
    if (i < 0 || i >= chunks.size())
        throw AppError(QStringLiteral("Нет текста для штрих-кода PDF417 № %1 (всего текстов: %2)")
                           .arg(i + 1)
                           .arg(chunks.size()));
    return converter.Convert(chunks.at(i), settings.first, settings.second, settings.third);
}

QString ConvertChunk(const QStringList& chunks, int i, const Pdf417Settings& settings) {
    return ConvertChunk(programConverter(), chunks, i, settings);
}

QString ConvertChunk(Pdf417Converter& converter, const QStringList& chunks, int i,
                     const Pdf417Settings& settings, const Pdf417Room& room) {
    if (i < 0 || i >= chunks.size())
        return ConvertChunk(converter, chunks, i, settings); // raises the error
    return converter.Convert(chunks.at(i), settings.first, settings.second, settings.third, room);
}

QString ConvertChunk(const QStringList& chunks, int i, const Pdf417Settings& settings,
                     const Pdf417Room& room) {
    return ConvertChunk(programConverter(), chunks, i, settings, room);
}
