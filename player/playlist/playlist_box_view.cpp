// TListBox1, the view half: owner-drawn rows, selection, row drag by mouse and the in-place rename.
#include <QCursor>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/commands/menu.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_item.h"
#include "player/playback/run.h"

namespace {

// The time column starts this far left of the playlist window's right edge.
constexpr int kTimeInset = 68;
// The path of the entry the rename edit was opened on, kept on the edit itself.
constexpr char kRenamePath[] = "renamePath";

// Every row is drawn by the box itself; the delegate only hands the painting over and fixes the
// row height, so the view can lay out any number of rows from one size.
class RowDelegate : public QStyledItemDelegate {
public:
    explicit RowDelegate(TListBox1* box) : QStyledItemDelegate(box), box_(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        box_->listDrawItem(painter, index.row(), option.rect, option.state.testFlag(QStyle::State_Selected));
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {1, TListBox1::kRowHeight}; }

private:
    TListBox1* box_;
};

// Text output of the class library is opaque: the cell behind the text takes the brush colour,
// which is how the time column covers the end of a long title.
void DrawOpaqueText(QPainter* painter, int x, int top, const QString& text, const QColor& background) {
    const QFontMetrics metrics(painter->font());
    painter->fillRect(QRect(x, top, metrics.horizontalAdvance(text), metrics.height()), background);
    painter->drawText(QPoint(x, top + metrics.ascent()), text);
}

QString Shown(QStringView text) { return playlist::Capped(text, playlist::kMaxTitleChars).toString(); }

// The entry without its title field. A title field left open runs to the end of the entry.
QString WithoutTitle(const QString& entry) {
    const qsizetype open = entry.indexOf(QLatin1String("<*"));
    if (open < 0) return entry;
    const qsizetype close = entry.indexOf(QLatin1String("*>"), open + 2);
    return entry.left(open) + (close < 0 ? QString() : entry.mid(close + 2));
}

}  // namespace

void TListBox1::SetUpView() {
    setItemDelegate(new RowDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setFont(QFont(QStringLiteral("宋体"), 9));
    if (Ctrl && Ctrl->Display) {
        QPalette colours = palette();
        colours.setColor(QPalette::Base, Ctrl->Display->NormalBG);
        colours.setColor(QPalette::Window, Ctrl->Display->NormalBG);
        setPalette(colours);
    }
}

void TListBox1::listDrawItem(QPainter* painter, int row, const QRect& rect, bool selected) const {
    if (!painter || !Ctrl || !Ctrl->Display || row < 0 || row >= Count()) return;
    const TDisplay& display = *Ctrl->Display;
    const QColor background = selected ? display.SelectedBG : display.NormalBG;
    painter->fillRect(selected ? rect.adjusted(0, -1, 0, 0) : rect, background);
    painter->setPen(Ctrl->Run && row == Ctrl->Run->Index ? display.Current : display.Normal);
    painter->setFont(font());

    // Every piece is capped before it is measured: one entry may be a whole file's single line.
    const QString& entry = Items().at(row);
    const QStringView path = playlist::PathField(entry);
    const QString suffix =
        ShowFileExt ? QLatin1Char('(') + Shown(playlist::PathExtension(path)).toLower().mid(1) + QLatin1Char(')')
                    : QString();
    const QString name = ShowFilePath ? Shown(path) : GetTitle(row);
    DrawOpaqueText(painter, rect.left() + 1, rect.top(), QString::number(row + 1) + QLatin1Char('.') + name + suffix,
                   background);

    const int windowWidth = PlaylistWindow ? PlaylistWindow->width() : width();
    const QString time = entry.contains(QLatin1String("<#"))
                             ? QLatin1Char(' ') + Shown(playlist::TimeField(entry))
                             : QStringLiteral("      ");
    DrawOpaqueText(painter, windowWidth - kTimeInset, rect.top(), time, background);
}

int TListBox1::ItemIndex() const {
    if (!selectionModel()) return -1;
    const QModelIndex caret = selectionModel()->currentIndex();
    return caret.isValid() ? caret.row() : -1;
}

void TListBox1::SetItemIndex(int row) {
    if (!selectionModel()) return;
    const QModelIndex index = row >= 0 && row < Count() ? model_->index(row) : QModelIndex();
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void TListBox1::SelectOnly(int row) {
    if (!selectionModel()) return;
    if (row < 0 || row >= Count()) {
        selectionModel()->clear();
        return;
    }
    selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect);
}

void TListBox1::listMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    // The playlist window's pop-up strip closes here once that strip exists.
    if (Ctrl && Ctrl->Display) {
        Ctrl->Display->DrawPlaylistTimes();
        Ctrl->Display->PaintPlaylist();
        Ctrl->Display->DrawTitleBars(PlaylistWindow);
    }
    if (button == Qt::LeftButton && Ctrl) Ctrl->DragX = -2;
    if (button == Qt::RightButton) {
        const QModelIndex under = indexAt(QPoint(x, y));
        if (under.isValid()) SelectOnly(under.row());
    }
    initListWidth();
    const int caret = ItemIndex();
    if (caret != LastSelected) {
        LastSelected = caret;
        viewport()->update();
    }
}

