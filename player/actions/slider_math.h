// The numbers of the sliders: where a grab lands on a thumb, which slider position a cursor
// gives, and the value of a position. Truncations cut toward zero; "nearest" goes to the even
// neighbour on a tie; products with the constants are taken in extended precision.
#pragma once

namespace slider_math {

// Volume slider: positions 115..166 give 0..100.
int VolumeGrabOffset(int volume, int x);
int VolumePosition(int x, int grabOffset);
int VolumeAt(int position);

// Balance slider: positions 184..206 give -100..100.
int BalanceGrabOffset(int balance, int x);
int BalancePosition(int x, int grabOffset);
int BalanceAt(int position);

// Seek bar: the thumb's left x runs 16..235 over the track.
int SeekGrabOffset(int barPixel, int x);
int SeekThumb(int x, int grabOffset);
// The millisecond a thumb stands for, nearest whole millisecond.
long long SeekTarget(int thumb, int length);

// Equaliser slider value 0..63 at a cursor y (39 top, 100 bottom).
int EqualizerValueAt(int y);

// Playlist scroll bar of a window `height` high: the thumb's centre for a cursor y, and the
// list's top row for that centre. The top row is never negative, even when every row fits.
int ScrollGrabOffset(int thumbCentre, int y);
int ScrollThumbCentre(int y, int grabOffset, int height);
int ScrollTopRow(int items, int visibleRows, int thumbCentre, int height);

// A proposed video window size after the minimums and the even-size rule; with lyrics the least
// height is two line images and 20 pixels of frame.
void VideoResizeSize(int& w, int& h, bool lyrics, int lyricLineHeight);
// Keeps the video's aspect for a proposed window size (frame 14 wide and 20 high in all);
// unchanged for an unknown video size or a full-screen mode (3, 4).
void KeepVideoAspect(int& w, int& h, int videoWidth, int videoHeight, int screenMode);

}  // namespace slider_math
