#include "player/browser/form5.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include "platform/message_box.h"
#include "platform/text_file.h"
#include "player/app/form1.h"
#include "player/browser/browser_prompts.h"
#include "player/browser/form13.h"
#include "player/browser/station_list.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/display/window_placement.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/station_code.h"
#include "ui_form5.h"

namespace {

// The stored place, pulled back into reach when a smaller or moved desktop left it outside.
QRect PlaceInWorkArea(QRect place, const QRect& area) {
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();
    if (place.x() >= right) place.moveLeft(right - place.width());
    if (place.x() < -place.width()) place.moveLeft(0);
    if (place.y() >= bottom) place.moveTop(bottom - place.height());
    if (place.y() < -place.height()) place.moveTop(0);
    return place;
}

QTreeWidgetItem* NewNode(const QString& line) {
    return new QTreeWidgetItem(QStringList{stations::DisplayName(line)});
}

}  // namespace

TForm5::TForm5(QWidget* parent)
    : TSkinWindow(parent, Qt::Window | Qt::FramelessWindowHint), ui_(std::make_unique<Ui::TForm5>()) {
    ui_->setupUi(this);
    setObjectName(windowTitle());
    setWindowTitle(QStringLiteral("Velmora Player"));
    Edit1 = ui_->Edit1;
    TreeView1 = ui_->TreeView1;
    Button1 = ui_->Button1;
    Form5 = this;
    FormCreate();
}

TForm5::~TForm5() = default;

void TForm5::StorePlace() const {
    Ctrl->WriteInteger(QStringLiteral("MB_L"), x());
    Ctrl->WriteInteger(QStringLiteral("MB_T"), y());
    Ctrl->WriteInteger(QStringLiteral("MB_W"), width());
    Ctrl->WriteInteger(QStringLiteral("MB_H"), height());
}

void TForm5::FormCreate() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int mainLeft = Form1 ? Form1->x() : 0;
    const int mainTop = Form1 ? Form1->y() : 0;
    const int mainWidth = Form1 ? Form1->width() : 275;
    // A hand-edited size is kept within what the browser's resize allows.
    const int w = std::clamp(Ctrl->ReadInteger(QStringLiteral("MB_W"), 275), 275, kMaxSkinWindowSide);
    const int h = std::clamp(Ctrl->ReadInteger(QStringLiteral("MB_H"), 348), 116, kMaxSkinWindowSide);
    const QRect place(ClampPosition(Ctrl->ReadInteger(QStringLiteral("MB_L"), ClampPosition(qint64(mainLeft) + mainWidth))),
                      ClampPosition(Ctrl->ReadInteger(QStringLiteral("MB_T"), mainTop)), w, h);
    setGeometry(PlaceInWorkArea(place, area));
    setFont(QFont(QStringLiteral("宋体"), 9));
    Edit1->installEventFilter(this);
    TreeView1->viewport()->installEventFilter(this);
    // The box keeps its text in upper case, as the search compares it.
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text) return;
        const int cursor = Edit1->cursorPosition();
        Edit1->setText(upper);
        Edit1->setCursorPosition(cursor);
    });
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, [this] { TreeView1DblClick(); });
    Ctrl->Display->BuildBrowserWindow(true);
    Ctrl->Display->PaintBrowser();
    LoadStations();
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyRelease) {
        Edit1KeyUp(static_cast<QKeyEvent*>(event)->key());
    } else if (watched == TreeView1->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && Ctrl && Ctrl->Menu)
            Ctrl->Menu->PopupAt(QStringLiteral("8"), mouse->globalPosition().toPoint());
    }
    return TSkinWindow::eventFilter(watched, event);
}

QString TForm5::StationFile() const { return Ctrl->InstallFolder + QStringLiteral("Plugins/BCSPlus.ini"); }

void TForm5::LoadStations() {
    loadError_.clear();
    lines_ = stations::LoadLines(StationFile(), &loadError_);
    FillTree();
}

void TForm5::FillTree() {
    TreeView1->clear();
    QList<QTreeWidgetItem*> categories;
    QList<QTreeWidgetItem*> children;
    const auto flush = [&] {
        if (!categories.isEmpty()) categories.last()->addChildren(children);
        children.clear();
    };
    for (const QString& line : std::as_const(lines_)) {
        if (stations::Depth(line) > 0) {
            children << NewNode(line);
            continue;
        }
        flush();
        categories << NewNode(line);
    }
    flush();
    TreeView1->addTopLevelItems(categories);
}

int TForm5::IndexOf(const QTreeWidgetItem* node) const {
    if (!node) return -1;
    const QTreeWidgetItem* top = node->parent() ? node->parent() : node;
    const int row = TreeView1->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(top));
    if (row < 0) return -1;
    int index = 0;
    for (int i = 0; i < row; ++i) index += 1 + TreeView1->topLevelItem(i)->childCount();
    return node->parent() ? index + 1 + top->indexOfChild(const_cast<QTreeWidgetItem*>(node)) : index;
}

