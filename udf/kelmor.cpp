#include "kelmor.h"

#include <ib_util.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// Regional settings of the date functions: the Russian ones, fixed for good. (mRound reads
// its text back with the same decimal separator it writes, so the separator does not show.)
struct Regional {
    const char* shortDateFormat;
    const char* longTimeFormat;
};
constexpr Regional kRegional{"dd.MM.yyyy", "H:mm:ss"};

// Day numbers: serial day 0 is 30 December 1899; the server's day 0 is 17 November 1858.
constexpr long kSerialToServerDay = 15018;
constexpr long kSerialToUnixDay = -25569; // serial day of 1 January 1970 is 25569
constexpr long kFirstSerialDay = -693593; // 1 January 0001
constexpr long kLastSerialDay = 2958465;  // 31 December 9999
constexpr long long kMsPerDay = 86400000;

struct Date {
    int year;
    int month;
    int day;
};

// Days from 1 January 1970 of a proleptic Gregorian date, and back.
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Date civilFromDays(long z) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int y = static_cast<int>(yoe + era * 400 + (m <= 2));
    return {y, m, d};
}

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

int currentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    if (!localtime_r(&now, &tm))
        return 2000;
    return tm.tm_year + 1900;
}

// A text from ib_util_malloc holding len bytes of src and a terminating null.
char* allocText(const char* src, size_t len) {
    if (len >= static_cast<size_t>(INT32_MAX))
        return nullptr;
    char* out = static_cast<char*>(ib_util_malloc(static_cast<long>(len + 1)));
    if (!out)
        return nullptr;
    if (len)
        std::memcpy(out, src, len);
    out[len] = '\0';
    return out;
}

// Appends the number v with at least width digits.
char* putNumber(char* out, char* end, long v, int width) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0 && n < 20);
    while (n < width && n < 20)
        digits[n++] = '0';
    while (n > 0 && out < end)
        *out++ = digits[--n];
    return out;
}

// Writes the fields of a date and time in a format pattern of the regional settings
// (d, dd, M, MM, yyyy, H, HH, m, mm, s, ss; any other character stands for itself).
char* putFormatted(char* out, char* end, const char* pattern, const Date& date, int hour,
                   int minute, int second) {
    for (const char* p = pattern; *p && out < end;) {
        const char c = *p;
        int run = 0;
        while (p[run] == c)
            ++run;
        long value = -1;
        switch (c) {
        case 'd':
            value = date.day;
            break;
        case 'M':
            value = date.month;
            break;
        case 'y':
            value = date.year;
            break;
        case 'H':
        case 'h':
            value = hour;
            break;
        case 'm':
            value = minute;
            break;
        case 's':
            value = second;
            break;
        default:
            break;
        }
        if (value < 0) {
            *out++ = c;
            ++p;
            continue;
        }
        out = putNumber(out, end, value, run);
        p += run;
    }
    return out;
}

// The date (and time) of a serial day number as allocated text; empty outside 1..9999.
char* serialDayText(const double* px, bool withTime) {
    const double x = px ? *px : 0.0;
    if (!std::isfinite(x) || x < kFirstSerialDay - 1.0 || x > kLastSerialDay + 1.0)
        return allocText("", 0);
    double whole = 0.0;
    const double frac = std::fabs(std::modf(x, &whole));
    long day = static_cast<long>(whole);
    long long ms = std::llround(frac * static_cast<double>(kMsPerDay));
    if (ms >= kMsPerDay) { // the time of day rounds up to the next midnight
        ms -= kMsPerDay;
        ++day;
    }
    if (day < kFirstSerialDay || day > kLastSerialDay)
        return allocText("", 0);
    const Date date = civilFromDays(day + kSerialToUnixDay);
    const int hour = static_cast<int>(ms / 3600000);
    const int minute = static_cast<int>(ms / 60000 % 60);
    const int second = static_cast<int>(ms / 1000 % 60);

    char buf[64];
    char* const end = buf + sizeof buf;
    char* out = putFormatted(buf, end, kRegional.shortDateFormat, date, 0, 0, 0);
    if (withTime && (hour || minute || second) && out < end) {
        *out++ = ' ';
        out = putFormatted(out, end, kRegional.longTimeFormat, date, hour, minute, second);
    }
    return allocText(buf, static_cast<size_t>(out - buf));
}

__extension__ typedef __int128 Wide;

// The number written by the longest run of digits at the end of s (0 when there is none).
Wide trailingNumber(const char* s) {
    if (!s)
        return 0;
    const size_t len = std::strlen(s);
    size_t i = len;
    while (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '9')
        --i;
    Wide cap = 1;
    for (int k = 0; k < 36; ++k)
        cap *= 10;
    Wide v = 0;
    for (; i < len; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v >= cap)
            return cap;
    }
    return v;
}

// Calls f(begin, length) for each line of text: lines end at CR, LF or CR LF, a break at the
// very end starts no further line.
template <typename F> void forEachLine(const char* text, F&& f) {
    const char* p = text;
    while (*p) {
        const char* begin = p;
        while (*p && *p != '\r' && *p != '\n')
            ++p;
        f(begin, static_cast<size_t>(p - begin));
        if (*p == '\r' && p[1] == '\n')
            p += 2;
        else if (*p)
            ++p;
    }
}

} // namespace

