// Code-page conversions of 64 MiB of Russian text next to glibc iconv doing
// the same conversion on the same data, and detection over 64 MiB.
//
//   bench_codepages [MiB] [repetitions]

#include "engine/codepages.h"

#include <iconv.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

// Russian words in Windows-1251, ASCII punctuation between them; with
// `typography`, also dashes, guillemets and the number sign (three-byte UTF-8).
std::string makeText(std::size_t size, bool typography) {
    static const char* const words[] = {
        "\xEF\xF0\xE8\xE2\xE5\xF2", "\xEC\xE8\xF0", "\xF1\xEB\xEE\xE2\xEE", "\xF2\xE5\xEA\xF1\xF2",
        "\xF4\xE0\xE9\xEB", "\xCC\xEE\xF1\xEA\xE2\xE0", "\xE7\xE0\xEC\xE5\xED\xE0", "\xEF\xEE\xE8\xF1\xEA",
        "\xF1\xF2\xF0\xE0\xED\xE8\xF6\xE0", "\xF0\xE5\xE4\xE0\xEA\xF2\xEE\xF0", "\xE8", "\xE2",
        "\xED\xE0", "\xF1", "\xEA\xEE\xE4\xE8\xF0\xEE\xE2\xEA\xE0", "\xD0\xEE\xF1\xF1\xE8\xFF",
        "\xEF\xF0\xE8\xEC\xE5\xF0", "html", "\xB8\xEB\xEA\xE0", "\xDD\xF2\xEE",
    };
    static const char* const marks[] = {" ", " ", " ", ", ", ". ", "\r\n", " \x97 ", " \xAB", "\xBB ", " \xB9"};
    std::mt19937 rng(1251);
    std::string s;
    s.reserve(size + 32);
    while (s.size() < size) {
        s += words[rng() % std::size(words)];
        s += marks[rng() % (typography ? std::size(marks) : 6)];
    }
    s.resize(size);
    return s;
}

std::string viaIconv(iconv_t cd, const std::string& in) {
    std::string out(in.size() * 3 + 16, '\0');
    char* ip = const_cast<char*>(in.data());
    char* op = out.data();
    std::size_t il = in.size(), ol = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1)) {
        std::perror("iconv");
        std::exit(1);
    }
    out.resize(out.size() - ol);
    return out;
}

// Best of `reps` runs, in milliseconds.
double bestMs(int reps, const std::function<std::size_t()>& run) {
    double best = 1e300;
    std::size_t sink = 0;
    for (int i = 0; i < reps; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        sink += run();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    if (sink == 0)
        std::puts("(empty results)");
    return best;
}

void compare(const char* name, const std::string& input, int row, const char* from, const char* to, int reps) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::perror("iconv_open");
        std::exit(1);
    }
    TConversionContext ctx;
    const std::string ours = Conversions[row].Converter(input, row, ctx);
    const bool same = ours == viaIconv(cd, input);
    const double mib = static_cast<double>(input.size()) / (1 << 20);
    const double oursMs = bestMs(reps, [&] {
        TConversionContext c;
        return Conversions[row].Converter(input, row, c).size();
    });
    const double iconvMs = bestMs(reps, [&] { return viaIconv(cd, input).size(); });
    iconv_close(cd);
    std::printf("%-22s %8.1f ms %7.0f MiB/s | iconv %8.1f ms %7.0f MiB/s | %.2fx faster%s\n", name, oursMs,
                mib / oursMs * 1000, iconvMs, mib / iconvMs * 1000, iconvMs / oursMs,
                same ? "" : "  (OUTPUTS DIFFER)");
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const int reps = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::size_t size = mib << 20;

    const std::string text1251 = makeText(size, true);
    TConversionContext ctx;
    const std::string utf8 = ConvertText(text1251, FindConversion(cpWin1251, cpUTF8), ctx);
    const std::string letters1251 = makeText(size, false);
    const std::string text866 = ConvertText(letters1251, FindConversion(cpWin1251, cp866), ctx);

    std::printf("%zu MiB of Russian text, best of %d runs\n", mib, reps);
    compare("Win-1251 -> UTF-8", text1251, FindConversion(cpWin1251, cpUTF8), "CP1251", "UTF-8", reps);
    compare("UTF-8 -> Win-1251", utf8, FindConversion(cpUTF8, cpWin1251), "UTF-8", "CP1251", reps);
    compare("866 -> Win-1251", text866, FindConversion(cp866, cpWin1251), "CP866", "CP1251", reps);
    compare("Win-1251 -> UCS-2", text1251, FindConversion(cpWin1251, cpUCS2), "CP1251", "UTF-16LE", reps);

    const struct {
        const char* name;
        const std::string* text;
    } detections[] = {{"Win-1251", &text1251}, {"866", &text866}, {"UTF-8", &utf8}};
    for (const auto& d : detections) {
        TCodePageId id = cpAutomatic;
        const double ms = bestMs(reps, [&] {
            id = DetectCodePage(*d.text, 0);
            return static_cast<std::size_t>(id) + 1;
        });
        const double textMib = static_cast<double>(d.text->size()) / (1 << 20);
        std::printf("detect %-15s %8.1f ms %7.0f MiB/s -> %s\n", d.name, ms, textMib / ms * 1000,
                    std::string(CodePageNames[id]).c_str());
    }
    return 0;
}
