// Opening a document with the desktop's own viewer (ShellExecute "open" on the other system), and
// the help book: the player ships its manual as HTML pages in the install folder's help/ folder,
// where the original shipped one compiled help file that a browser cannot read.
#pragma once

#include <QString>
#include <functional>

namespace platform {

// Opens the file with the desktop's viewer for its type; false when nothing could open it.
bool ShellOpen(const QString& path);

// Tests record the opened paths instead of starting a viewer.
using OpenRecorder = std::function<void(const QString& path)>;
void SetOpenRecorder(OpenRecorder recorder);

// The help page a help reference names: "<folder>help.chm" is the manual's first page,
// "<folder>help.chm::<book>\<page>.htm" that page; both in "<folder>help/". Any other path is
// returned as it is.
QString HelpPage(const QString& reference);

}  // namespace platform
