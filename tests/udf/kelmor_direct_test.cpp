// Direct calls into the Kelmor library through its C interface.
#include "kelmor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct FreeText {
    void operator()(char* p) const { std::free(p); }
};
using Text = std::unique_ptr<char, FreeText>;

std::string take(char* p) {
    Text owned(p);
    EXPECT_NE(p, nullptr);
    return p ? std::string(p) : std::string();
}

// Server day number of a date (days from 17 November 1858).
int serverDay(int y, int m, int d) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = m - 1;
    tm.tm_mday = d;
    tm.tm_hour = 12;
    const std::time_t t = timegm(&tm) - 43200; // a whole number of days from 1970
    return static_cast<int>(t / 86400) + 40587;
}

// ---- ProtectDiv ----

struct DivCase {
    double a, b, expected;
};
class ProtectDivTest : public testing::TestWithParam<DivCase> {};

TEST_P(ProtectDivTest, DividesOrGivesZero) {
    const DivCase c = GetParam();
    EXPECT_EQ(ProtectDiv(&c.a, &c.b), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProtectDivTest,
                         testing::Values(DivCase{10, 4, 2.5}, DivCase{10, 0, 0}, DivCase{0, 0, 0},
                                         DivCase{-7, 2, -3.5}, DivCase{1, -0.0, 0},
                                         DivCase{1, kNaN, 0}, DivCase{kNaN, 2, 0},
                                         DivCase{1e308, 1e-308, 0}, DivCase{kInf, kInf, 0},
                                         DivCase{5, kInf, 0}));

TEST(ProtectDiv, NullArgumentsGiveZero) {
    const double one = 1;
    EXPECT_EQ(ProtectDiv(nullptr, &one), 0.0);
    EXPECT_EQ(ProtectDiv(&one, nullptr), 0.0);
}

// ---- mRound ----

struct RoundCase {
    double x;
    int n;
    double expected;
};
class MRoundTest : public testing::TestWithParam<RoundCase> {};

TEST_P(MRoundTest, RoundsHalvesAwayFromZeroOn18Digits) {
    const RoundCase c = GetParam();
    const double r = mRound(&c.x, &c.n);
    if (std::isnan(c.expected))
        EXPECT_TRUE(std::isnan(r));
    else
        EXPECT_EQ(r, c.expected) << c.x << " to " << c.n;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MRoundTest,
    testing::Values(RoundCase{2.5, 0, 3}, RoundCase{-2.5, 0, -3}, RoundCase{0.125, 2, 0.13},
                    RoundCase{1.005, 2, 1}, RoundCase{1234.5678, 2, 1234.57}, RoundCase{7.5, -1, 8},
                    RoundCase{7.4, -5, 7}, RoundCase{-0.5, 0, -1}, RoundCase{0.4, 0, 0},
                    RoundCase{9.995, 2, 9.99}, RoundCase{99.5, 0, 100}, RoundCase{9.9951, 2, 10},
                    RoundCase{999.9999, 3, 1000}, RoundCase{0.6, 0, 1}, RoundCase{0.05, 0, 0},
                    RoundCase{1.25, 1, 1.3}, RoundCase{-1.25, 1, -1.3},
                    RoundCase{0.1 + 0.2, 1, 0.3}, RoundCase{123456789.123456789, 4, 123456789.1235},
                    RoundCase{1e300, 2, 1e300}, RoundCase{1.5e-300, 2, 0},
                    RoundCase{1.26e-300, 301, 1.3e-300}, RoundCase{0.1, 2147483647, 0.1},
                    RoundCase{-3.14159, 2147483647, -3.14159}, RoundCase{0, 3, 0},
                    RoundCase{kInf, 2, kInf}, RoundCase{-kInf, 0, -kInf}, RoundCase{kNaN, 2, kNaN},
                    RoundCase{std::numeric_limits<double>::max(), 0,
                              std::numeric_limits<double>::max()},
                    RoundCase{std::numeric_limits<double>::denorm_min(), 400,
                              std::numeric_limits<double>::denorm_min()}));

// ---- AsmData ----

struct AsmCase {
    int day, month, year;
    int expectedDay; // server day number; 0 = record left untouched
};
class AsmDataTest : public testing::TestWithParam<AsmCase> {};

TEST_P(AsmDataTest, FillsOrLeavesRecord) {
    const AsmCase c = GetParam();
    ISC_TIMESTAMP record{-123456, 987654321u};
    const ISC_TIMESTAMP before = record;
    EXPECT_EQ(AsmData(&c.day, &c.month, &c.year, &record), &record);
    if (c.expectedDay == 0) {
        EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
    } else {
        EXPECT_EQ(record.timestamp_date, c.expectedDay);
        EXPECT_EQ(record.timestamp_time, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AsmDataTest,
    testing::Values(
        AsmCase{1, 1, 1900, 15020}, AsmCase{18, 11, 1858, 1}, AsmCase{31, 4, 2005, 0},
        AsmCase{32, 4, 2005, serverDay(2005, 4, 30)}, AsmCase{99, 2, 2004, serverDay(2004, 2, 29)},
        AsmCase{32, 2, 2005, serverDay(2005, 2, 28)}, AsmCase{40, 2, 2000, serverDay(2000, 2, 29)},
        AsmCase{40, 2, 1900, serverDay(1900, 2, 28)}, AsmCase{29, 2, 2004, serverDay(2004, 2, 29)},
        AsmCase{29, 2, 2005, 0}, AsmCase{30, 2, 2004, 0}, AsmCase{1, 13, 2005, 0},
        AsmCase{1, 0, 2005, 0}, AsmCase{32, 13, 2005, 0}, AsmCase{0, 5, 2005, 0},
        AsmCase{-3, 5, 2005, 0}, AsmCase{1, 1, -1, 0}, AsmCase{1, 1, 10000, 0},
        AsmCase{31, 12, 9999, serverDay(9999, 12, 31)}, AsmCase{1, 1, 100, serverDay(100, 1, 1)},
        AsmCase{15, 6, 2026, serverDay(2026, 6, 15)},
        AsmCase{2147483647, 1, 2024, serverDay(2024, 1, 31)}, AsmCase{1, -2147483647 - 1, 2024, 0},
        AsmCase{1, 1, 2147483647, 0}));

// 17.11.1858 is day 0: check it apart, as 0 marks "untouched" in the table.
TEST(AsmData, ServerDayZero) {
    ISC_TIMESTAMP record{77, 5u};
    const int d = 17, m = 11, y = 1858;
    AsmData(&d, &m, &y, &record);
    EXPECT_EQ(record.timestamp_date, 0);
    EXPECT_EQ(record.timestamp_time, 0u);
}

TEST(AsmData, TwoDigitYearsLieInTheWindowFromFiftyYearsAgo) {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    const int pivot = tm.tm_year + 1900 - 50;
    for (int yy : {0, 5, 49, 50, 75, 99, pivot % 100, (pivot + 99) % 100}) {
        int expectedYear = pivot / 100 * 100 + yy;
        if (expectedYear < pivot)
            expectedYear += 100;
        ISC_TIMESTAMP record{};
        const int d = 1, m = 3;
        AsmData(&d, &m, &yy, &record);
        EXPECT_EQ(record.timestamp_date, serverDay(expectedYear, 3, 1)) << yy;
        EXPECT_GE(expectedYear, pivot);
        EXPECT_LT(expectedYear, pivot + 100);
    }
}

TEST(AsmData, NullArgumentsLeaveRecord) {
    ISC_TIMESTAMP record{5, 6u};
    const int one = 1;
    EXPECT_EQ(AsmData(nullptr, &one, &one, &record), &record);
    EXPECT_EQ(record.timestamp_date, 5);
    EXPECT_EQ(AsmData(&one, &one, &one, nullptr), nullptr);
}

// ---- CompareRange ----

struct RangeCase {
    const char* first1;
    const char* first2;
    int count1, count2;
    int expected;
};
class CompareRangeTest : public testing::TestWithParam<RangeCase> {};

TEST_P(CompareRangeTest, RelatesRanges) {
    const RangeCase c = GetParam();
    EXPECT_EQ(CompareRange(c.first1, c.first2, &c.count1, &c.count2), c.expected)
        << c.first1 << " " << c.first2;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareRangeTest,
    testing::Values(RangeCase{"AB10", "AB15", 10, 3, 2}, RangeCase{"X100", "X105", 10, 10, 1},
                    RangeCase{"X100", "X110", 10, 5, 0}, RangeCase{"abc", "def", 1, 1, 2},
                    RangeCase{"", "", 1, 1, 2}, RangeCase{"N-0007", "0007", 3, 3, 2},
                    RangeCase{"S20", "S10", 5, 20, 1}, RangeCase{"S20", "S25", 5, 1, 0},
                    RangeCase{"S20", "S24", 5, 1, 2}, RangeCase{"S20", "S19", 5, 1, 0},
                    RangeCase{"12A", "5", 1, 1, 0},
                    RangeCase{"SN12345678901", "SN12345678905", 10, 2, 2},
                    // trailing numbers beyond 32 and 64 bits are compared exactly
                    RangeCase{"A4294967296", "B4294967300", 5, 1, 2},
                    RangeCase{"A4294967296", "B4294967301", 5, 1, 0},
                    RangeCase{"A99999999999999999999", "B100000000000000000000", 2, 1, 2},
                    RangeCase{"A99999999999999999999", "B100000000000000000001", 2, 1, 0},
                    RangeCase{"A99999999999999999999", "B99999999999999999999", 2, 1, 2},
                    RangeCase{"A2147483647", "B2147483647", 2147483647, 2147483647, 2},
                    RangeCase{"A2147483647", "B2147483648", 1, 2147483647, 0},
                    RangeCase{"1", "2", -2147483647 - 1, 1, 0},
                    // more than 36 digits: both read as 10^36
                    RangeCase{"1000000000000000000000000000000000000000",
                              "99999999999999999999999999999999999999999", 1, 1, 2}));

TEST(CompareRange, NullArgumentsAreEmptyAndZero) {
    const int one = 1;
    EXPECT_EQ(CompareRange(nullptr, nullptr, &one, &one), 2);
    EXPECT_EQ(CompareRange("5", "5", nullptr, nullptr), 2);
}

// ---- Extract ----

struct ExtractCase {
    const char* text;
    const char* tag;
    const char* value;
    const char* bufferAfter; // the caller's text as changed by the call
};
class ExtractTest : public testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractTest, ReturnsValueInsideCallersBuffer) {
    const ExtractCase c = GetParam();
    std::vector<char> buf(c.text, c.text + std::strlen(c.text) + 1);
    char* r = Extract(buf.data(), c.tag);
    ASSERT_GE(r, buf.data());
    ASSERT_LT(r, buf.data() + buf.size());
    EXPECT_STREQ(r, c.value);
    EXPECT_STREQ(buf.data(), c.bufferAfter);
}

const char* const kIni = "[Main]\r\nname=Ivanov\r\ncity=Omsk\r\n[Other]\r\nname=Petrov\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractTest,
    testing::Values(
        ExtractCase{kIni, "name=", "Ivanov", "[Main]\r\nname=Ivanov"},
        ExtractCase{kIni, "city=", "Omsk", "[Main]\r\nname=Ivanov\r\ncity=Omsk"},
        ExtractCase{kIni, "[Main]", "name=Ivanov\r\ncity=Omsk",
                    "[Main]\r\nname=Ivanov\r\ncity=Omsk"},
        ExtractCase{kIni, "[Other]", "name=Petrov",
                    "[Main]\r\nname=Ivanov\r\ncity=Omsk\r\n[Other]\r\nname=Petrov"},
        ExtractCase{kIni, "absent=", "", kIni}, ExtractCase{kIni, "", "", kIni},
        ExtractCase{kIni, "Name=", "", kIni}, ExtractCase{"a=1\r\nb=", "b=", "", "a=1\r\nb="},
        ExtractCase{"a=\r\nb=2", "a=", "", "a="}, ExtractCase{"k=5", "k=", "5", "k=5"},
        ExtractCase{"[S]\r\n", "[S]", "", "[S]"}, ExtractCase{"[S]\r", "[S]", "", "[S]\r"},
        ExtractCase{"[S]\n", "[S]", "", "[S]"}, ExtractCase{"[S]x\r\n[T]", "[S]", "x", "[S]x"},
        // LF-only texts: a single character before the LF is kept
        ExtractCase{"k=5\n", "k=", "5", "k=5"},
        ExtractCase{"[S]\nx=1\n[T]", "[S]", "\nx=1", "[S]\nx=1"},
        // a CR just before the last character is not a trailing line break
        ExtractCase{"[S]ab\rc[T]", "[S]", "ab\rc", "[S]ab\rc"},
        ExtractCase{"x=1\r\nx=2\r\n", "x=", "1", "x=1"}));

TEST(Extract, VeryLongText) {
    std::string text = "[S]\r\n" + std::string(1 << 20, 'a') +
                       "\r\n[T]\r\nkey=" + std::string(100000, 'b') + "\r\n";
    std::vector<char> buf(text.begin(), text.end());
    buf.push_back('\0');
    EXPECT_EQ(std::strlen(Extract(buf.data(), "key=")), 100000u);
    std::vector<char> buf2(text.begin(), text.end());
    buf2.push_back('\0');
    EXPECT_EQ(std::strlen(Extract(buf2.data(), "[S]")), size_t{1} << 20);
}

TEST(Extract, NullArguments) {
    char text[] = "a=1";
    EXPECT_EQ(Extract(nullptr, "a="), nullptr);
    char* r = Extract(text, nullptr);
    EXPECT_EQ(r, text + 3);
    EXPECT_STREQ(text, "a=1");
}

// ---- SetParam ----

struct SetParamCase {
    const char* text;
    const char* prefix;
    const char* value;
    const char* expected;
};
class SetParamTest : public testing::TestWithParam<SetParamCase> {};

TEST_P(SetParamTest, ReplacesLinesAndEndsEachWithCrLf) {
    const SetParamCase c = GetParam();
    EXPECT_EQ(take(::SetParam(c.text, c.prefix, c.value)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetParamTest,
    testing::Values(SetParamCase{"a=1\nb=2\nc=3", "b=", "9", "a=1\r\nb=9\r\nc=3\r\n"},
                    SetParamCase{"a=1\nb=2\n", "zz", "9", "a=1\r\nb=2\r\n"},
                    SetParamCase{"a=1\rb=2\r\nc=3\n", "c=", "x y", "a=1\r\nb=2\r\nc=x y\r\n"},
                    SetParamCase{"x=1\r\ny=2\r\nx=3\r\n", "x=", "0", "x=0\r\ny=2\r\nx=0\r\n"},
                    SetParamCase{"", "a=", "1", ""}, SetParamCase{"\n", "a=", "1", "\r\n"},
                    SetParamCase{"a\n\nb", "b", "", "a\r\n\r\nb\r\n"},
                    SetParamCase{"a=1\n", "", "zz", "a=1\r\n"},
                    SetParamCase{"a=1\n\r", "a=1", "+", "a=1+\r\n\r\n"},
                    SetParamCase{"a", "abc", "1", "a\r\n"}));

TEST(SetParam, TooLongResultGivesCopyOfInput) {
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "k=v\n";
    // 3000 lines of 3 + 2 bytes fit, replaced by 40-byte values they do not.
    EXPECT_EQ(take(SetParam(text.c_str(), "x", "")).size(), 15000u);
    EXPECT_EQ(take(SetParam(text.c_str(), "k=", std::string(40, 'z').c_str())), text);
    const std::string longText(100000, 'q');
    EXPECT_EQ(take(SetParam(longText.c_str(), "x", "1")), longText);
}

TEST(SetParam, NullArgumentsAreEmpty) {
    EXPECT_EQ(take(SetParam(nullptr, "a", "b")), "");
    EXPECT_EQ(take(SetParam("a=1", nullptr, nullptr)), "a=1\r\n");
    EXPECT_EQ(take(SetParam("a=1", "a=", nullptr)), "a=\r\n");
}

// ---- DoubleToDate / DoubleToDateTime ----

struct DateTextCase {
    double x;
    const char* date;
    const char* dateTime;
};
class DateTextTest : public testing::TestWithParam<DateTextCase> {};

TEST_P(DateTextTest, WritesRussianShortDateAndLongTime) {
    const DateTextCase c = GetParam();
    EXPECT_EQ(take(DoubleToDate(&c.x)), c.date) << c.x;
    EXPECT_EQ(take(DoubleToDateTime(&c.x)), c.dateTime) << c.x;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DateTextTest,
    testing::Values(
        DateTextCase{0, "30.12.1899", "30.12.1899"}, DateTextCase{2, "01.01.1900", "01.01.1900"},
        DateTextCase{38449.5, "07.04.2005", "07.04.2005 12:00:00"},
        DateTextCase{38449 + (9 * 3600 + 5 * 60 + 7) / 86400.0, "07.04.2005", "07.04.2005 9:05:07"},
        DateTextCase{-1.25, "29.12.1899", "29.12.1899 6:00:00"},
        DateTextCase{38449.9999999999, "08.04.2005", "08.04.2005"}, // to the nearest ms,
        DateTextCase{-693593, "01.01.0001", "01.01.0001"},
        DateTextCase{2958465.5, "31.12.9999", "31.12.9999 12:00:00"}, DateTextCase{-693594, "", ""},
        DateTextCase{2958466, "", ""}, DateTextCase{1e300, "", ""}, DateTextCase{-1e300, "", ""},
        DateTextCase{kInf, "", ""}, DateTextCase{kNaN, "", ""}));

TEST(DateText, NullArgumentIsDayZero) {
    EXPECT_EQ(take(DoubleToDate(nullptr)), "30.12.1899");
    EXPECT_EQ(take(DoubleToDateTime(nullptr)), "30.12.1899");
}

// Every day number of the years 1..9999 reads back, through AsmData, as the same day.
TEST(DateText, AgreesWithAsmDataOverTheWholeRange) {
    for (double x = -693593; x <= 2958465; x += 997) {
        const std::string text = take(DoubleToDate(&x));
        ASSERT_EQ(text.size(), 10u);
        const int d = std::atoi(text.c_str()), m = std::atoi(text.c_str() + 3),
                  y = std::atoi(text.c_str() + 6);
        ISC_TIMESTAMP record{};
        if (y < 100)
            continue; // two-digit years are windowed by AsmData
        AsmData(&d, &m, &y, &record);
        ASSERT_EQ(record.timestamp_date, static_cast<int>(x) + 15018) << text;
    }
}

// ---- Random texts: results stay inside the buffers (the sanitizer build checks every byte) ----

std::string randomText(std::mt19937& rng, size_t maxLen) {
    static const char kAlphabet[] = "ab=[]\r\n\r\n1";
    std::uniform_int_distribution<size_t> len(0, maxLen);
    std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 2);
    std::string s(len(rng), ' ');
    for (char& c : s)
        c = kAlphabet[pick(rng)];
    return s;
}

TEST(RandomTexts, ExtractStaysInsideTheBuffer) {
    std::mt19937 rng(12345);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = randomText(rng, 24);
        const std::string tag = randomText(rng, 3);
        std::vector<char> buf(text.begin(), text.end());
        buf.push_back('\0');
        const char* r = Extract(buf.data(), tag.c_str());
        ASSERT_GE(r, buf.data());
        ASSERT_LE(r + std::strlen(r), buf.data() + text.size());
        const size_t found = tag.empty() ? std::string::npos : text.find(tag);
        if (found == std::string::npos) {
            ASSERT_EQ(std::string(buf.data()), text);
            ASSERT_EQ(*r, '\0');
        } else {
            // The value is a piece of the text after the tag, with no terminator inside.
            const std::string value = r;
            ASSERT_GE(static_cast<size_t>(r - buf.data()), found + tag.size());
            ASSERT_EQ(text.compare(static_cast<size_t>(r - buf.data()), value.size(), value), 0);
            ASSERT_EQ(value.find(tag.back() == ']' ? '[' : '\r'), std::string::npos);
        }
    }
}

TEST(RandomTexts, SetParamEndsEveryLineWithCrLf) {
    std::mt19937 rng(54321);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = randomText(rng, 24);
        const std::string prefix = randomText(rng, 3);
        const std::string out = take(::SetParam(text.c_str(), prefix.c_str(), "V"));
        for (size_t k = 0; k < out.size(); ++k) {
            if (out[k] == '\r') {
                ASSERT_TRUE(k + 1 < out.size() && out[k + 1] == '\n') << text;
            }
            if (out[k] == '\n') {
                ASSERT_TRUE(k > 0 && out[k - 1] == '\r') << text;
            }
        }
        ASSERT_TRUE(text.empty() == out.empty());
        if (!out.empty()) {
            ASSERT_EQ(out.substr(out.size() - 2), "\r\n");
        }
        const bool matchable = !prefix.empty() && prefix.find_first_of("\r\n") == std::string::npos;
        for (size_t b = 0, e; b < out.size(); b = e + 2) {
            e = out.find("\r\n", b);
            const std::string line = out.substr(b, e - b);
            if (matchable && line.compare(0, prefix.size(), prefix) == 0) {
                ASSERT_EQ(line, prefix + "V") << text;
            }
        }
    }
}

TEST(RandomTexts, CompareRangeOfRandomNumbers) {
    std::mt19937 rng(777);
    std::uniform_int_distribution<int> num(0, 60), count(-3, 30);
    for (int i = 0; i < 20000; ++i) {
        const long long a = num(rng), b = num(rng);
        const int c1 = count(rng), c2 = count(rng);
        const std::string f1 = "N" + std::to_string(a), f2 = "0" + std::to_string(b);
        const long long aEnd = a + c1 - 1, bEnd = b + c2 - 1;
        int expected = (aEnd < b || a > bEnd) ? 0 : 1;
        if (a <= b && aEnd >= bEnd)
            expected = 2;
        ASSERT_EQ(CompareRange(f1.c_str(), f2.c_str(), &c1, &c2), expected) << f1 << " " << f2;
    }
}

// ---- NewLine ----

TEST(NewLine, IsCarriageReturnAlone) {
    const char* nl = NewLine();
    ASSERT_NE(nl, nullptr);
    EXPECT_STREQ(nl, "\r");
    EXPECT_EQ(NewLine(), nl);
}

} // namespace