// The caret entry follows the cursor. A cursor that skipped rows moves the entry through each
// of them in turn, so the entries in between keep their order, as in a slow drag.
void TListBox1::listMouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) {
    if (!Ctrl || Ctrl->DragX != -2) return;
    const int from = ItemIndex();
    const QModelIndex under = indexAt(QPoint(x, y));
    if (from < 0 || from >= Count() || !under.isValid() || under.row() == from) return;
    const int to = under.row();
    const int step = to > from ? 1 : -1;
    int& playing = Ctrl->Run->Index;
    for (int row = from; row != to; row += step) {
        model_->Swap(row, row + step);
        if (playing == row) {
            playing = row + step;
        } else if (playing == row + step) {
            playing = row;
        }
    }
    SelectOnly(to);
    LastSelected = to;
    viewport()->update();
}

void TListBox1::listMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    if (!Ctrl) return;
    Ctrl->DragX = -1;
    if (button == Qt::RightButton && Ctrl->Menu)
        Ctrl->Menu->PopupAt(QStringLiteral("3"), viewport()->mapToGlobal(QPoint(x, y)));
}

void TListBox1::listDblClick() {
    if (Ctrl && Ctrl->Run) Ctrl->Run->PlayIndex(LastSelected);
}

// Left clicks keep the view's own selection rules (Ctrl and Shift extend it); other buttons
// select only through the handlers.
void TListBox1::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) QListView::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    listMouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

// While a row drag may run, the view's own drag selection stays out of the way.
void TListBox1::mouseMoveEvent(QMouseEvent* event) {
    const bool dragging = Ctrl && Ctrl->DragX == -2 && event->buttons() != Qt::NoButton;
    if (!dragging) QListView::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    listMouseMove(event->buttons(), event->modifiers(), at.x(), at.y());
}

void TListBox1::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) QListView::mouseReleaseEvent(event);
    const QPoint at = event->position().toPoint();
    listMouseUp(event->button(), event->modifiers(), at.x(), at.y());
}

// The second press of a double click selects as a press does; the play comes before the press
// handler, in the class library's order.
void TListBox1::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        QListView::mousePressEvent(event);
        listDblClick();
    }
    const QPoint at = event->position().toPoint();
    listMouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void TListBox1::BeginRename() {
    const int row = ItemIndex();
    if (row < 0 || row >= Count()) return;
    if (!RenameEdit) {
        RenameEdit = new QLineEdit(viewport());
        RenameEdit->setFrame(false);
        RenameEdit->setMaxLength(int(playlist::kMaxTitleChars));
        connect(RenameEdit, &QLineEdit::returnPressed, this, [this] { OnRenameKeyUp(13); });
    }
    scrollTo(model_->index(row));
    const QRect place = visualRect(model_->index(row));
    RenameEdit->setFont(font());
    if (Ctrl && Ctrl->Display) {
        // The edit stands in for the row: the skin's playlist text on the playlist's background,
        // read at every opening since the skin may have changed since the last.
        QPalette colours = RenameEdit->palette();
        colours.setColor(QPalette::Text, Ctrl->Display->Normal);
        colours.setColor(QPalette::Base, Ctrl->Display->NormalBG);
        colours.setColor(QPalette::Window, Ctrl->Display->NormalBG);
        RenameEdit->setPalette(colours);
    }
    RenameEdit->setGeometry(place.left(), place.top(), viewport()->width() - place.left(), place.height());
    RenameEdit->setText(GetTitle(row));
    RenameEdit->selectAll();
    RenameEdit->setProperty(kRenamePath, playlist::PathField(Item(row)).toString());
    RenameIndex = row;
    renameEntry_ = QPersistentModelIndex(model_->index(row));
    RenameEdit->show();
    RenameEdit->setFocus();
}

void TListBox1::OnRenameKeyUp(int key) {
    if (key == 13) RenamePost(true);
}

void TListBox1::RenamePost(bool force) {
    if (!RenameEdit || RenameEdit->isHidden()) return;
    if (!force) {
        // A press on the edit itself (or the pixel around it) is editing, not leaving.
        const QRect onScreen(RenameEdit->mapToGlobal(QPoint(0, 0)), RenameEdit->size());
        if (onScreen.adjusted(-1, -1, 1, 0).contains(QCursor::pos())) return;
    }
    RenameEdit->hide();
    // The entry must still be found, holding the path it had when the edit opened (a length
    // written in meanwhile is no matter); otherwise the title would land on another entry, so
    // the rename is dropped.
    const int row = renameEntry_.isValid() ? renameEntry_.row() : -1;
    if (row < 0 || row >= Count() ||
        playlist::PathField(Item(row)) != RenameEdit->property(kRenamePath).toString()) {
        renameEntry_ = QPersistentModelIndex();
        viewport()->update();
        return;
    }
    QString title = RenameEdit->text();
    title.remove(QLatin1Char('<'));
    title.remove(QLatin1Char('>'));
    // A pasted line end would split the entry when the list is saved.
    title.removeIf([](QChar c) { return playlist::HasControlCharacter(QStringView(&c, 1)); });
    model_->Replace(row, WithoutTitle(Item(row)) + QStringLiteral("<*") + title + QStringLiteral("*>"));
    RenameIndex = row;
    renameEntry_ = QPersistentModelIndex();
    viewport()->update();
    SelectOnly(row);
}

int TListBox1::TopIndex() const {
    const QModelIndex top = indexAt(QPoint(0, 0));
    return top.isValid() ? top.row() : 0;
}

void TListBox1::SetTopIndex(int row) {
    if (row < 0 || row >= Count()) return;
    scrollTo(model_->index(row), QAbstractItemView::PositionAtTop);
}
