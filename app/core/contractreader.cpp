#include "core/contractreader.h"

#include "core/apperror.h"
#include "core/cp1251.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QVarLengthArray>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <new>

TRefItemList RefItemList;
TContTitle ContTitle;
TContDataList ContDataList;

namespace {

// KOI8-R byte -> Windows-1251 byte. 01..7F stay as they are; the letters and the few symbols
// both code pages know map exactly; box drawing and the other pseudographics become plain
// approximations. Nothing maps to '#', CR or LF.
constexpr std::array<unsigned char, 128> kKoi8High = {
    // 80
    0x2D, 0xA6, 0x2D, 0xAC, 0x4C, 0x2D, 0x2B, 0x2B, //
    0x54, 0x2B, 0x2B, 0x2D, 0x2D, 0x2D, 0xA6, 0xA6, //
    // 90
    0x2D, 0x2D, 0x2D, 0x3F, 0xA6, 0x95, 0x76, 0x3F, //
    0x3F, 0x3F, 0x20, 0x3F, 0xB0, 0x3F, 0xB7, 0x3F, //
    // A0
    0x3D, 0xA6, 0x2D, 0xB8, 0xE3, 0xE3, 0xAC, 0xAC, //
    0xAC, 0x4C, 0x4C, 0x4C, 0x2D, 0x2D, 0x2D, 0xA6, //
    // B0
    0xA6, 0xA6, 0xA6, 0xA8, 0xA6, 0xA6, 0x54, 0x54, //
    0x54, 0xA6, 0xA6, 0xA6, 0x2B, 0x2B, 0x2B, 0xA9, //
    // C0: ю а б ц д е ф г х и й к л м н о
    0xFE, 0xE0, 0xE1, 0xF6, 0xE4, 0xE5, 0xF4, 0xE3, //
    0xF5, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, //
    // D0: п я р с т у ж в ь ы з ш э щ ч ъ
    0xEF, 0xFF, 0xF0, 0xF1, 0xF2, 0xF3, 0xE6, 0xE2, //
    0xFC, 0xFB, 0xE7, 0xF8, 0xFD, 0xF9, 0xF7, 0xFA, //
    // E0: Ю А Б Ц Д Е Ф Г Х И Й К Л М Н О
    0xDE, 0xC0, 0xC1, 0xD6, 0xC4, 0xC5, 0xD4, 0xC3, //
    0xD5, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, //
    // F0: П Я Р С Т У Ж В Ь Ы З Ш Э Щ Ч Ъ
    0xCF, 0xDF, 0xD0, 0xD1, 0xD2, 0xD3, 0xC6, 0xC2, //
    0xDC, 0xDB, 0xC7, 0xD8, 0xDD, 0xD9, 0xD7, 0xDA, //
};

const QString kTagOpen[4] = {QStringLiteral("[REFERENCEBOOKS]"), QStringLiteral("[CONTRACT]"),
                             QStringLiteral("[CONTRACT2]"), QStringLiteral("[CONTRACT3]")};
const QString kTagClose[4] = {QStringLiteral("[/REFERENCEBOOKS]"), QStringLiteral("[/CONTRACT]"),
                              QStringLiteral("[/CONTRACT2]"), QStringLiteral("[/CONTRACT3]")};
enum Section { RefBooks, Header, Positions, Distribution };

// A failed check: the message of the check itself, and the cause as the read error names it
// on its second line ("не существует", "строка 12, поле 3: ...").
class ReadFailure : public AppError {
public:
    ReadFailure(const QString& message, QString cause)
        : AppError(message), m_cause(std::move(cause)) {}
    const QString& cause() const { return m_cause; }

private:
    QString m_cause;
};

[[noreturn]] void fail(const QString& message, const QString& cause) {
    throw ReadFailure(message, cause);
}
[[noreturn]] void fail(const QString& message) {
    throw ReadFailure(message, message);
}

// Splits a text into lines at CR, LF or CR LF; a final line break adds no empty line. The
// lines are views into `text`.
QList<QStringView> splitLines(const QString& text) {
    QList<QStringView> lines;
    const QChar* p = text.constData();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c == u'\r' || c == u'\n') {
            lines.append(QStringView(p + start, i - start));
            if (c == u'\r' && i + 1 < n && p[i + 1].unicode() == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(QStringView(p + start, n - start));
    return lines;
}

// The KOI8-R bytes up to the first zero byte, as text.
QString decodeKoi8(const QByteArray& bytes) {
    qsizetype end = bytes.indexOf('\0');
    if (end < 0)
        end = bytes.size();
    return Cp1251::decode(ConvertKoi8(bytes.left(end)));
}

// Checks line 1 against the identifier mask and returns its first 38 characters.
QString checkIdentifierLine(const QList<QStringView>& lines) {
    if (lines.isEmpty())
        fail(QStringLiteral("Файл пуст"), QStringLiteral("пустой файл"));
    const QStringView first = lines.first();
    // "{????????-????-????-????-????????????}": braces and hyphens fixed, any other character.
    bool ok = first.size() == 38 && first[0] == QLatin1Char('{') && first[37] == QLatin1Char('}');
    for (int i : {9, 14, 19, 24})
        ok = ok && first[i] == QLatin1Char('-');
    if (!ok)
        fail(QStringLiteral("Файл не соответствует формату"),
             QStringLiteral("строка 1 не является идентификатором формата"));
    return first.left(38).toString();
}

// Field access and conversions of one data line; every failure names the line and field.
class Line {
public:
    // The fields are views into `text`, which must outlive the line.
    Line(QStringView text, int lineNo) : m_lineNo(lineNo) {
        qsizetype start = 0;
        for (qsizetype hash; (hash = text.indexOf(QLatin1Char('#'), start)) >= 0; start = hash + 1)
            m_fields.append(text.mid(start, hash - start));
    }

    qsizetype count() const { return m_fields.size(); }

    QStringView view(int i) const {
        if (i >= m_fields.size())
            fail(QStringLiteral("Строка %1: нет поля %2").arg(m_lineNo).arg(i),
                 QStringLiteral("строка %1, поле %2: поля нет").arg(m_lineNo).arg(i));
        return m_fields[i];
    }
    QString str(int i) const { return view(i).toString(); }

    int integer(int i) const {
        const QStringView s = view(i);
        qsizetype k = 0;
        bool negative = false;
        if (k < s.size() && (s[k] == QLatin1Char('-') || s[k] == QLatin1Char('+')))
            negative = s[k++] == QLatin1Char('-');
        if (k == s.size())
            bad(i);
        qint64 value = 0;
        for (; k < s.size(); ++k) {
            const char16_t c = s[k].unicode();
            if (c < u'0' || c > u'9')
                bad(i);
            value = value * 10 + (c - u'0');
            if (value > qint64(std::numeric_limits<int>::max()) + 1)
                bad(i);
        }
        if (negative)
            value = -value;
        if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
            bad(i);
        return int(value);
    }

    // A decimal number with '.' as the decimal point, whatever the regional settings say.
    double number(int i) const {
        const QStringView s = view(i);
        // [+-] digits [. digits] [e [+-] digits], at least one digit in the mantissa.
        QByteArray text;
        text.reserve(s.size());
        qsizetype k = 0;
        auto at = [&](qsizetype j) { return j < s.size() ? s[j].unicode() : char16_t(0); };
        auto digits = [&]() {
            const qsizetype from = k;
            while (at(k) >= u'0' && at(k) <= u'9')
                text.append(char(s[k++].unicode()));
            return k - from;
        };
        if (at(k) == u'+')
            ++k;
        else if (at(k) == u'-')
            text.append(char(s[k++].unicode()));
        qsizetype mantissa = digits();
        if (at(k) == u'.') {
            text.append('.');
            ++k;
            mantissa += digits();
        }
        if (mantissa == 0)
            bad(i);
        if (at(k) == u'e' || at(k) == u'E') {
            text.append('e');
            ++k;
            if (at(k) == u'+' || at(k) == u'-')
                text.append(char(s[k++].unicode()));
            if (digits() == 0)
                bad(i);
        }
        if (k != s.size())
            bad(i);
        double value = 0;
        const auto r = std::from_chars(text.constData(), text.constData() + text.size(), value);
        if (r.ec != std::errc() || r.ptr != text.constData() + text.size() || !std::isfinite(value))
            bad(i);
        return value;
    }

    QDate date(int i, const Regional& regional) const {
        const QStringView s = view(i);
        QDate d = parseDate(s, regional.shortDateFormat, regional.dateSeparator);
        if (!d.isValid())
            d = parseDate(s, QStringLiteral("dd.MM.yyyy"), QLatin1Char('.'));
        if (!d.isValid())
            bad(i);
        return d;
    }

    int lineNo() const { return m_lineNo; }

private:
    [[noreturn]] void bad(int i) const {
        const QString value = m_fields[i].left(40).toString();
        fail(QStringLiteral("Строка %1, поле %2: недопустимое значение \"%3\"")
                 .arg(m_lineNo)
                 .arg(i)
                 .arg(value),
             QStringLiteral("строка %1, поле %2: недопустимое значение \"%3\"")
                 .arg(m_lineNo)
                 .arg(i)
                 .arg(value));
    }

    // A date in a short date format made of day, month and year parts joined by one
    // separator: day and month of one or two digits, the year of four.
    static QDate parseDate(QStringView s, const QString& format, QChar separator) {
        const qsizetype dPos = format.indexOf(QLatin1Char('d'));
        const qsizetype mPos = format.indexOf(QLatin1Char('M'));
        const qsizetype yPos = format.indexOf(QLatin1Char('y'));
        if (dPos < 0 || mPos < 0 || yPos < 0)
            return {};
        const QList<QStringView> parts = s.split(separator);
        if (parts.size() != 3)
            return {};
        // The order of the three parts in the format.
        auto rank = [&](qsizetype pos) {
            return int(pos > dPos) + int(pos > mPos) + int(pos > yPos);
        };
        auto part = [&](qsizetype pos, int minLen, int maxLen) {
            const QStringView p = parts[rank(pos)];
            if (p.size() < minLen || p.size() > maxLen)
                return -1;
            int v = 0;
            for (QChar c : p) {
                if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                    return -1;
                v = v * 10 + (c.unicode() - u'0');
            }
            return v;
        };
        const int day = part(dPos, 1, 2);
        const int month = part(mPos, 1, 2);
        const int year = part(yPos, 4, 4);
        if (day < 0 || month < 0 || year <= 0)
            return {};
        return QDate(year, month, day);
    }

    QVarLengthArray<QStringView, 24> m_fields;
    int m_lineNo;
};

// Directory lookups by (directory, identifier), finding the first occurrence like FindRefItem.
class RefIndex {
public:
    explicit RefIndex(const TRefItemList& list) : m_list(list) {}

    // Call after appending an element to the list.
    void added() {
        const qsizetype i = m_list.size() - 1;
        const quint64 k = key(m_list[i].refBook, m_list[i].id);
        if (!m_index.contains(k))
            m_index.insert(k, i);
    }

    // field: the number of the identifier's field on the line, for the cause of a failure.
    const TRefItem& find(int refBook, int id, int lineNo, int field) const {
        if (id == 0)
            fail(QStringLiteral("Контракт содержит пустой элемент справочника"),
                 QStringLiteral("строка %1, поле %2: пустой элемент справочника")
                     .arg(lineNo)
                     .arg(field));
        const auto it = m_index.constFind(key(refBook, id));
        if (it == m_index.constEnd())
            fail(QStringLiteral("Строка %1: элемент %2 справочника %3 не найден")
                     .arg(lineNo)
                     .arg(id)
                     .arg(refBook),
                 QStringLiteral("строка %1, поле %2: элемент %3 справочника %4 не найден")
                     .arg(lineNo)
                     .arg(field)
                     .arg(id)
                     .arg(refBook));
        return m_list[it.value()];
    }

private:
    static quint64 key(int refBook, int id) {
        return (quint64(quint32(refBook)) << 32) | quint32(id);
    }
    const TRefItemList& m_list;
    QHash<quint64, qsizetype> m_index;
};

class Parser {
public:
    explicit Parser(const Regional& regional) : m_regional(regional), m_refs(m_out.refItems) {}

    ContractContent run(const QList<QStringView>& lines) {
        bool open[4] = {false, false, false, false};
        for (qsizetype n = 0; n < lines.size(); ++n) {
            const QStringView text = lines[n];
            const int lineNo = int(n + 1);
            // Every tag starts with '['; most lines hold none.
            const bool mayHoldTag = text.contains(QLatin1Char('['));
            for (int s = 0; s < 4 && mayHoldTag; ++s) {
                if (text.contains(kTagClose[s]))
                    open[s] = false;
            }
            if (open[RefBooks])
                readElement(Line(text, lineNo));
            if (open[Header])
                readHeader(Line(text, lineNo));
            if (open[Positions])
                readPosition(Line(text, lineNo));
            if (open[Distribution])
                readDistribution(Line(text, lineNo));
            for (int s = 0; s < 4 && mayHoldTag; ++s) {
                if (text.contains(kTagOpen[s]))
                    open[s] = true;
            }
        }
        // Every whole file closes what it opens: one that ends inside a section was cut short.
        for (int s = 0; s < 4; ++s) {
            if (open[s])
                fail(QStringLiteral("Раздел %1 не закрыт").arg(kTagOpen[s]),
                     QStringLiteral("раздел %1 не закрыт").arg(kTagOpen[s]));
        }
        if (!m_headerRead) {
            // Without a header line the remark is the whole text, each line ending in CR LF.
            QString all;
            for (QStringView l : lines) {
                all += l;
                all += QLatin1String("\r\n");
            }
            m_out.title.rem = all;
        }
        return std::move(m_out);
    }

private:
    void readElement(const Line& l) {
        TRefItem r;
        r.refBook = l.integer(0);
        r.id = l.integer(1);
        r.clf_code = l.str(2);
        r.dt_type = l.integer(3);
        r.spr_naim = l.str(4);
        if (l.view(0) == QLatin1String("2") && l.count() >= 20) {
            QString* requisites[] = {&r.full_naim,    &r.inn,      &r.ind,      &r.adress,
                                     &r.phone,        &r.cur_acc,  &r.bank,     &r.br_bank,
                                     &r.bik,          &r.cor_acc,  &r.okpo,     &r.station,
                                     &r.station_code, &r.rlw_name, &r.recv_code};
            int f = 5;
            for (QString* field : requisites)
                *field = l.str(f++);
        }
        m_out.refItems.append(std::move(r));
        m_refs.added();
    }

    void readHeader(const Line& l) {
        l.view(7); // a header line has at least 8 fields
        TContTitle& t = m_out.title;
        t.docno = l.str(0);
        t.data = l.date(1, m_regional);
        t.dataend = l.date(2, m_regional);
        const TRefItem& agent = m_refs.find(l.integer(3), l.integer(4), l.lineNo(), 4);
        t.agent = agent.id;
        t.agents = agent.spr_naim;
        t.target = l.str(6);
        t.rem = l.str(7);
        if (l.count() >= 10)
            t.payer = l.integer(9);
        m_headerRead = true;
    }

    void readPosition(const Line& l) {
        l.view(6); // a position line has at least 7 fields
        TContData d;
        d.posNo = l.integer(0);
        const TRefItem& goods = m_refs.find(l.integer(1), l.integer(2), l.lineNo(), 2);
        d.elem = goods.id;
        d.elemC = goods.clf_code;
        d.elemS = goods.spr_naim;
        d.unit = m_refs.find(l.integer(3), l.integer(4), l.lineNo(), 4).spr_naim;
        if (l.view(5) != QLatin1String("0"))
            d.kat = l.str(5);
        d.gost = l.str(6);
        if (l.count() == 10)
            d.comment = l.str(9);
        if (!m_positions.contains(d.posNo))
            m_positions.insert(d.posNo, m_out.items.size());
        m_out.items.append(std::move(d));
    }

    void readDistribution(const Line& l) {
        const TRefItem& recipient = m_refs.find(l.integer(1), l.integer(2), l.lineNo(), 2);
        const int posNo = l.integer(0);
        // The first record of the position; copies always follow their position, so the
        // first record with a number is the position's own.
        const auto it = m_positions.constFind(posNo);
        if (it == m_positions.constEnd())
            return;
        TContData share = m_out.items[it.value()];
        share.recip = recipient.id;
        share.recipC = recipient.clf_code;
        share.recipS = recipient.spr_naim;
        share.data = l.date(3, m_regional);
        share.quant = l.number(4);
        share.summa = l.number(5);
        if (m_out.items[it.value()].recip == 0)
            m_out.items[it.value()] = std::move(share);
        else
            m_out.items.append(std::move(share));
    }

    const Regional& m_regional;
    ContractContent m_out;
    RefIndex m_refs;
    QHash<int, qsizetype> m_positions; // position number -> its first record
    bool m_headerRead = false;
};

QByteArray readBounded(const QString& fileName) {
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.exists())
        fail(QStringLiteral("Файл не существует !"), QStringLiteral("не существует"));
    if (!info.isFile())
        fail(QStringLiteral("Файл не соответствует формату"),
             info.isDir() ? QStringLiteral("это каталог, а не файл")
                          : QStringLiteral("не является обычным файлом"));
    const QString tooBig =
        QStringLiteral("слишком большой: больше %1 МБ").arg(kMaxContractFileSize / (1024 * 1024));
    if (info.size() > kMaxContractFileSize)
        fail(QStringLiteral("Файл слишком велик"), tooBig);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Не удалось открыть файл: %1").arg(file.errorString()),
             QStringLiteral("не открывается: %1").arg(file.errorString()));
    // The size is checked again while reading: the file may grow after the check.
    QByteArray bytes = file.read(kMaxContractFileSize + 1);
    if (bytes.size() > kMaxContractFileSize)
        fail(QStringLiteral("Файл слишком велик"), tooBig);
    if (file.error() != QFileDevice::NoError)
        fail(QStringLiteral("Не удалось прочитать файл: %1").arg(file.errorString()),
             QStringLiteral("не читается: %1").arg(file.errorString()));
    return bytes;
}

