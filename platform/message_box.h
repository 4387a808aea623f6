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

// ---- Questions with OK and Cancel ----------------------------------------------------------

// Shows a modal box with OK and Cancel; true for OK. Cancel, Escape and the close box give
// false. With VELMORA_MESSAGES_TO_STDERR set the text goes to stderr and the answer is Cancel:
// nobody is there to agree.
bool AskOkCancel(const QString& text, const QString& caption, MessageIcon icon = MessageIcon::Question);

using QuestionAnswerer = std::function<bool(const QString& text, const QString& caption, MessageIcon icon)>;
// Answers in place of the real box (pass an empty function to restore it).
void SetQuestionAnswerer(QuestionAnswerer answerer);

}  // namespace platform
