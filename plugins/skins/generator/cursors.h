// The six built-in cursors, drawn as 32 x 32 pictures with alpha.
#pragma once

#include <QImage>

namespace cursors {

// By resource name: NORMAL, VOLBAL, TITLEBAR, PSIZE, PVSCROLL, WSCLOSE; a null image otherwise.
QImage draw(const char* name);

}  // namespace cursors