// True for text that is valid UTF-8 and holds Cyrillic letters in it: a contract file that an
// editor saved again in UTF-8. Read as KOI8-R it would be garbage; a real KOI8-R text with
// Russian letters is never valid UTF-8 (its letters are all lead bytes).
bool isUtf8Cyrillic(const QByteArray& bytes) {
    bool cyrillic = false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n && p[i] != 0;) {
        const unsigned char b = p[i];
        int more = 0;
        if (b < 0x80)
            more = 0;
        else if (b >= 0xC2 && b <= 0xDF)
            more = 1;
        else if (b >= 0xE0 && b <= 0xEF)
            more = 2;
        else if (b >= 0xF0 && b <= 0xF4)
            more = 3;
        else
            return false;
        if (i + more >= n && more > 0)
            return false;
        for (int k = 1; k <= more; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        }
        // U+0400..U+04FF: lead bytes D0..D3.
        if (more == 1 && b >= 0xD0 && b <= 0xD3)
            cyrillic = true;
        i += 1 + more;
    }
    return cyrillic;
}

// True when the start of the data holds control bytes no text file has: binary data, or text
// in another encoding (UTF-16, say).
bool looksBinary(const QByteArray& bytes) {
    const QByteArray head = bytes.left(64);
    for (char c : head) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && b != '\r' && b != '\n' && b != '\f')
            return true;
    }
    return false;
}