extern "C" {

KELMOR_API double ProtectDiv(const double* a, const double* b) {
    if (!a || !b || *b == 0.0 || std::isnan(*b))
        return 0.0;
    const double r = *a / *b;
    return std::isfinite(r) ? r : 0.0;
}

KELMOR_API double mRound(const double* px, const int* pn) {
    if (!px)
        return 0.0;
    const double x = *px;
    if (!std::isfinite(x) || x == 0.0)
        return x;
    const long long n = pn && *pn > 0 ? *pn : 0;

    // The decimal expansion to 18 significant digits: [-]d.ddddddddddddddddde[+-]xxx
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf - 1, x, std::chars_format::scientific, 17);
    if (res.ec != std::errc())
        return x;
    *res.ptr = '\0';
    const bool negative = buf[0] == '-';
    const char* p = buf + (negative ? 1 : 0);
    char digits[18];
    int count = 0;
    for (; *p && *p != 'e' && count < 18; ++p)
        if (*p >= '0' && *p <= '9')
            digits[count++] = *p;
    if (count != 18 || *p != 'e')
        return x;
    const long long exponent = std::strtoll(p + 1, nullptr, 10);

    // Digits kept: those before the decimal point and n after it.
    const long long kept = exponent + 1 + n;
    if (kept >= 18)
        return x; // nothing to drop: the 18 digits read back give x
    if (kept < 0)
        return negative ? -0.0 : 0.0;
    std::uint64_t mantissa = 0;
    for (long long i = 0; i < kept; ++i)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(digits[i] - '0');
    if (digits[kept] >= '5')
        ++mantissa; // halves away from zero

    // Read back mantissa * 10^-n, as the text it stands for.
    char text[64];
    char* out = text;
    if (negative)
        *out++ = '-';
    out = std::to_chars(out, text + 40, mantissa).ptr;
    *out++ = 'e';
    out = std::to_chars(out, text + sizeof text, -n).ptr;
    double result = 0.0;
    if (std::from_chars(text, out, result).ec != std::errc())
        return negative ? -0.0 : 0.0; // below the smallest double
    return result;
}

KELMOR_API ISC_TIMESTAMP* AsmData(const int* pday, const int* pmonth, const int* pyear,
                                  ISC_TIMESTAMP* result) {
    if (!result || !pday || !pmonth || !pyear)
        return result;
    int day = *pday;
    const int month = *pmonth;
    int year = *pyear;
    if (month < 1 || month > 12 || year < 0 || year > 9999)
        return result;
    if (year <= 99) {
        const int pivot = currentYear() - 50;
        year += pivot / 100 * 100;
        if (year < pivot)
            year += 100;
    }
    if (day > 31)
        day = daysInMonth(year, month);
    if (day < 1 || day > daysInMonth(year, month))
        return result;
    result->timestamp_date = static_cast<ISC_DATE>(daysFromCivil(year, month, day) -
                                                   kSerialToUnixDay + kSerialToServerDay);
    result->timestamp_time = 0;
    return result;
}

KELMOR_API int CompareRange(const char* first1, const char* first2, const int* count1,
                            const int* count2) {
    const Wide a = trailingNumber(first1);
    const Wide b = trailingNumber(first2);
    const Wide aEnd = a + (count1 ? *count1 : 0) - 1;
    const Wide bEnd = b + (count2 ? *count2 : 0) - 1;
    int result = (aEnd < b || a > bEnd) ? 0 : 1;
    if (a <= b && aEnd >= bEnd)
        result = 2;
    return result;
}

KELMOR_API char* Extract(char* text, const char* tag) {
    if (!text)
        return nullptr;
    const size_t tagLen = tag ? std::strlen(tag) : 0;
    char* s = tagLen ? std::strstr(text, tag) : nullptr;
    if (!s)
        return text + std::strlen(text);
    s += tagLen;
    const char terminator = tag[tagLen - 1] == ']' ? '[' : '\r';
    char* e = std::strchr(s, terminator);
    if (!e)
        e = s + std::strlen(s);
    *e = '\0';

    char* start = s;
    if (e > s && s[0] == '\r') {
        start = s + 1;
        if (e - s >= 2 && s[1] == '\n')
            start = s + 2;
    }
    if (e > s && e[-1] == '\n') {
        e[-1] = '\0';
        if (e - s >= 2 && e[-2] == '\r')
            e[-2] = '\0';
    }
    return start;
}

KELMOR_API char* SetParam(const char* text, const char* prefix, const char* value) {
    if (!text)
        text = "";
    if (!prefix)
        prefix = "";
    if (!value)
        value = "";
    const size_t prefixLen = std::strlen(prefix);
    const size_t valueLen = std::strlen(value);
    const auto matches = [&](const char* line, size_t len) {
        return prefixLen > 0 && len >= prefixLen && std::memcmp(line, prefix, prefixLen) == 0;
    };

    size_t total = 0;
    bool tooLong = false;
    forEachLine(text, [&](const char* line, size_t len) {
        if (tooLong)
            return;
        total += (matches(line, len) ? prefixLen + valueLen : len) + 2;
        tooLong = total > KELMOR_SETPARAM_MAX;
    });
    char* out =
        tooLong ? nullptr : static_cast<char*>(ib_util_malloc(static_cast<long>(total + 1)));
    if (!out)
        return allocText(text, std::strlen(text));

    char* w = out;
    forEachLine(text, [&](const char* line, size_t len) {
        if (matches(line, len)) {
            std::memcpy(w, prefix, prefixLen);
            w += prefixLen;
            std::memcpy(w, value, valueLen);
            w += valueLen;
        } else {
            std::memcpy(w, line, len);
            w += len;
        }
        *w++ = '\r';
        *w++ = '\n';
    });
    *w = '\0';
    return out;
}

KELMOR_API char* DoubleToDate(const double* x) {
    return serialDayText(x, false);
}

KELMOR_API char* DoubleToDateTime(const double* x) {
    return serialDayText(x, true);
}

KELMOR_API const char* NewLine(void) {
    return "\r";
}

} // extern "C"
