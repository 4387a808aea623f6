// What the uninstaller was due to remove and could not, one line each, for its closing message.
#pragma once

#include <QStringList>

namespace uninstall {

using Failures = QStringList;

}  // namespace uninstall