QTreeWidgetItem* TForm5::NodeAt(int index) const {
    if (index < 0) return nullptr;
    for (int i = 0; i < TreeView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = TreeView1->topLevelItem(i);
        if (index == 0) return top;
        if (index <= top->childCount()) return top->child(index - 1);
        index -= 1 + top->childCount();
    }
    return nullptr;
}

void TForm5::Edit1KeyUp(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    const QString text = Edit1->text().toUpper();
    if (text.isEmpty()) return;
    QTreeWidgetItem* found = NodeAt(stations::Find(lines_, text));
    if (found) {
        TreeView1->setCurrentItem(found);
        TreeView1->setFocus();
    } else {
        platform::ShowMessage(QStringLiteral("找不到“") + text + QStringLiteral("”！　　"), QStringLiteral("没有找到"),
                              platform::MessageIcon::Information);
    }
    Edit1->clear();
}

void TForm5::TreeView1DblClick() {
    const QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node || !node->parent()) return;
    const int index = IndexOf(node);
    if (index < 0 || index >= lines_.size()) return;
    const QString item = stations::PlaylistItem(lines_.at(index));
    if (!item.isEmpty() && ListBox1) ListBox1->addFile(item, true);
}

bool TForm5::Save(const QStringList& lines) {
    QString error = loadError_;
    // A file that exists but could not be read shows as an empty tree; writing that would lose it.
    if (error.isEmpty() && platform::WriteTextLines(StationFile(), lines, &error)) {
        lines_ = lines;
        return true;
    }
    platform::ShowMessage(QStringLiteral("电台列表没有保存，什么也没有改变。\n") + error, QStringLiteral("保存失败"),
                          platform::MessageIcon::Warning);
    return false;
}

void TForm5::DeleteItem() {
    QTreeWidgetItem* node = TreeView1->currentItem();
    const int index = IndexOf(node);
    if (index < 0 || index >= lines_.size()) return;
    if (!browser::AskYesNo(QStringLiteral("确定删除“") + node->text(0) + QStringLiteral("”吗？    "),
                           QStringLiteral("确定删除")))
        return;
    if (!Save(stations::Removed(lines_, index))) return;
    delete node;
}

TForm13* TForm5::EnsureEditor() {
    if (!form13_) form13_ = std::make_unique<TForm13>(this);
    return form13_.get();
}

void TForm5::EditItem() {
    const QTreeWidgetItem* node = TreeView1->currentItem();
    const int index = IndexOf(node);
    if (!node || !node->parent() || index < 0 || index >= lines_.size()) return;
    TForm13* editor = EnsureEditor();
    const QString& line = lines_.at(index);
    editor->Edit1->setText(node->text(0));
    const QString code = stations::CodeOf(line);
    editor->Edit2->setText(code.isEmpty() ? stations::UrlOf(line) : GetBCSURL(code));
    editor->Mode = TForm13::Edit;
    editor->Station = index;
    editor->exec();
}

void TForm5::AddItem() {
    TForm13* editor = EnsureEditor();
    editor->Mode = TForm13::Add;
    editor->Station = -1;
    editor->exec();
}

bool TForm5::StoreStation(int station, const QString& category, const QString& name, const QString& target) {
    const bool editing = station >= 0 && station < lines_.size();
    const QString line = stations::StationLine(name, target);
    if (editing) {
        const int current = stations::CategoryIndex(lines_, station);
        if (current >= 0 && stations::DisplayName(lines_.at(current)).toLower() == category.toLower())
            return RewriteStation(station, name, line);
    }
    const bool isNew = stations::FindCategory(lines_, category) < 0;
    if (isNew && !browser::AskYesNo(QStringLiteral("分类中没有包括“") + category + QStringLiteral("”，要创建该分类吗？    "),
                                    QStringLiteral("确认创建新分类")))
        return false;
    QStringList changed = lines_;
    if (editing) changed.removeAt(station);
    if (isNew) changed << category << line;
    else changed = stations::AddedToCategory(changed, stations::FindCategory(changed, category), line);
    QTreeWidgetItem* old = editing ? NodeAt(station) : nullptr;
    if (!Save(changed)) return false;
    delete old;
    QTreeWidgetItem* home = isNew ? NewNode(category) : NodeAt(stations::FindCategory(lines_, category));
    if (isNew) TreeView1->addTopLevelItem(home);
    home->addChild(NewNode(line));
    return true;
}

bool TForm5::RewriteStation(int station, const QString& name, const QString& line) {
    QStringList changed = lines_;
    changed[station] = QString(stations::Depth(lines_.at(station)), u'\t') + line.mid(1);
    if (!Save(changed)) return false;
    if (QTreeWidgetItem* node = NodeAt(station)) node->setText(0, name);
    return true;
}
