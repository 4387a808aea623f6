// The browser's yes/no questions. Tests install an answerer, so nothing blocks.
#pragma once

#include <QString>
#include <functional>

namespace browser {

// A modal question box with Yes and No; true for Yes.
bool AskYesNo(const QString& text, const QString& caption);

using Answerer = std::function<bool(const QString& text, const QString& caption)>;
// Replaces the real box (an empty function restores it).
void SetAnswerer(Answerer answerer);

}  // namespace browser
