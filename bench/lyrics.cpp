// Lyrics figures: parsing a 2,000-line .lrc (GB18030, word tags on every other line), and one
// lyrics timer step in a 1280 x 720 video window: a line change, a wipe step, and the paint of
// what the window shows.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_lyrics
#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/text_file.h"
#include "player/lyrics/lrc_ctrl.h"
#include "bench_stats.h"

namespace {

constexpr int kLines = 2000;

QByteArray MakeLrc() {
    QStringList lines{QStringLiteral("[ti:Bench]"), QStringLiteral("[ar:Nobody]"), QStringLiteral("[offset:0]")};
    for (int i = 0; i < kLines; ++i) {
        const int ms = 5000 + i * 3000;
        const QString tag = QStringLiteral("[%1:%2.%3]")
                                .arg(ms / 60000, 2, 10, QLatin1Char('0'))
                                .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                                .arg(ms / 10 % 100, 2, 10, QLatin1Char('0'));
        if (i % 2) {
            lines << tag + QStringLiteral("月亮代表我的心 line %1 [%2:%3.50]with words").arg(i).arg(ms / 60000).arg(ms / 1000 % 60 + 1);
        } else {
            lines << tag + QStringLiteral("你问我爱你有多深 Latin text %1").arg(i);
        }
    }
    return platform::EncodeTextLines(lines);
}

double Max(const std::vector<double>& values) { return *std::max_element(values.begin(), values.end()); }

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QByteArray bytes = MakeLrc();
    std::vector<double> parse;
    lyrics::TLrcData data;
    for (int run = 0; run < 50; ++run) {
        QElapsedTimer clock;
        clock.start();
        data = lyrics::ParseLrc(bytes);
        parse.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("parse %d-line .lrc (%lld bytes, %zu times): median %.3f ms, max %.3f ms\n", kLines,
                qint64(bytes.size()), data.Times.size(), bench::Median(parse), Max(parse));
    std::vector<double> decode;
    for (int run = 0; run < 50; ++run) {
        QElapsedTimer clock;
        clock.start();
        const QStringList lines = platform::SplitLines(platform::DecodeText(bytes));
        decode.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (lines.isEmpty()) return 1;
    }
    std::printf("  of which decoding the text and splitting its lines: median %.3f ms\n", bench::Median(decode));

    QWidget window;
    window.resize(1280, 720);
    window.show();
    TLrcCtrl ctrl(&window);
    ctrl.ApplySettings(TLrcSettings{}, false);
    ctrl.SetLyrics(std::move(data));
    ctrl.ResetLines();
    std::vector<double> change, wipe, paint;
    for (int i = 0; i < 400; ++i) {
        const int start = 5000 + i * 3000;
        QElapsedTimer clock;
        clock.start();
        ctrl.Tick(start + 10);
        change.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.restart();
        ctrl.Tick(start + 1500);
        wipe.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.restart();
        const QImage shown = ctrl.Picture();
        paint.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (shown.isNull()) return 1;
    }
    std::printf("first line change (fonts loading) %.3f ms\n", change.front());
    change.erase(change.begin());
    std::printf("lyrics tick at 1280 x 720: line change median %.3f ms (max %.3f), wipe step median %.3f ms "
                "(max %.3f), window picture median %.3f ms (max %.3f)\n",
                bench::Median(change), Max(change), bench::Median(wipe), Max(wipe), bench::Median(paint), Max(paint));
    return 0;
}
