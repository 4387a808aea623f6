#include "dialogs/link_list.h"

#include <QCursor>
#include <QMenu>

#include "player/core/ctrl.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "ui_link_list.h"

namespace dialogs {

QString CleanLinkText(const QString& text) {
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text)
        if (c != u'<' && c != u'>' && c.category() != QChar::Other_Control && c != QChar::LineSeparator &&
            c != QChar::ParagraphSeparator)
            clean += c;
    return clean.trimmed();
}

QList<Link> ParseLinkList(const QString& argument) {
    QList<Link> links;
    const qsizetype all = argument.indexOf(QLatin1String("<ALL>"));
    if (all < 0) return links;
    QString work = argument.mid(all + 5) + QStringLiteral("*;");
    // A terminator at the fifth character or before ends the whole list.
    for (qsizetype end = work.indexOf(QLatin1String("*;")); end > 4; end = work.indexOf(QLatin1String("*;"))) {
        const QString entry = work.left(end);
        work = work.mid(end + 2);
        const qsizetype mark = entry.indexOf(QLatin1String("$;"));
        Link link{mark < 0 ? QString() : CleanLinkText(entry.left(mark)), CleanLinkText(entry.mid(mark < 0 ? 0 : mark + 2))};
        if (!link.url.contains(QLatin1String("://"))) link.url.prepend(QStringLiteral("http://"));
        if (link.url.size() < 11) continue;  // "http://" and less than "a.bc" is no link
        links.append(link);
    }
    return links;
}

QString LinkEntry(const Link& link, bool withTitle) {
    const QString path = QStringLiteral("<?") + link.url + QStringLiteral("?>");
    return withTitle ? QStringLiteral("<*") + link.text + QStringLiteral("*>") + path : path;
}

}  // namespace dialogs

TForm15::TForm15(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm15>()) {
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    ui_->ListView1->setColumnWidth(0, 150);
    ui_->ListView1->setColumnWidth(1, 320);
    Play = [](int row) { if (Ctrl && Ctrl->Run) Ctrl->Run->PlayIndex(row); };
    PopupMenu1 = new QMenu(this);
    connect(PopupMenu1->addAction(QStringLiteral("不含名称(&NoTitle)")), &QAction::triggered, this, &TForm15::N1Click);
    connect(PopupMenu1->addAction(QStringLiteral("包含名称(&AddTitle)")), &QAction::triggered, this, &TForm15::N2Click);
    connect(ui_->Button1, &QPushButton::clicked, this, &QDialog::close);
    connect(ui_->Button2, &QPushButton::clicked, this, [this] { PopupMenu1->popup(QCursor::pos()); });
    connect(ui_->Button3, &QPushButton::clicked, this, &TForm15::Button3Click);
    connect(ui_->Button4, &QPushButton::clicked, this, &TForm15::Button4Click);
    connect(ui_->Button5, &QPushButton::clicked, this, &TForm15::Button5Click);
    connect(ui_->ListView1, &QTreeWidget::itemChanged, this, [this] { ui_->Button2->setEnabled(AnyChecked()); });
}

TForm15::~TForm15() = default;

void TForm15::ShowData(const QString& argument) {
    ui_->ListView1->clear();
    for (const dialogs::Link& link : dialogs::ParseLinkList(argument)) {
        auto* row = new QTreeWidgetItem(ui_->ListView1, {link.text, link.url});
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(0, Qt::Unchecked);
    }
    Button3Click();
}

bool TForm15::AnyChecked() const {
    for (int i = ui_->ListView1->topLevelItemCount() - 1; i >= 0; --i)
        if (ui_->ListView1->topLevelItem(i)->checkState(0) == Qt::Checked) return true;
    return false;
}

void TForm15::SetAllChecks(int mode) {
    for (int i = 0; i < ui_->ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = ui_->ListView1->topLevelItem(i);
        const bool on = mode == 2 ? row->checkState(0) != Qt::Checked : mode == 1;
        row->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }
    ui_->Button2->setEnabled(AnyChecked());
}

void TForm15::Button3Click() { SetAllChecks(1); }
void TForm15::Button4Click() { SetAllChecks(0); }
void TForm15::Button5Click() { SetAllChecks(2); }

// New entries at the top take the rows from the last, so the page's order stands at the top;
// appended ones take them from the first. Either way the first link plays.
void TForm15::AddChecked(bool withTitle) {
    close();
    if (!ListBox1) return;
    const int before = ListBox1->Count();
    const bool top = ListBox1->UseReverse;
    const int rows = ui_->ListView1->topLevelItemCount();
    for (int n = 0; n < rows; ++n) {
        const QTreeWidgetItem* row = ui_->ListView1->topLevelItem(top ? rows - 1 - n : n);
        if (row->checkState(0) != Qt::Checked) continue;
        ListBox1->addFile(dialogs::LinkEntry({row->text(0), row->text(1)}, withTitle), false);
    }
    if (ListBox1->Count() > before && ListBox1->AutoPlayNewFile) Play(top ? 0 : before);
}
