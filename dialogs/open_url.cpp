#include "dialogs/open_url.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "platform/message_box.h"
#include "player/core/ctrl.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_item.h"
#include "ui_open_url.h"

namespace dialogs {

AddressCheck CheckAddress(QString* text) {
    *text = text->trimmed();
    if (!text->contains(QLatin1String("://"))) text->prepend(QStringLiteral("http://"));
    if (text->toLower() == u"http://") return AddressCheck::Nothing;
    for (const QChar c : QStringLiteral("<>#*"))
        if (text->contains(c)) return AddressCheck::Invalid;
    if (playlist::HasControlCharacter(*text)) return AddressCheck::Invalid;
    if (!text->contains(u'.') || text->endsWith(u'.')) return AddressCheck::Invalid;
    return AddressCheck::Ok;
}

}  // namespace dialogs

TForm9::TForm9(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm9>()) {
    ui_->setupUi(this);
    ui_->ComboBox1->setEditText(QStringLiteral("http://"));
    Play = [](int row) { if (Ctrl && Ctrl->Run) Ctrl->Run->PlayIndex(row); };
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
    connect(ui_->Button2, &QPushButton::clicked, this, &QDialog::close);
    // Enter in the field opens the address once: the field reports it, and the combo box passes
    // the same key back to the field, which would report it a second time.
    ui_->ComboBox1->lineEdit()->installEventFilter(this);
}

TForm9::~TForm9() = default;

// Enter belongs to the address field; it must not close the dialog as a default button would.
void TForm9::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    QDialog::keyPressEvent(event);
}

bool TForm9::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->ComboBox1->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Button1Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm9::Remember(const QString& address) {
    for (int i = ui_->ComboBox1->count() - 1; i >= 0; --i)
        if (ui_->ComboBox1->itemText(i).compare(address, Qt::CaseInsensitive) == 0) ui_->ComboBox1->removeItem(i);
    ui_->ComboBox1->insertItem(0, address);
    ui_->ComboBox1->setCurrentIndex(0);
}

void TForm9::Button1Click() {
    QString address = ui_->ComboBox1->currentText();
    const dialogs::AddressCheck check = dialogs::CheckAddress(&address);
    ui_->ComboBox1->setEditText(address);
    if (check == dialogs::AddressCheck::Nothing) {
        close();
        return;
    }
    if (check == dialogs::AddressCheck::Invalid) {
        platform::ShowMessage(QStringLiteral("输入的音乐链接地址无效、请重新输入！  "), QStringLiteral("输入无效"));
        return;
    }
    Remember(address);
    close();
    if (!ListBox1) return;
    const int before = ListBox1->Count();
    ListBox1->addFile(address, false);
    if (ListBox1->Count() == before) return;
    // The new entry, wherever the box put it.
    Play(ListBox1->UseReverse ? 0 : ListBox1->Count() - 1);
    ListBox1->clearSelection();
    ListBox1->SetItemIndex(-1);
    ListBox1->LastSelected = -1;
}
