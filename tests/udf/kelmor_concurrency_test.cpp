// Many threads call every Kelmor function at once; each result must equal the one computed
// by a single thread beforehand.
#include "kelmor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 3000;

std::string owned(char* p) {
    std::string s = p ? p : "<null>";
    std::free(p);
    return s;
}

std::string number(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

// One call of one function, giving its result as text. Calls are independent of each other:
// every buffer a call changes belongs to that call.
std::vector<std::function<std::string()>> makeCalls() {
    std::vector<std::function<std::string()>> calls;
    for (int i = 0; i < 12; ++i) {
        const double a = 10.0 + i, b = i % 4;
        calls.push_back([a, b] { return number(ProtectDiv(&a, &b)); });
        const double x = 1.005 + i * 0.125;
        const int n = i % 5 - 1;
        calls.push_back([x, n] { return number(mRound(&x, &n)); });
        const int day = 28 + i, month = 1 + i, year = 1990 + i * 3;
        calls.push_back([day, month, year] {
            ISC_TIMESTAMP r{-1, 1u};
            AsmData(&day, &month, &year, &r);
            return std::to_string(r.timestamp_date) + "/" + std::to_string(r.timestamp_time);
        });
        const std::string f1 = "SN" + std::to_string(100 + i),
                          f2 = "SN" + std::to_string(95 + 2 * i);
        const int c1 = 5 + i, c2 = 3;
        calls.push_back([f1, f2, c1, c2] {
            return std::to_string(CompareRange(f1.c_str(), f2.c_str(), &c1, &c2));
        });
        const std::string text = "[A]\r\nk" + std::to_string(i) + "=v" + std::to_string(i * 7) +
                                 "\r\nz=1\r\n[B]\r\nq=2\r\n";
        const std::string tag = i % 2 ? "[A]" : "k" + std::to_string(i) + "=";
        calls.push_back([text, tag] {
            std::vector<char> buf(text.begin(), text.end());
            buf.push_back('\0');
            return std::string(Extract(buf.data(), tag.c_str()));
        });
        calls.push_back([text, i] {
            const std::string value = std::to_string(i * 11);
            return owned(SetParam(text.c_str(), "z=", value.c_str()));
        });
        const double serial = 30000 + i * 1234.25;
        calls.push_back([serial] { return owned(DoubleToDate(&serial)); });
        calls.push_back([serial] { return owned(DoubleToDateTime(&serial)); });
        calls.push_back([] { return std::string(NewLine()); });
    }
    return calls;
}

TEST(KelmorConcurrency, EveryFunctionFromManyThreadsAtOnce) {
    const auto calls = makeCalls();
    std::vector<std::string> expected;
    for (const auto& call : calls)
        expected.push_back(call());

    std::atomic<long> done{0};
    std::atomic<long> wrong{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            while (!go.load())
                std::this_thread::yield();
            for (int r = 0; r < kRounds; ++r) {
                // Each thread starts at another function, so different functions overlap.
                for (size_t k = 0; k < calls.size(); ++k) {
                    const size_t i =
                        (k + static_cast<size_t>(t) * 7 + static_cast<size_t>(r)) % calls.size();
                    if (calls[i]() != expected[i])
                        ++wrong;
                    ++done;
                }
            }
        });
    }
    go = true;
    for (auto& th : threads)
        th.join();

    std::printf("threads: %d, calls: %ld (%zu distinct calls x %d rounds per thread)\n", kThreads,
                done.load(), calls.size(), kRounds);
    EXPECT_EQ(done.load(), static_cast<long>(kThreads) * kRounds * static_cast<long>(calls.size()));
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace
