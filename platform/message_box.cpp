#include "platform/message_box.h"

#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

namespace platform {

static MessageRecorder& Recorder() {
    static MessageRecorder recorder;
    return recorder;
}

void SetMessageRecorder(MessageRecorder recorder) { Recorder() = std::move(recorder); }

static QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::Warning: return QMessageBox::Warning;
        case MessageIcon::Error: return QMessageBox::Critical;
        case MessageIcon::Question: return QMessageBox::Question;
        case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

void ShowMessage(const QString& text, const QString& caption, MessageIcon icon) {
    if (Recorder()) {
        Recorder()(text, caption, icon);
        return;
    }
    // Test runs have nobody to press OK: the box goes to stderr instead of waiting.
    if (std::getenv("VELMORA_MESSAGES_TO_STDERR")) {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(caption), qPrintable(text));
        return;
    }
    QMessageBox box(ToQt(icon), caption, text, QMessageBox::Ok);  // no owner window
    box.exec();
}

// ---- Questions with OK and Cancel ----------------------------------------------------------

static QuestionAnswerer& Answerer() {
    static QuestionAnswerer answerer;
    return answerer;
}

void SetQuestionAnswerer(QuestionAnswerer answerer) { Answerer() = std::move(answerer); }

bool AskOkCancel(const QString& text, const QString& caption, MessageIcon icon) {
    if (Answerer()) return Answerer()(text, caption, icon);
    if (std::getenv("VELMORA_MESSAGES_TO_STDERR")) {
        std::fprintf(stderr, "[%s] %s [Cancel]\n", qPrintable(caption), qPrintable(text));
        return false;
    }
    QMessageBox box(ToQt(icon), caption, text, QMessageBox::Ok | QMessageBox::Cancel);  // no owner window
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

}  // namespace platform
