// SPDX-License-Identifier: MIT
// Making the full Simplified Chinese font (96 + 126 x 191 = 24,162 glyphs) at
// 24 x 24 from a Noto CJK face, against a bare loop that only draws the same
// characters with QPainter into an image of the same size. Prints both times,
// their ratio (goal: at most 1.5) and the resident memory after each run
// (goal: flat). Times are the thread's CPU time, the best of the runs. Run:
// QT_QPA_PLATFORM=offscreen build-dev/bench/font_bench
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "core/fonts/code_pages.h"
#include "core/fonts/font_layout.h"
#include "core/fonts/font_maker.h"

namespace {

// CPU time of this thread: other work on a shared machine does not count.
struct Clock {
    using time_point = double;
    static double now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }
};

long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

double seconds(double a, double b) {
    return b - a;
}

// The characters of the font in file order, decoded once, outside the timing.
std::vector<QString> characters() {
    m350::CodePage gbk("GBK");
    const m350::FontLayout layout = m350::fullDoubleByteLayout(m350::kSimplifiedChinese);
    std::vector<QString> chars;
    for (int c : layout.singleCodes)
        chars.push_back(gbk.decode(std::string(1, static_cast<char>(c))));
    for (int lead : layout.leads)
        for (int trail : layout.trails)
            chars.push_back(
                gbk.decode(std::string{static_cast<char>(lead), static_cast<char>(trail)}));
    return chars;
}

// Only the drawing: each character into a 24 x 24 image (12 x 24 for the
// half-width part), one-bit text as the rasteriser draws it.
double bareLoop(const QFont& font, const std::vector<QString>& chars) {
    const QFont mono = m350::monochromeFont(font);
    const int ascent = QFontMetrics(mono).ascent();
    QImage image(24, 24, QImage::Format_RGB32);
    const auto start = Clock::now();
    QPainter p(&image);
    p.setFont(mono);
    p.setPen(Qt::black);
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const int w = i < 96 ? 12 : 24;
        p.fillRect(0, 0, w, 24, Qt::white);
        if (!chars[i].isEmpty()) p.drawText(0, ascent, chars[i]);
    }
    p.end();
    return seconds(start, Clock::now());
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    // Line height within the 24-pixel cell.
    font.setPixelSize(16);
    const std::vector<QString> chars = characters();
    QTemporaryDir dir;
    m350::NullProgress progress;
    m350::LinkContext ctx;
    ctx.progress = &progress;
    ctx.sleep = [](int) {};
    std::printf("face %s, %zu glyphs at 24 x 24\n", QFontInfo(font).family().toUtf8().constData(),
                chars.size());

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    double bestMake = 1e9, bestBare = 1e9;
    for (int run = 0; run < runs; ++run) {
        bestBare = std::min(bestBare, bareLoop(font, chars));
        m350::FontJob job;
        job.mode = m350::kDoubleByteFont;
        job.asianEncoding = m350::kSimplifiedChinese;
        job.pitch = m350::kFixedPitch;
        job.cellWidth = job.cellHeight = 24;
        job.font = font;
        job.path = dir.filePath(QStringLiteral("G24.BMF")).toStdString();
        const auto start = Clock::now();
        if (!m350::makeFont(job, ctx)) {
            std::fprintf(stderr, "makeFont failed\n");
            return 1;
        }
        const double t = seconds(start, Clock::now());
        bestMake = std::min(bestMake, t);
        std::printf("run %d: makeFont %.3f s (%d glyphs), resident %ld KiB\n", run + 1, t,
                    job.charCount, residentKiB());
    }
    std::printf(
        "bare drawing loop %.3f s\nmakeFont          %.3f s\nratio             %.2f "
        "(goal <= 1.5)\n",
        bestBare, bestMake, bestMake / bestBare);
    return 0;
}