// Parses the raw bytes of a whole file.
ContractContent parseBytes(const QByteArray& bytes, const Regional& regional) {
    if (isUtf8Cyrillic(bytes))
        fail(QStringLiteral("Файл в кодировке UTF-8"),
             QStringLiteral("файл в кодировке UTF-8, ожидается KOI8-R"));
    const QString text = decodeKoi8(bytes);
    const QList<QStringView> lines = splitLines(text);
    QString identifier;
    try {
        identifier = checkIdentifierLine(lines);
    } catch (const ReadFailure& e) {
        if (looksBinary(bytes))
            fail(e.message(), QStringLiteral("не в кодировке KOI8-R"));
        throw;
    }
    if (identifier != CONTRACTS_GUID)
        fail(QStringLiteral("Файл не соответствует формату контрактов"),
             QStringLiteral("не файл контракта: идентификатор формата %1").arg(identifier));
    return Parser(regional).run(lines);
}

// Runs a read step and turns whatever it raises into the one read error: its first line as
// it always was, the file and the cause on the next.
template <class F> auto guarded(const QString& fileName, F&& step) -> decltype(step()) {
    QString cause;
    try {
        return step();
    } catch (const ReadFailure& e) {
        cause = e.cause();
    } catch (const AppError& e) {
        cause = e.message();
    } catch (const std::bad_alloc&) {
        cause = QStringLiteral("не хватает памяти");
    } catch (...) {
        cause = QStringLiteral("не читается");
    }
    const QString where =
        fileName.isEmpty() ? QString() : QDir::toNativeSeparators(fileName) + QStringLiteral(": ");
    throw AppError(kContractReadError + QLatin1Char('\n') + where + cause + QLatin1Char('.'));
}

} // namespace

