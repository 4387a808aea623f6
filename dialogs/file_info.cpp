#include "dialogs/file_info.h"

#include <QFileInfo>
#include <QMutex>
#include <QPalette>
#include <QThread>
#include <memory>
#include <utility>

#include "dialogs/id3v1_tag.h"
#include "platform/media_tags.h"
#include "platform/message_box.h"
#include "player/core/ctrl.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_item.h"
#include "player/playlist/station_code.h"
#include "ui_file_info.h"

namespace {

QList<QLineEdit*> TagEdits(Ui::TForm10* ui) { return {ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5, ui->Edit6, ui->Edit7}; }

QMutex g_sourceLock;
MediaTagSource g_source;

MediaTagSource CurrentSource() {
    const QMutexLocker lock(&g_sourceLock);
    if (g_source) return g_source;
    return [](const QString& path, platform::MediaTags* tags) { return platform::DiscoverMediaTags(path, tags); };
}

// Read-only fields wear the grey of the window behind them instead of the white of an edit.
void SetReadOnlyLook(QLineEdit* edit, bool readOnly, const QPalette& form) {
    edit->setReadOnly(readOnly);
    QPalette colours = edit->palette();
    colours.setColor(QPalette::Base, form.color(readOnly ? QPalette::Window : QPalette::Base));
    edit->setPalette(colours);
}

// Only MPEG audio carries the 128-byte tag by convention; other types are never given one.
bool MayAppendTag(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    return ext == u"mp3" || ext == u"mp2" || ext == u"mp1";
}

}  // namespace

void SetMediaTagSource(MediaTagSource source) {
    const QMutexLocker lock(&g_sourceLock);
    g_source = std::move(source);
}

bool IsTaggable(const QString& path, const QString& decodeLists) {
    if (path.contains(QLatin1String("://"))) return false;
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty()) return false;
    const QString needle = QStringLiteral("*.") + suffix.toLower() + u';';
    return (decodeLists.toLower() + u';').contains(needle);
}

TForm10::TForm10(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm10>()) {
    ui_->setupUi(this);
    SetReadOnlyLook(ui_->Edit1, true, palette());
    connect(ui_->Button1, &QPushButton::clicked, this, &QDialog::close);
    connect(ui_->Button2, &QPushButton::clicked, this, [this] { SetMP3Tag(ui_->Edit1->text()); });
}

TForm10::~TForm10() = default;

bool TForm10::init() {
    if (!ListBox1 || ListBox1->Count() == 0) {
        Load(QString(), QString());
        return false;
    }
    if (ListBox1->ItemIndex() < 0) ListBox1->SetItemIndex(0);
    const QString lists = Ctrl ? Ctrl->Decode0List + u';' + Ctrl->Decode1List : QString();
    Load(ListBox1->Item(ListBox1->ItemIndex()), lists);
    return true;
}

void TForm10::Load(const QString& entry, const QString& decodeLists) {
    ui_->Button2->setEnabled(false);
    ui_->LabelNoWrite->hide();
    pending_ = 0;
    track_ = 0;
    QString path = playlist::PathField(entry).toString();
    if (path.startsWith(QLatin1String("<:"))) path = GetBCSURL(path);
    ui_->Edit1->setText(path);
    for (QLineEdit* edit : TagEdits(ui_.get())) edit->clear();
    const bool taggable = IsTaggable(path, decodeLists);
    SetEditable(taggable);
    if (taggable) GetMP3Tag(path);
}

void TForm10::SetEditable(bool on) {
    for (QLineEdit* edit : TagEdits(ui_.get())) SetReadOnlyLook(edit, !on, palette());
}

void TForm10::GetMP3Tag(const QString& path) {
    dialogs::Id3v1Tag tag;
    QString error;
    switch (dialogs::ReadId3v1File(path, &tag, &error)) {
    case dialogs::TagRead::Error:
        platform::ShowMessage(error, QStringLiteral("错误"), platform::MessageIcon::Error);
        return;
    case dialogs::TagRead::NoTag: GetRealTag(path); return;
    case dialogs::TagRead::Found: break;
    }
    ui_->Edit2->setText(tag.title);
    ui_->Edit3->setText(tag.artist);
    ui_->Edit4->setText(tag.album);
    ui_->Edit5->setText(tag.year);
    ui_->Edit6->setText(QString::number(tag.genre));
    ui_->Edit7->setText(tag.comment);
    track_ = tag.track;
    ui_->Button2->setEnabled(true);
}

// A file without the tag shows what its own tags say; saving then adds a tag only to MPEG audio,
// so the fields of any other type are only shown. The reading may take seconds (a slow disc, a
// file that is not media): it runs aside and fills the fields when it answers, so the dialog
// never waits for it.
void TForm10::GetRealTag(const QString& path) {
    if (!MayAppendTag(path)) {
        SetEditable(false);
        ui_->LabelNoWrite->show();
    }
    pending_ = ++request_;
    const quint64 request = pending_;
    auto answer = std::make_shared<std::pair<bool, platform::MediaTags>>();
    QThread* worker = QThread::create([source = CurrentSource(), path, answer] {
        answer->first = source(path, &answer->second);
    });
    // Queued to this dialog: a dialog closed and freed first is simply not told.
    connect(worker, &QThread::finished, this, [this, request, path, answer] {
        if (request != pending_) return;  // another entry was loaded meanwhile
        pending_ = 0;
        ShowRealTag(path, answer->first, answer->second);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void TForm10::ShowRealTag(const QString& path, bool opened, const platform::MediaTags& tags) {
    if (!opened) return;
    ui_->Edit2->setText(tags.title);
    ui_->Edit3->setText(tags.artist);
    ui_->Edit4->setText(tags.copyright);
    ui_->Button2->setEnabled(MayAppendTag(path));
}

void TForm10::SetMP3Tag(const QString& path) {
    dialogs::Id3v1Tag tag{ui_->Edit2->text(), ui_->Edit3->text(), ui_->Edit4->text(),
                          ui_->Edit5->text(), ui_->Edit7->text(), 255, track_};
    tag.genre = dialogs::GenreFromText(ui_->Edit6->text());
    if (!ui_->Edit6->text().isEmpty() && tag.genre == 255) ui_->Edit6->setText(QStringLiteral("255"));
    if (dialogs::WriteId3v1File(path, tag, MayAppendTag(path)))
        platform::ShowMessage(QStringLiteral("完成更新ID3信息！  "), QStringLiteral("修改成功"));
    else
        platform::ShowMessage(QStringLiteral("不能修改该文件，更新ID3信息失败！  "), QStringLiteral("修改失败"));
}
