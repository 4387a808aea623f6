// Stored window places as input: setup.ini is a text file anyone can edit, so each position and
// size is clamped as it is read, and a window that would lie off every screen comes back onto
// the work area instead of staying out of reach.
#pragma once

#include <QList>
#include <QRect>
#include <QtGlobal>

// No desktop reaches this far; within it, a position plus any window size fits an int.
inline constexpr int kMaxStoredPosition = 1 << 24;

int ClampPosition(qint64 value);
// A stored side between `least` and `most` (`least` wins when they cross).
int ClampSide(qint64 value, int least, int most);
// The most a window may take along one axis: the whole desktop's extent (all screens together),
// never below `floor` and never above kMaxSkinWindowSide.
int DesktopSideLimit(Qt::Orientation axis, int floor);

// `place` unchanged when it overlaps one of `screens`; otherwise moved, whole if it fits, into
// `workArea`, its left-top corner kept as near as can be.
QRect BringOnScreen(const QRect& place, const QList<QRect>& screens, const QRect& workArea);
// The same against the screens of this desktop and the primary screen's work area.
QRect BringOnScreen(const QRect& place);
