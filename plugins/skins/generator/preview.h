// Review pictures of the built-in skin: a contact sheet of every sheet and cursor, and mock-ups
// of the windows put together the way the player copies the pieces.
#pragma once

#include "plugins/skins/skin_layout.h"

#include <QImage>
#include <array>

namespace preview {

using Sheets = std::array<QImage, skin_layout::kSheets.size()>;

QImage contactSheet(const Sheets& sheets, const std::array<QImage, 6>& cursors);
QImage windows(const Sheets& sheets);
// Closer looks: 0 the main and equaliser windows, 1 the playlist, video and browser frames,
// 2 the fonts and small indicators.
QImage closeUp(const Sheets& sheets, int part);

}  // namespace preview
