// The flat menu painter on a menu of 40 items (icons, shortcuts, check marks, a sub-menu,
// separators, disabled items): each round marks the items changed, measures them all and paints
// the whole menu into an image.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_menupainter [menu.png]
// Given a file name, the last painting is saved there to look at.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bench_support.h"
#include "menupainter/xp_menu.h"

namespace {

constexpr int kItems = 40;
constexpr int kRounds = 300;

QIcon Icon(int i) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(2, 2, 12, 12, QColor::fromHsv(i * 37 % 360, 200, 220));
    return QIcon(QPixmap::fromImage(image));
}

void Fill(QMenu& menu) {
    for (int i = 0; i < kItems; ++i) {
        if (i % 8 == 7) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QStringLiteral("菜单项目 %1 (&%2)").arg(i).arg(QChar('A' + i % 26)));
        if (i % 3 == 0) action->setIcon(Icon(i));
        if (i % 4 == 1) action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_A + i % 26)));
        if (i % 5 == 2) action->setCheckable(true), action->setChecked(true);
        if (i % 9 == 4) action->setEnabled(false);
    }
    menu.addMenu(QStringLiteral("最近播放"))->addAction(QStringLiteral("1.mp3"));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMenu menu;
    Fill(menu);
    menupainter::TXPMenu painter;
    painter.Install(&menu);
    painter.SetActive(true);
    menu.setActiveAction(menu.actions().at(5));
    QAction* first = menu.actions().constFirst();
    std::vector<double> times;
    QImage image;
    double cpuStart = 0;
    for (int round = -1; round < kRounds; ++round) {  // round -1 warms the font caches up
        if (round == 0) cpuStart = bench::CpuSeconds();
        QElapsedTimer clock;
        clock.start();
        first->setText(round % 2 ? QStringLiteral("菜单项目 0 (&A)") : QStringLiteral("菜单项目 零 (&A)"));
        menu.adjustSize();  // measures every item again
        if (image.size() != menu.size()) image = QImage(menu.size(), QImage::Format_ARGB32);
        menu.render(&image);
        if (round >= 0) times.push_back(clock.nsecsElapsed() / 1e6);
    }
    const double cpuPerRound = (bench::CpuSeconds() - cpuStart) * 1000 / kRounds;
    std::sort(times.begin(), times.end());
    std::printf("menu of %d items, %dx%d px, measured and painted (%d rounds)\n", kItems, menu.width(),
                menu.height(), kRounds);
    std::printf("  median %.3f ms   90th percentile %.3f ms   worst %.3f ms   (target < 5 ms)\n",
                times[times.size() / 2], times[times.size() * 9 / 10], times.back());
    std::printf("  CPU time %.3f ms a round\n", cpuPerRound);
    if (argc > 1) image.save(QString::fromLocal8Bit(argv[1]));
    return 0;
}
