// Kelmor: functions that the Firebird server loads and calls from SQL.
#pragma once

#if defined(_WIN32)
#define KELMOR_API extern "C" __declspec(dllexport)
#else
#define KELMOR_API extern "C" __attribute__((visibility("default")))
#endif

// a / b, and 0 when b is 0, not a number, or the division fails.
KELMOR_API double ProtectDiv(const double* a, const double* b);
