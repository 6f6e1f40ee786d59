// Kelmor: functions that the Firebird server loads and calls from SQL.
//
// Every function has the C calling convention and takes its arguments by reference, as the
// server passes them. Texts are null-terminated single-byte strings in the database's
// character set (Windows-1251); a date record is the server's ISC_TIMESTAMP (day number from
// 17 November 1858, time of day in 1/10000 s). A null pointer in place of an argument is read
// as 0 or as the empty text. No function throws, keeps state between calls or writes outside
// the buffers it is given, and every function may run in many server threads at once.
//
// Memory of returned texts:
//   SetParam, DoubleToDate, DoubleToDateTime  return memory from ib_util_malloc (the server's
//       allocator, plain malloc underneath). The database declares these results FREE_IT, so
//       the server releases them; a direct caller releases them with free(). A null pointer
//       is returned only when even that memory cannot be had.
//   Extract    returns a pointer into its first argument's buffer (declared without FREE_IT).
//   NewLine    returns a pointer to a constant text (declared without FREE_IT).
//
// Regional settings: the date functions use fixed settings equal to the Russian ones, whatever
// the locale of the server: short date format dd.MM.yyyy (the full stop as date separator),
// long time format H:mm:ss (the colon as time separator), decimal comma. They are constants:
// fixed when the library is built and never changed. No function depends on the C locale.
//
// Declared in the database (db/schema.sql) as:
//   F_DIV              ProtectDiv        F_MROUND           mRound
//   F_ASMDATA          AsmData           F_COMPARERANGE     CompareRange
//   F_EXTRACT          Extract           F_SETPARAM         SetParam
//   F_DOUBLETODATE     DoubleToDate      F_DOUBLETODATETIME DoubleToDateTime
//   F_NEWLINE          NewLine
#pragma once

#include <ibase.h>

#if defined(_WIN32)
#define KELMOR_API __declspec(dllexport)
#else
#define KELMOR_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// The longest text SetParam returns (the length its declaration allows the server to take).
// A longer result counts as a failure: SetParam then returns a copy of its input.
#define KELMOR_SETPARAM_MAX 32765

// a / b, and 0 when b is 0 or not a number, or when the quotient is not a finite number
// (overflow, an invalid operation, or a or b infinite or not a number).
KELMOR_API double ProtectDiv(const double* a, const double* b);

// x rounded to n decimal places (a whole number when n <= 0), halves away from zero, decided
// on the decimal expansion of x to 18 significant digits. NaN and +-Inf are returned as they
// are; a very large n leaves x as it is (18 significant digits read back give x itself).
KELMOR_API double mRound(const double* x, const int* n);

// Writes the date day.month.year (midnight) into *result and returns result. A day above 31
// means the last day of the month; a year of 0 to 99 lies in the hundred years that begin 50
// years before the current year. An invalid date leaves the 8 bytes of *result untouched.
KELMOR_API ISC_TIMESTAMP* AsmData(const int* day, const int* month, const int* year,
                                  ISC_TIMESTAMP* result);

// How the range of count2 serial numbers from first2's trailing number relates to the range of
// count1 numbers from first1's: 0 disjoint, 1 overlapping, 2 range 2 within range 1. Trailing
// numbers and range ends are computed exactly; a trailing number of more than 36 significant
// digits is taken as 10^36.
KELMOR_API int CompareRange(const char* first1, const char* first2, const int* count1,
                            const int* count2);

// The value that follows the first occurrence of tag in text: up to the next '[' for a tag
// ending in ']', else up to the next carriage return; one leading CR (with the LF after it)
// and one trailing LF (with the CR before it) are dropped. Writes a null into text where the
// value ends and returns a pointer into text (to its terminating null when tag is absent).
KELMOR_API char* Extract(char* text, const char* tag);

// text with every line that begins with prefix replaced by prefix + value; every line ends
// with CR LF. Newly allocated (see above); a copy of text on failure.
KELMOR_API char* SetParam(const char* text, const char* prefix, const char* value);

// The date of the serial day number x (days from 30 December 1899) as dd.MM.yyyy. Outside the
// years 1 to 9999 (or not a number): the empty text. Newly allocated (see above).
KELMOR_API char* DoubleToDate(const double* x);

// Date and time of x as "dd.MM.yyyy H:mm:ss", without the time when it is 0:00:00. Outside the
// years 1 to 9999 (or not a number): the empty text. Newly allocated (see above).
KELMOR_API char* DoubleToDateTime(const double* x);

// The text made of the carriage return alone.
KELMOR_API const char* NewLine(void);

#ifdef __cplusplus
}
#endif
