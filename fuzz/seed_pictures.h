// Seed inputs for the picture decoders, built byte by byte.
#pragma once

#include <QByteArray>
#include <QList>

namespace seeds {

QList<QByteArray> Bitmaps();
QList<QByteArray> Cursors();

}  // namespace seeds
