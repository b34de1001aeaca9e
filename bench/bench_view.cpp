// Viewer benchmarks: reading a 100 MB communication log into samples (against `wc -l` on the
// same file in the same run), drawing the eight channels of a 1 000 000-sample view file
// offscreen at full window width, and the memory such a file takes once read. The inputs
// are generated into /tmp on first use.
//
//   bench_view [--load] [--draw] [--width PX] [--frames N] [--keep]
//
// Without an option both measures run. Figures and how they were taken: bench/README.md.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/resource.h>
#include <sys/times.h>
#include <unistd.h>

#include "app/Workbench.h"
#include "link/ModComm.h"
#include "ui/TraceView.h"
#include "util/EventHost.h"
#include "util/HexText.h"
#include "viewer/ViewLog.h"
#include "viewer/ViewerLogic.h"

using namespace gw;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// A block-1 answer's hex for sample i of a drive-like run.
std::string Answer(long i) {
    std::string d(85, '\0');
    auto word = [&d](std::size_t at, int v) {
        d[at] = static_cast<char>(v & 0xFF);
        d[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    };
    const double t = i * 0.25;
    const int rpm = 800 + static_cast<int>(1700 * (0.5 + 0.5 * std::sin(t / 30)));
    for (std::size_t k = 0; k < 8; ++k) {
        word(2 * k, 250 + static_cast<int>(50 * std::sin(t + k)));
        word(16 + 2 * k, 300 + static_cast<int>(60 * std::sin(t + k)));
    }
    word(64, 15000000 / rpm);
    word(66, 1200 + static_cast<int>(20 * std::sin(t * 3)));
    word(68, 300 + rpm / 5);
    word(70, 100 + (i % 8) * 100);
    word(77, 40);
    word(79, 20);
    return BytesToHex(ComponiMsg(0x42, 0x01, 0x0C, std::string(1, '\0') + d));
}

std::string Line(long ms, const char* tag, const std::string& text) {
    return "\"" + std::to_string(ms) + " " + tag + text + "\"\r\n";
}

const char* kHead = "\"1000 O  Software ver. 01.01.03 Gas ECU Workbench 10/12/2026\"\r\n\"[K_gm]\"\r\n 15000000 \r\n"
                    "\"[K_Lambda]\"\r\n 0.001 \r\n";

// A raw log as the link writes it: per answer the command's name, the request, the state
// lines and the answer logged in three growing pieces.
void MakeRawLog(const std::string& path, std::size_t bytes) {
    if (std::filesystem::exists(path) && std::filesystem::file_size(path) >= bytes) return;
    std::ofstream out(path, std::ios::binary);
    out << kHead;
    std::size_t size = std::strlen(kHead);
    for (long i = 0; size < bytes; ++i) {
        const long ms = 2000 + i * 250;
        const std::string a = Answer(i);
        std::string block = "\"CMD_READ_MEM1\"\r\n" + Line(ms, "T ", "4102030C4C") + Line(ms + 2, "C ", "3") +
                            Line(ms + 100, "R ", a.substr(0, 60)) + Line(ms + 110, "R ", a.substr(0, 130)) +
                            Line(ms + 120, "R ", a) + Line(ms + 121, "C ", "1");
        size += block.size();
        out << block;
    }
}

// A compacted view file of n samples: the name, request and answer lines.
void MakeViewFile(const std::string& path, long n) {
    if (std::filesystem::exists(path)) return;
    std::ofstream out(path, std::ios::binary);
    out << kHead;
    for (long i = 0; i < n; ++i) {
        const long ms = 2000 + i * 250;
        out << "\"CMD_READ_MEM1\"\r\n" << Line(ms, "T ", "4102030C4C") << Line(ms + 120, "R ", Answer(i));
    }
}

long Status(const char* key) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    return -1;
}

class NoPorts : public PortProvider {
public:
    std::unique_ptr<Port> MakeCom(int) override { return nullptr; }
    int CountUsbDevices() override { return 0; }
    std::unique_ptr<Port> MakeUsb(int) override { return nullptr; }
    std::unique_ptr<Port> MakeSimulated() override { return nullptr; }
};

class NoDialogs : public view::ViewerHost {
public:
    std::string ChooseViewToSave(const std::string&) override { return ""; }
    void ShowBusy(const std::string&) override {}
    void LoadCurrentFile() override {}
};

