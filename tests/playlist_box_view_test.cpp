// The playlist box's rows by pixel, the row drag, the clicks and the in-place rename, on the box
// of a main window opened over a private install folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <functional>

#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_item.h"
#include "player/playback/run.h"
#include "tests/test_support.h"

namespace {

constexpr int kRow = 14;
const QColor kNormal(200, 0, 0);
const QColor kNormalBG(255, 255, 255);
const QColor kCurrent(0, 150, 0);
const QColor kSelectedBG(0, 0, 210);

class PlaylistBoxViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("Plugins/FilePlus.ini", "[decode_setup]\r\nDECODE0=*.mp3\r\n");
        form_ = new TForm1(dir_.path() + "/");
        box_ = ListBox1;
        ASSERT_NE(box_, nullptr);
        Ctrl->Display->Normal = kNormal;
        Ctrl->Display->NormalBG = kNormalBG;
        Ctrl->Display->Current = kCurrent;
        Ctrl->Display->SelectedBG = kSelectedBG;
        box_->setParent(nullptr);
        box_->resize(275, 200);
        box_->show();
        box_->SetItems({"<?/m/a.mp3?><#03:25#>", "<?/m/b.mp3?>", "<?/m/c.mp3?>", "<?/m/d.mp3?>"});
        box_->UseReverse = true;
    }
    void TearDown() override {
        form_->QuietClose = true;
        form_->close();
        delete form_;
        delete box_;
    }

    QImage Picture() const {
        QCoreApplication::processEvents();
        return box_->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // Pixels of `colour` in [x0, x1) of row `row`'s 14 lines.
    static int Count(const QImage& image, int row, int x0, int x1, const QColor& colour) {
        int n = 0;
        for (int y = row * kRow; y < (row + 1) * kRow; ++y)
            for (int x = x0; x < x1; ++x) n += image.pixelColor(x, y) == colour;
        return n;
    }
    // Rightmost pixel of row `row` left of `limit` that is not `background`; -1 when none.
    static int RightmostInk(const QImage& image, int row, int limit, const QColor& background) {
        for (int x = limit - 1; x >= 0; --x)
            for (int y = row * kRow; y < (row + 1) * kRow; ++y)
                if (image.pixelColor(x, y) != background) return x;
        return -1;
    }
    void Send(QEvent::Type type, Qt::MouseButton button, int row, Qt::KeyboardModifiers mods = {}) {
        const QPointF at(30, row * kRow + 7);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(button);
        QMouseEvent event(type, at, box_->viewport()->mapToGlobal(at), button, held, mods);
        QCoreApplication::sendEvent(box_->viewport(), &event);
    }
    void Click(Qt::MouseButton button, int row, Qt::KeyboardModifiers mods = {}) {
        Send(QEvent::MouseButtonPress, button, row, mods);
        Send(QEvent::MouseButtonRelease, button, row, mods);
    }
    QList<int> SelectedRows() const {
        QList<int> rows;
        for (const QModelIndex& i : box_->selectionModel()->selectedRows()) rows << i.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    // No entry other than the one at `path` carries the title `title`.
    void ExpectTitleOnlyOn(const QString& title, const QString& path) const {
        for (const QString& entry : box_->Items()) {
            if (entry.contains("<*" + title + "*>")) {
                EXPECT_EQ(playlist::PathField(entry), path) << entry.toStdString();
            }
        }
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    QPointer<TListBox1> box_;
};

TEST_F(PlaylistBoxViewTest, RowsHaveFixedHeightAndMultipleSelection) {
    EXPECT_EQ(box_->visualRect(box_->Model()->index(2)).top(), 2 * kRow);
    EXPECT_EQ(box_->visualRect(box_->Model()->index(2)).height(), kRow);
    EXPECT_GE(box_->visualRect(box_->Model()->index(2)).width(), box_->viewport()->width());
    EXPECT_EQ(box_->selectionMode(), QAbstractItemView::ExtendedSelection);
    Click(Qt::LeftButton, 0);
    Click(Qt::LeftButton, 2, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(), (QList<int>{0, 2}));
    Click(Qt::LeftButton, 1);
    Click(Qt::LeftButton, 3, Qt::ShiftModifier);
    EXPECT_EQ(SelectedRows(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(box_->palette().color(QPalette::Base), TDisplay().NormalBG) << "the box's own colour";
}

TEST_F(PlaylistBoxViewTest, RowsAreFilledAndTextColouredBySelectionAndPlaying) {
    Ctrl->Run->Index = 1;
    box_->SelectOnly(2);
    const QImage image = Picture();
    const int mid = 150;  // right of every title, left of the time column
    EXPECT_EQ(image.pixelColor(mid, 0 * kRow + 7), kNormalBG);
    EXPECT_EQ(image.pixelColor(mid, 2 * kRow + 0), kSelectedBG);
    EXPECT_EQ(image.pixelColor(mid, 2 * kRow + 13), kSelectedBG);
    EXPECT_EQ(image.pixelColor(mid, 2 * kRow - 1), kSelectedBG) << "the selection reaches one line up";
    EXPECT_EQ(image.pixelColor(mid, 2 * kRow - 2), kNormalBG);
    EXPECT_EQ(image.pixelColor(mid, 3 * kRow + 1), kNormalBG);
    EXPECT_EQ(image.pixelColor(mid, 5 * kRow), box_->palette().color(QPalette::Base)) << "below the last row";

    EXPECT_GT(Count(image, 1, 0, mid, kCurrent), 0) << "the playing row";
    EXPECT_EQ(Count(image, 1, 0, mid, kNormal), 0);
    for (int row : {0, 2, 3}) {
        EXPECT_GT(Count(image, row, 0, mid, kNormal), 0) << row;
        EXPECT_EQ(Count(image, row, 0, mid, kCurrent), 0) << row;
    }
}

TEST_F(PlaylistBoxViewTest, TimeStandsAtWindowWidthLess68AndCoversLongTitles) {
    box_->SetItems({"<?/m/a.mp3?><#03:25#>", "<?/m/b.mp3?>", "<*" + QString(80, 'W') + "*><?/m/c.mp3?><#01:00#>"});
    const QImage image = Picture();
    const int column = box_->width() - 68;
    const int titleEnd = RightmostInk(image, 0, column, kNormalBG);
    ASSERT_GT(titleEnd, 0);
    ASSERT_LT(titleEnd, 60);
    EXPECT_EQ(RightmostInk(image, 0, column, kNormalBG), titleEnd) << "nothing between title and time";
    EXPECT_GT(Count(image, 0, column, image.width(), kNormal), 0) << "the time";
    EXPECT_EQ(RightmostInk(image, 1, image.width(), kNormalBG), RightmostInk(image, 1, column, kNormalBG))
        << "no time: the column stays empty";
    // The time's leading space is drawn opaque over the end of the long title.
    const int space = QFontMetrics(box_->font()).horizontalAdvance(' ');
    ASSERT_GT(RightmostInk(image, 2, column, kNormalBG), column - 20) << "the title runs into the column";
    EXPECT_EQ(Count(image, 2, column, column + space, kNormalBG), kRow * space);
}

TEST_F(PlaylistBoxViewTest, FileExtensionAndPathOptionsWidenTheText) {
    box_->SetItems({"<?/m/Song.MP3?>"});
    const QFontMetrics metrics(box_->font());
    const int column = box_->width() - 68;
    const int plain = RightmostInk(Picture(), 0, column, kNormalBG);
    EXPECT_NEAR(plain, 1 + metrics.horizontalAdvance("1.Song"), 2);
    box_->ShowFileExt = true;
    EXPECT_NEAR(RightmostInk(Picture(), 0, column, kNormalBG), 1 + metrics.horizontalAdvance("1.Song(mp3)"), 2);
    box_->ShowFileExt = false;
    box_->ShowFilePath = true;
    EXPECT_NEAR(RightmostInk(Picture(), 0, column, kNormalBG), 1 + metrics.horizontalAdvance("1./m/Song.MP3"), 2);
}

TEST_F(PlaylistBoxViewTest, DragMovesTheCaretEntryStepwiseAndPlayingIndexFollows) {
    Ctrl->Run->Index = 0;
    Send(QEvent::MouseButtonPress, Qt::LeftButton, 0);
    EXPECT_EQ(Ctrl->DragX, -2);
    Send(QEvent::MouseMove, Qt::LeftButton, 1);
    EXPECT_EQ(box_->Items(), (QStringList{"<?/m/b.mp3?>", "<?/m/a.mp3?><#03:25#>", "<?/m/c.mp3?>", "<?/m/d.mp3?>"}));
    EXPECT_EQ(Ctrl->Run->Index, 1) << "the playing entry moved down";
    EXPECT_EQ(box_->ItemIndex(), 1);
    EXPECT_EQ(box_->LastSelected, 1);
    EXPECT_EQ(SelectedRows(), QList<int>{1});

    Ctrl->Run->Index = 2;  // c plays; the dragged entry jumps past it
    Send(QEvent::MouseMove, Qt::LeftButton, 3);
    EXPECT_EQ(box_->Items(), (QStringList{"<?/m/b.mp3?>", "<?/m/c.mp3?>", "<?/m/d.mp3?>", "<?/m/a.mp3?><#03:25#>"}));
    EXPECT_EQ(Ctrl->Run->Index, 1) << "c stepped up by one";
    Send(QEvent::MouseMove, Qt::LeftButton, 9);  // below the rows: nothing
    Send(QEvent::MouseButtonRelease, Qt::LeftButton, 3);
    EXPECT_EQ(Ctrl->DragX, -1);
    Send(QEvent::MouseMove, Qt::LeftButton, 0);
    EXPECT_EQ(box_->Item(3), "<?/m/a.mp3?><#03:25#>") << "no drag after the release";

    Send(QEvent::MouseButtonPress, Qt::RightButton, 3);
    Send(QEvent::MouseMove, Qt::RightButton, 2);
    EXPECT_EQ(box_->Item(3), "<?/m/a.mp3?><#03:25#>") << "the right button does not drag";
    Send(QEvent::MouseButtonRelease, Qt::RightButton, 2);
}

TEST_F(PlaylistBoxViewTest, RightClickSelectsOnlyTheRowAndDoubleClickPlaysLastSelected) {
    Click(Qt::LeftButton, 0);
    Click(Qt::LeftButton, 2, Qt::ControlModifier);
    Click(Qt::RightButton, 3);
    EXPECT_EQ(SelectedRows(), QList<int>{3});
    EXPECT_EQ(box_->ItemIndex(), 3);
    EXPECT_EQ(box_->LastSelected, 3);
    Click(Qt::RightButton, 8);  // below the rows: the selection stays
    EXPECT_EQ(SelectedRows(), QList<int>{3});

    Click(Qt::LeftButton, 2);
    Send(QEvent::MouseButtonDblClick, Qt::LeftButton, 2);
    Send(QEvent::MouseButtonRelease, Qt::LeftButton, 2);
    EXPECT_EQ(Ctrl->Run->Index, 2);
}

TEST_F(PlaylistBoxViewTest, RenameWritesOneCleanTitleField) {
    box_->SetItems({"<?/m/a.mp3?>", "<*old*><?/m/b.mp3?><#01:00#>"});
    box_->SelectOnly(1);
    box_->BeginRename();
    ASSERT_TRUE(box_->RenameEdit);
    EXPECT_TRUE(box_->RenameEdit->isVisible());
    EXPECT_EQ(box_->RenameEdit->text(), "old");
    EXPECT_EQ(box_->RenameIndex, 1);
    box_->RenameEdit->setText("a<b>c");
    box_->OnRenameKeyUp(13);
    EXPECT_EQ(box_->Item(1), "<?/m/b.mp3?><#01:00#><*abc*>");
    EXPECT_EQ(box_->GetTitle(1), "abc");
    EXPECT_FALSE(box_->RenameEdit->isVisible());

    box_->SelectOnly(0);
    box_->BeginRename();
    box_->RenameEdit->setText("first");
    box_->OnRenameKeyUp(27);
    EXPECT_TRUE(box_->RenameEdit->isVisible()) << "only Enter commits";
    box_->OnRenameKeyUp(13);
    box_->BeginRename();
    box_->RenameEdit->setText("<*second*>");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(box_->RenameEdit, &enter);
    EXPECT_EQ(box_->Item(0), "<?/m/a.mp3?><**second**>") << "one title field, no markers smuggled in";
    EXPECT_EQ(SelectedRows(), QList<int>{0});
}

TEST_F(PlaylistBoxViewTest, RenameEditDrawsTheSkinsPlaylistColours) {
    const QColor background(30, 60, 90);
    Ctrl->Display->NormalBG = background;
    box_->SetItems({"<*WWWWWWWW*><?/m/a.mp3?>"});
    box_->SelectOnly(0);
    box_->BeginRename();
    ASSERT_TRUE(box_->RenameEdit);
    box_->RenameEdit->deselect();
    QCoreApplication::processEvents();
    const QImage edit = box_->RenameEdit->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int back = 0, text = 0, black = 0;
    for (int y = 0; y < edit.height(); ++y)
        for (int x = 0; x < edit.width(); ++x) {
            const QColor pixel = edit.pixelColor(x, y);
            back += pixel == background;
            text += pixel == kNormal;
            black += pixel == QColor(Qt::black);
        }
    EXPECT_GT(back, edit.width() * edit.height() / 2);
    EXPECT_GT(text, 0);
    EXPECT_EQ(black, 0);
}

// One entry may be a whole file's single line: its row is drawn from capped text, and renaming it
// neither copies it whole into the edit nor lets a line end into the title.
TEST_F(PlaylistBoxViewTest, HugeEntriesAreDrawnAndRenamedFromCappedText) {
    box_->SetItems({playlist::MakeEntry("/m/" + QString(4000000, 'W') + ".mp3"), "<?/m/b.mp3?>"});
    box_->ShowFilePath = true;
    box_->ShowFileExt = true;
    EXPECT_GT(Count(Picture(), 0, 0, 40, kNormal), 0) << "the row is drawn";
    box_->ShowFilePath = false;
    box_->ShowFileExt = false;
    box_->SelectOnly(0);
    box_->BeginRename();
    ASSERT_TRUE(box_->RenameEdit);
    EXPECT_EQ(box_->RenameEdit->text().size(), playlist::kMaxTitleChars);
    box_->RenameEdit->setText("line\nbreak\r\x01");
    box_->OnRenameKeyUp(13);
    EXPECT_EQ(box_->GetTitle(0), "linebreak");
    EXPECT_FALSE(playlist::HasControlCharacter(box_->Item(0)));
}

TEST_F(PlaylistBoxViewTest, RenameWithoutForceWaitsWhileTheCursorIsOnTheEdit) {
    box_->SelectOnly(1);
    box_->BeginRename();
    box_->RenameEdit->setText("t");
    const QRect edit(box_->RenameEdit->mapToGlobal(QPoint(0, 0)), box_->RenameEdit->size());
    for (const QPoint& inside : {edit.center(), edit.topLeft() - QPoint(1, 1), edit.topRight() + QPoint(1, -1)}) {
        QCursor::setPos(inside);
        ASSERT_EQ(QCursor::pos(), inside);
        box_->RenamePost(false);
        EXPECT_TRUE(box_->RenameEdit->isVisible());
    }
    QCursor::setPos(edit.bottomLeft() + QPoint(0, 1));
    box_->RenamePost(false);
    EXPECT_FALSE(box_->RenameEdit->isVisible());
    EXPECT_EQ(box_->Item(1), "<?/m/b.mp3?><*t*>");
}

TEST_F(PlaylistBoxViewTest, RenameFollowsItsEntryOrIsDropped) {
    box_->SelectOnly(1);
    box_->BeginRename();
    box_->addFile("/m/new.mp3", false);  // inserted above the open edit
    box_->RenameEdit->setText("t1");
    box_->OnRenameKeyUp(13);
    EXPECT_EQ(box_->Item(2), "<?/m/b.mp3?><*t1*>");
    ExpectTitleOnlyOn("t1", "/m/b.mp3");

    const auto renameAfter = [&](int row, const QString& title, const std::function<void()>& change) {
        box_->SelectOnly(row);
        box_->BeginRename();
        const QString path = playlist::PathField(box_->Item(row)).toString();
        change();
        box_->RenameEdit->setText(title);
        box_->OnRenameKeyUp(13);
        EXPECT_FALSE(box_->RenameEdit->isVisible());
        ExpectTitleOnlyOn(title, path);
    };
    renameAfter(0, "sorted", [&] { box_->listSorted(3); });
    renameAfter(3, "dragged", [&] { box_->Model()->Swap(3, 4); });
    renameAfter(2, "removed", [&] {
        QStringList items = box_->Items();
        items.removeAt(0);
        box_->SetItems(items);
    });
    renameAfter(1, "overwritten", [&] { box_->Model()->Replace(1, "<?/m/other.mp3?>"); });
    EXPECT_EQ(box_->Item(1), "<?/m/other.mp3?>");
    renameAfter(0, "timed", [&] { box_->Model()->Replace(0, box_->Item(0) + "<#02:00#>"); });
    EXPECT_TRUE(box_->Item(0).endsWith("<#02:00#><*timed*>")) << "a length written in keeps the rename";
}

TEST_F(PlaylistBoxViewTest, OddCallsDoNothing) {
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    box_->listDrawItem(&painter, -1, QRect(0, 0, 10, kRow), false);
    box_->listDrawItem(&painter, 99, QRect(0, 0, 10, kRow), true);
    box_->listDrawItem(nullptr, 0, QRect(0, 0, 10, kRow), true);
    box_->SelectOnly(-1);
    EXPECT_EQ(box_->ItemIndex(), -1);
    box_->BeginRename();
    EXPECT_FALSE(box_->RenameEdit) << "no caret row, no edit";
    box_->RenamePost(true);
    box_->SetItemIndex(99);
    EXPECT_EQ(box_->ItemIndex(), -1);
    box_->SetItems({});
    Click(Qt::LeftButton, 0);
    Send(QEvent::MouseMove, Qt::LeftButton, 1);
    Click(Qt::RightButton, 0);
    box_->listDblClick();
    EXPECT_EQ(box_->Count(), 0);
}

}  // namespace
