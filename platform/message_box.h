// Message boxes as the player shows them: no owner window, an icon, a caption and a text.
#pragma once

#include <QString>
#include <functional>

namespace platform {

enum class MessageIcon { None, Information, Warning, Error, Question };

// Shows a modal box with one OK button. Tests install a recorder instead, so nothing blocks; with
// VELMORA_MESSAGES_TO_STDERR set in the environment the text goes to stderr.
void ShowMessage(const QString& text, const QString& caption, MessageIcon icon = MessageIcon::Information);

using MessageRecorder = std::function<void(const QString& text, const QString& caption, MessageIcon icon)>;
// Replaces the real box (pass an empty function to restore it).
void SetMessageRecorder(MessageRecorder recorder);

}  // namespace platform
