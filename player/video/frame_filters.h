// The six video frame filters. Each works in place on a 24-bit frame (bytes blue, green, red, as
// the grabber delivers them) with integer arithmetic only; values beyond ±255 are the caller's to
// clamp. The plain versions are the straightforward per-pixel loops the fast ones must match
// byte for byte.
#pragma once

#include <QImage>

namespace framefilters {

// The frame as the filters need it: 24 bits, blue first. Another format is converted in place.
void MakeFilterable(QImage* frame);

void AdjustRGB(QImage* frame, int red, int green, int blue);
void AdjustSaturation(QImage* frame, int saturation);
void AdjustContrast(QImage* frame, int contrast);
void AdjustBrightness(QImage* frame, int brightness);
// A 3 x 3 mean in place: rows above and pixels to the left are read already softened.
void Soften(QImage* frame);
// Each pixel pushed away from a neighbour already sharpened (above-left, or above at a row's start).
void Sharpen(QImage* frame);

namespace plain {
void AdjustRGB(QImage* frame, int red, int green, int blue);
void AdjustSaturation(QImage* frame, int saturation);
void AdjustContrast(QImage* frame, int contrast);
void AdjustBrightness(QImage* frame, int brightness);
void Soften(QImage* frame);
void Sharpen(QImage* frame);
}  // namespace plain

}  // namespace framefilters