void BenchLoad() {
    const std::string path = "/tmp/gw_bench_log_100MB.txt";
    MakeRawLog(path, 100u << 20);
    const double mb = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    // Both read the file once before timing, so both run from the page cache.
    std::system(("cat " + path + " > /dev/null").c_str());
    // Wall time and processor time (user + system; the machine is shared, so the processor
    // time is the steadier figure). wc's comes from its process's times.
    double wcBest = 1e9, loadBest = 1e9, wcCpuBest = 1e9, loadCpuBest = 1e9;
    std::size_t samples = 0;
    auto cpu = [] {
        struct tms t {};
        ::times(&t);
        const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
        return std::pair<double, double>((t.tms_utime + t.tms_stime) / tick, (t.tms_cutime + t.tms_cstime) / tick);
    };
    auto selfCpu = [] {
        struct rusage r {};
        ::getrusage(RUSAGE_SELF, &r);
        return r.ru_utime.tv_sec + r.ru_utime.tv_usec / 1e6 + r.ru_stime.tv_sec + r.ru_stime.tv_usec / 1e6;
    };
    for (int run = 0; run < 7; ++run) {
        const auto c0 = cpu();
        auto a = Clock::now();
        std::system(("wc -l " + path + " > /dev/null").c_str());
        auto b = Clock::now();
        const auto c1 = cpu();
        const double s0 = selfCpu();
        const view::LogWindow w = view::LoadLogWindow(path, 0, 0, NumberLocale::Dot());
        auto c = Clock::now();
        const double s1 = selfCpu();
        samples = w.set.samples.size();
        wcBest = std::min(wcBest, Seconds(a, b));
        loadBest = std::min(loadBest, Seconds(b, c));
        wcCpuBest = std::min(wcCpuBest, c1.second - c0.second);
        loadCpuBest = std::min(loadCpuBest, s1 - s0);
    }
    std::printf("log %.1f MB, %zu samples (best of 7)\n", mb, samples);
    std::printf("  wc -l      %7.1f ms  %7.0f MB/s   processor %7.1f ms\n", wcBest * 1e3, mb / wcBest, wcCpuBest * 1e3);
    std::printf("  load       %7.1f ms  %7.0f MB/s   processor %7.1f ms  %7.0f MB/s\n", loadBest * 1e3, mb / loadBest,
                loadCpuBest * 1e3, mb / loadCpuBest);
    std::printf("  load / wc -l: %.2f of its rate (wall)\n", wcBest / loadBest);
}

void BenchDraw(int width, int frames) {
    const std::string path = "/tmp/gw_bench_view_1M.vfl";
    MakeViewFile(path, 1'000'000);
    const long rssBefore = Status("VmRSS:");
    VirtualHost host;
    NoPorts ports;
    const std::string folder = std::filesystem::temp_directory_path() / "gw_bench_view_app";
    std::filesystem::create_directories(folder + "/BIN");
    std::filesystem::create_directories(folder + "/LNG");
    Workbench wb(host, ports, folder);
    NoDialogs dialogs;
    view::ViewerLogic logic(wb, dialogs);
    auto a = Clock::now();
    logic.Adopt(view::LoadLogWindow(path, 0, 0, NumberLocale::Dot()));
    auto b = Clock::now();
    const auto& set = logic.Shown().set;
    std::printf("view file %.1f MB, %zu samples read and summarised in %.0f ms\n",
                static_cast<double>(std::filesystem::file_size(path)) / 1e6, set.samples.size(), Seconds(a, b) * 1e3);
    std::printf("  resident after reading: %.1f MB (%.1f MB before; samples %.1f MB, summary %.1f MB)\n",
                Status("VmRSS:") / 1024.0, rssBefore / 1024.0,
                set.samples.capacity() * sizeof(view::RawSample) / 1e6, logic.Pyramid().Bytes() / 1e6);

    TraceView view(logic);
    const int height = 900;
    view.resize(width, height);
    QImage image(width, height, QImage::Format_RGB32);
    // Zoomed out (the whole file), half-way (a tenth of it) and close (ten seconds).
    const double span = set.LastMs() - set.FirstMs();
    for (double part : {1.0, 0.1, 10'000.0 / span}) {
        view.SetSpan(set.FirstMs() + span * (1 - part) / 2, span * part);
        auto c = Clock::now();
        struct rusage r0 {}, r1 {};
        ::getrusage(RUSAGE_SELF, &r0);
        for (int f = 0; f < frames; ++f) {
            // Scrolling a pixel a frame, as a drag does.
            view.SetSpan(view.StartMs() + view.SpanMs() / width, view.SpanMs());
            QPainter p(&image);
            view.PaintOn(p, QRect(0, 0, width, height));
        }
        auto d = Clock::now();
        ::getrusage(RUSAGE_SELF, &r1);
        const double per = Seconds(c, d) / frames;
        const double cpu = (r1.ru_utime.tv_sec - r0.ru_utime.tv_sec + (r1.ru_utime.tv_usec - r0.ru_utime.tv_usec) / 1e6 +
                            r1.ru_stime.tv_sec - r0.ru_stime.tv_sec + (r1.ru_stime.tv_usec - r0.ru_stime.tv_usec) / 1e6) /
                           frames;
        std::printf("  draw %4d px, %7.0f s shown: %6.2f ms a frame, %6.0f frames/s (processor %6.2f ms a frame)\n", width,
                    span * part / 1000, per * 1e3, 1 / per, cpu * 1e3);
    }
    std::printf("  resident peak of the whole run: %.1f MB\n", Status("VmHWM:") / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    bool load = false, draw = false;
    int width = 1920, frames = 60;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--load")) load = true;
        else if (!std::strcmp(argv[i], "--draw")) draw = true;
        else if (!std::strcmp(argv[i], "--width") && i + 1 < argc) width = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--frames") && i + 1 < argc) frames = std::atoi(argv[++i]);
    }
    if (!load && !draw) load = draw = true;
    if (load) BenchLoad();
    if (draw) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        BenchDraw(width, frames);
    }
    return 0;
}
