// Formats a typical message (text, decimal and hexadecimal integers, a path) with
// GString::Format and with the C library's swprintf and snprintf doing the same work, and
// prints the time ratios. Not a test: the figures depend on the machine.
#include <stdio.h>
#include <wchar.h>

#include <chrono>

#include "text/GString.h"

namespace {

// Many short rounds, the three contenders taking turns, and the best round of each: on a
// shared machine the best round is the one least disturbed by other work.
const int kRounds = 60;
const int kIterations = 20000;

template <class F> double Nanoseconds(F f)
{
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kIterations; ++i)
        f(i);
    auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::nano>(end - start).count() / kIterations;
}

void KeepBest(double& best, double ns)
{
    if (ns < best)
        best = ns;
}

} // namespace

int main()
{
    const WChar* folder = WSTR("C:\\Program Files\\Keyboard Layout");
    const WChar* file = WSTR("kbdlayout.dll");
    const wchar_t* wfolder = L"C:\\Program Files\\Keyboard Layout";
    const wchar_t* wfile = L"kbdlayout.dll";
    const char* nfolder = "C:\\Program Files\\Keyboard Layout";
    const char* nfile = "kbdlayout.dll";

    GString out;
    wchar_t wbuffer[256];
    char nbuffer[256];
    size_t sink = 0;
    auto format = [&](int i) {
        GString::Format(out, WSTR("Copying %s to %s\\%s (file %d of %u, code 0x%08x)"), file,
                        folder, file, i % 100, 78u, (unsigned)i * 2654435761u);
        sink += (size_t)out.GetLength();
    };
    auto wideCall = [&](int i) {
        sink += (size_t)swprintf(wbuffer, 256, L"Copying %ls to %ls\\%ls (file %d of %u, code 0x%08x)",
                                 wfile, wfolder, wfile, i % 100, 78u, (unsigned)i * 2654435761u);
    };
    auto narrowCall = [&](int i) {
        sink += (size_t)snprintf(nbuffer, 256, "Copying %s to %s\\%s (file %d of %u, code 0x%08x)",
                                 nfile, nfolder, nfile, i % 100, 78u, (unsigned)i * 2654435761u);
    };
    double formatNs = 1e300, wideNs = 1e300, narrowNs = 1e300;
    for (int r = 0; r < kRounds; ++r) {
        KeepBest(formatNs, Nanoseconds(format));
        KeepBest(wideNs, Nanoseconds(wideCall));
        KeepBest(narrowNs, Nanoseconds(narrowCall));
    }
        GString::Format(out, WSTR("%d"), 0);
    printf("message: Copying %%s to %%s\\%%s (file %%d of %%u, code 0x%%08x), %d rounds x %d calls, best round\n",
           kRounds, kIterations);
    printf("GString::Format  %8.1f ns per call\n", formatNs);
    printf("swprintf         %8.1f ns per call\n", wideNs);
    printf("snprintf         %8.1f ns per call\n", narrowNs);
    printf("ratio Format/swprintf = %.2f\n", formatNs / wideNs);
    printf("ratio Format/snprintf = %.2f\n", formatNs / narrowNs);
    return sink == 0;
}
