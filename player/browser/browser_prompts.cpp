#include "player/browser/browser_prompts.h"

#include <QMessageBox>

namespace browser {

namespace {

Answerer& Installed() {
    static Answerer answerer;
    return answerer;
}

}  // namespace

bool AskYesNo(const QString& text, const QString& caption) {
    if (Installed()) return Installed()(text, caption);
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void SetAnswerer(Answerer answerer) { Installed() = std::move(answerer); }

}  // namespace browser
