// The frame pieces that the builders and the title-bar drawing share, and the text of the
// playlist's time totals.
#include "player/skin/skin_frames.h"

#include <algorithm>

#include "player/playlist/playlist_item.h"
#include "player/skin/canvas.h"
#include "player/skin/skin_sprites.h"
#include "player/skin/skin_window.h"

namespace {

constexpr int kShadedHeight = 14;

}  // namespace

TSkinWindow* SkinSurface(QWidget* window) { return qobject_cast<TSkinWindow*>(window); }

QImage NewBackBuffer(int w, int h, const QColor& fill) {
    QImage buffer(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
    buffer.fill(fill);
    return buffer;
}

void DrawPlaylistTitle(QImage& target, const QImage& pledit, int w, int row) {
    using namespace playlist_frame;
    const int half = w / 2;
    CopyRect(target, Rect(0, 0, 25, kTitleHeight), pledit, PieceSource(kCorner, row));
    for (int i = 0; i < (half - 50) / 25; ++i) {
        CopyRect(target, Rect(25 + 25 * i, 0, 50 + 25 * i, kTitleHeight), pledit, PieceSource(kFill, row));
        CopyRect(target, Rect(half + 50 + 25 * i, 0, half + 75 + 25 * i, kTitleHeight), pledit, PieceSource(kFill, row));
    }
    CopyRect(target, Rect(half - 50, 0, half + 50, kTitleHeight), pledit, PieceSource(kTitle, row));
    CopyRect(target, Rect(w - 25, 0, w, kTitleHeight), pledit, PieceSource(kRightCorner, row));
}

void DrawPlaylistShadeBar(QImage& target, const QImage& pledit, int w, bool active) {
    using namespace playlist_frame;
    CopyRect(target, Rect(0, 0, 25, kShadedHeight), pledit, kShadeLeft);
    for (int i = 0; i < (w - 50) / 25; ++i)
        CopyRect(target, Rect(25 + 25 * i, 0, 50 + 25 * i, kShadedHeight), pledit, kShadeFill);
    CopyRect(target, Rect(w - 50, 0, w, kShadedHeight), pledit, active ? kShadeRightActive : kShadeRightInactive);
}

void DrawBrowserTitle(QImage& target, const QImage& mb, int w, int row) {
    using namespace playlist_frame;
    const int half = w / 2;
    CopyRect(target, Rect(0, 0, 25, kTitleHeight), mb, PieceSource(kCorner, row));
    for (int i = 0; i < (w - 25) / 25; ++i)
        CopyRect(target, Rect(25 + 25 * i, 0, 50 + 25 * i, kTitleHeight), mb, PieceSource(kFill, row));
    CopyRect(target, Rect(w - 25, 0, w, kTitleHeight), mb, PieceSource(kRightCorner, row));
    CopyRect(target, Rect(half - 50, 0, half + 50, kTitleHeight), mb, PieceSource(kTitle, row));
}

QString SelectedLengthText(QStringView entry, bool selected) {
    const QStringView time = playlist::TimeField(entry);
    // A length typed by hand in the right shape but with other characters cannot be read as a
    // number; it reads as no length at all.
    if (!selected || !playlist::IsValidTime(time)) return QStringLiteral("0:00/");
    return QString::number(time.left(2).toInt()) + QLatin1Char(':') + time.mid(3, 2).toString() + QLatin1Char('/');
}

QString TotalLengthText(qint64 seconds) {
    qint64 s = std::max<qint64>(0, seconds);
    QString text;
    if (s > 3599) {
        text = QString::number(s / 3600) + QLatin1Char(':');
        s %= 3600;
    }
    return text + QString::number(s / 600) + QString::number((s / 60) % 10) + QLatin1Char(':') +
           QString::number((s % 60) / 10) + QString::number(s % 10);
}