unsigned char ConvertKoi8Byte(unsigned char koi8) {
    return koi8 < 0x80 ? koi8 : kKoi8High[koi8 - 0x80];
}

QByteArray ConvertKoi8(const QByteArray& koi8) {
    QByteArray out(koi8.size(), Qt::Uninitialized);
    const auto* in = reinterpret_cast<const unsigned char*>(koi8.constData());
    char* o = out.data();
    for (qsizetype i = 0; i < koi8.size(); ++i)
        o[i] = char(ConvertKoi8Byte(in[i]));
    return out;
}

QStringList SplitFields(const QString& line) {
    QStringList fields;
    qsizetype start = 0;
    for (;;) {
        const qsizetype hash = line.indexOf(QLatin1Char('#'), start);
        if (hash < 0)
            break;
        fields.append(line.mid(start, hash - start));
        start = hash + 1;
    }
    return fields;
}

int FindRefItem(const TRefItemList& list, int refBook, int id) {
    if (id == 0)
        fail(QStringLiteral("Контракт содержит пустой элемент справочника"));
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list[i].refBook == refBook && list[i].id == id)
            return int(i);
    }
    fail(QStringLiteral("Элемент %1 справочника %2 не найден").arg(id).arg(refBook));
}

QString LoadContractText(const QString& fileName, QStringList& lines) {
    const QString text = decodeKoi8(readBounded(fileName));
    const QList<QStringView> views = splitLines(text);
    lines.clear();
    lines.reserve(views.size());
    for (QStringView v : views)
        lines.append(v.toString());
    return checkIdentifierLine(views);
}

ContractContent ParseContract(const QByteArray& bytes, const Regional& regional) {
    return guarded(QString(), [&] { return parseBytes(bytes, regional); });
}

ContractContent ReadContract(const QString& fileName, const Regional& regional) {
    return guarded(fileName, [&] { return parseBytes(readBounded(fileName), regional); });
}

void ReadContractFile(const QString& fileName, const Regional& regional) {
    ContractContent content = ReadContract(fileName, regional);
    RefItemList = std::move(content.refItems);
    ContTitle = std::move(content.title);
    ContDataList = std::move(content.items);
}
