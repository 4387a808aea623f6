// The hotkey page and its editor: rows read from MenuPlus.ini, keys captured through the key
// mapping, windows refused to a second command with the same keys, and the line written back
// so that the running player uses it at once.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>

#include "dialogs/hotkey_editor.h"
#include "dialogs/settings_dialog.h"
#include "player/video/form4.h"
#include "tests/menu_test_support.h"

using dialogs::THotkeyRow;

TEST(HotkeyRows, EachLineAsTheHotkeyReaderSplitsIt) {
    THotkeyRow row;
    ASSERT_TRUE(dialogs::ParseHotkeyLine(u"1.24.=设置(&S)#Ctrl+P%10000"_qs, &row));
    EXPECT_EQ(row, (THotkeyRow{u"1.24"_qs, u"设置"_qs, u"Ctrl+P"_qs, u"10000"_qs}));
    ASSERT_TRUE(dialogs::ParseHotkeyLine(u"1.12.=停止"_qs, &row));
    EXPECT_EQ(row, (THotkeyRow{u"1.12"_qs, u"停止"_qs, {}, {}}));
    ASSERT_TRUE(dialogs::ParseHotkeyLine(u"1.5.=播放#F5"_qs, &row));
    EXPECT_EQ(row.Flags, u"0000"_qs) << "a hotkey without flags";
    ASSERT_TRUE(dialogs::ParseHotkeyLine(u"  0.21=音量增大#↑%1  "_qs, &row));
    EXPECT_EQ(row, (THotkeyRow{u"0.2"_qs, u"音量增大"_qs, u"↑"_qs, u"10000"_qs}));
    // A "%" in the caption is no scope: flags come from behind the hotkey, as the reader takes them.
    ASSERT_TRUE(dialogs::ParseHotkeyLine(u"0.31=音量50%#Ctrl+5%00010"_qs, &row));
    EXPECT_EQ(row, (THotkeyRow{u"0.3"_qs, u"音量50%"_qs, u"Ctrl+5"_qs, u"00010"_qs}));
    EXPECT_FALSE(dialogs::ParseHotkeyLine(u"1.20=-"_qs, &row));
    EXPECT_FALSE(dialogs::ParseHotkeyLine(u"1=x#F4"_qs, &row));
    EXPECT_FALSE(dialogs::ParseHotkeyLine(u"1.5 播放"_qs, &row));
}

TEST(HotkeyConflicts, SameKeysWhateverTheCaseAndModifierOrder) {
    EXPECT_TRUE(dialogs::SameHotkey(u"ctrl+shift+a"_qs, u"Shift+Ctrl+A"_qs));
    EXPECT_TRUE(dialogs::SameHotkey(u"f5"_qs, u"F5"_qs));
    EXPECT_FALSE(dialogs::SameHotkey(u"Ctrl+A"_qs, u"Alt+A"_qs));
    EXPECT_FALSE(dialogs::SameHotkey(u"Ctrl+A"_qs, u"A"_qs));
    const QList<THotkeyRow> rows{{u"1.10"_qs, {}, u"f5"_qs, u"11000"_qs},
                                 {u"1.11"_qs, {}, u"F5"_qs, u"00001"_qs},
                                 {u"1.12"_qs, {}, u"F6"_qs, u"11111"_qs},
                                 {u"1.13"_qs, {}, u"F5"_qs, u"11111"_qs}};
    EXPECT_EQ(dialogs::FreeWindows(rows, 3, u"F5"_qs), u"00110"_qs);
    EXPECT_EQ(dialogs::FreeWindows(rows, 0, u"F5"_qs), u"00000"_qs) << "the edited row itself does not count";
    EXPECT_EQ(dialogs::FreeWindows(rows, 3, QString()), u"00000"_qs);
    const dialogs::THotkeyConflict conflict = dialogs::FirstConflict(rows, 3, u"F5"_qs, u"00011"_qs);
    EXPECT_EQ(conflict.Row, 1);
    EXPECT_EQ(conflict.Position, 4);
    EXPECT_EQ(dialogs::FirstConflict(rows, 3, u"F5"_qs, u"00110"_qs).Row, -1);
}

TEST(HotkeyRewrite, OnlyTheChangedLineChangesByteForByte) {
    const QByteArray before = platform::EncodeGb18030(u"0.21=音量增大#↑%10010\r\n1.20=-\r\n"_qs);
    // Bytes no reading takes as text, an LF-only line end and a last line without one survive.
    const QByteArray after = platform::EncodeGb18030(u"1.241=设置(&S)\n 1.61=网址#Ctrl+U%11111  \r\n"_qs) +
                             QByteArray("\x81\x20\r\n", 4) + platform::EncodeGb18030(u"1.281=帮助#F1%1"_qs);
    bool replaced = false;
    const QByteArray out = dialogs::RewriteHotkeyLine(before + platform::EncodeGb18030(u"1.21=关于...#Alt+A%1\r\n"_qs) + after,
                                                      u"1.2"_qs, u"#Shift+→%10010"_qs, &replaced);
    EXPECT_TRUE(replaced) << "the separator with the same id is passed over";
    EXPECT_EQ(out, before + platform::EncodeGb18030(u"1.21=关于...#Shift+→%10010\r\n"_qs) + after);
    const QByteArray cleared = dialogs::RewriteHotkeyLine(out, u"1.6"_qs, QString(), &replaced);
    EXPECT_TRUE(cleared.contains(QByteArray("\n 1.61=") + platform::EncodeGb18030(u"网址"_qs) + "\r\n"));
    EXPECT_EQ(dialogs::RewriteHotkeyLine(out, u"1.9"_qs, u"#F9%1"_qs, &replaced), out);
    EXPECT_FALSE(replaced);
}

TEST(HotkeyRewrite, AUtf8FileStaysUtf8WithItsMark) {
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + u"1.11=关于\r\n1.61=网址\r\n"_qs.toUtf8();
    bool replaced = false;
    EXPECT_EQ(dialogs::RewriteHotkeyLine(bytes, u"1.1"_qs, u"#↓%1"_qs, &replaced),
              QByteArray("\xEF\xBB\xBF") + u"1.11=关于#↓%1\r\n1.61=网址\r\n"_qs.toUtf8());
}

namespace {

class HotkeyPageTest : public MenuTest {
protected:
    void TearDown() override {
        delete Form14.data();
        delete Form8.data();
        MenuTest::TearDown();
    }
    QTreeWidget* OpenPage(const QStringList& lines) {
        WriteMenus(lines);
        Form8 = new TForm8();
        Form8->LoadPage(u"热键设置"_qs);
        return Form8->findChild<QTreeWidget*>(u"ListView1"_qs);
    }
    // The editor on a row, prepared as a click on the row prepares it (without its modal loop).
    TForm14* Edit(const QString& id) {
        QTreeWidget* list = Form8->findChild<QTreeWidget*>(u"ListView1"_qs);
        const QList<QTreeWidgetItem*> found = list->findItems(id, Qt::MatchExactly);
        if (found.isEmpty()) return nullptr;
        list->setCurrentItem(found.first());
        Form14 = new TForm14(list);
        Control("Edit1")->setText(found.first()->text(0));
        Control("Edit2")->setText(found.first()->text(1));
        Control("Edit3")->setText(found.first()->text(2));
        Form14->InitCheckBox();
        return Form14;
    }
    template <typename T = QLineEdit>
    static T* Control(const char* name) {
        return Form14->findChild<T*>(QString::fromLatin1(name));
    }
    static QCheckBox* Box(int n) { return Control<QCheckBox>(QByteArray("CheckBox" + QByteArray::number(n)).constData()); }
    static void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(Control("Edit3"), &event);
    }
    static void Release(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(Control("Edit3"), &event);
    }
    static QString Captured() { return Control("Edit3")->text(); }
    // The boxes as '0'/'1', with "-" when they are disabled.
    static QString Boxes() {
        QString flags;
        for (int n = 1; n <= 5; ++n) flags += Box(n)->isChecked() ? u'1' : u'0';
        return Box(1)->isEnabled() ? flags : flags + u'-';
    }
    QStringList FileLines() const {
        QStringList lines;
        platform::ReadTextLines(dir_.file("Plugins/MenuPlus.ini"), &lines);
        return lines;
    }
};

}  // namespace

TEST_F(HotkeyPageTest, KeysAreCapturedThroughTheKeyMapping) {
    OpenPage({u"1.11=关于#F2%1"_qs});
    ASSERT_TRUE(Edit(u"1.1"_qs));
    Press(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Captured(), u"Shift+Ctrl+A"_qs) << "Shift first, Ctrl last";
    Press(Qt::Key_5, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(Captured(), u"Ctrl+5"_qs) << "keypad digits are the plain digits";
    Press(Qt::Key_Asterisk, Qt::AltModifier | Qt::KeypadModifier);
    EXPECT_EQ(Captured(), u"Alt+*"_qs);
    Press(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(Captured(), u"Shift+←"_qs);
    Press(Qt::Key_Exclam, Qt::ShiftModifier);
    EXPECT_EQ(Captured(), u"Shift+1"_qs) << "a shifted symbol is the key that bears it";
    EXPECT_EQ(Boxes(), u"11111"_qs) << "every window is free for new keys";
    Press(Qt::Key_Space);
    EXPECT_EQ(Captured(), QString()) << "a key without a name clears the text";
    EXPECT_EQ(Boxes(), u"00000-"_qs);
    Press(Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(Captured(), u"Ctrl+"_qs);
    Release(Qt::Key_Control);
    EXPECT_EQ(Captured(), QString()) << "modifiers alone leave no hotkey";
    EXPECT_EQ(Boxes(), u"00000-"_qs);
    Press(Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    Release(Qt::Key_Control);
    EXPECT_EQ(Captured(), u"Ctrl++"_qs);
}

TEST_F(HotkeyPageTest, TheBoxesStartFromTheRow) {
    OpenPage({u"1.11=关于#F2%10010"_qs, u"1.51=播放#F5"_qs, u"1.61=网址"_qs, u"1.71=打开#Ctrl+%11111"_qs});
    ASSERT_TRUE(Edit(u"1.1"_qs));
    EXPECT_EQ(Boxes(), u"10010"_qs);
    delete Form14.data();
    ASSERT_TRUE(Edit(u"1.5"_qs));
    EXPECT_EQ(Boxes(), u"00000"_qs) << "a hotkey without flags: boxes enabled, none checked";
    delete Form14.data();
    ASSERT_TRUE(Edit(u"1.6"_qs));
    EXPECT_EQ(Boxes(), u"00000-"_qs);
    delete Form14.data();
    ASSERT_TRUE(Edit(u"1.7"_qs));
    EXPECT_EQ(Boxes(), u"00000-"_qs) << "a lone modifier is no hotkey";
}

TEST_F(HotkeyPageTest, AWindowHeldForTheSameKeysIsRefused) {
    OpenPage({u"1.101=上一首#f5%11000"_qs, u"1.111=暂停#shift+CTRL+a%00001"_qs, u"1.121=停止#V%11110"_qs});
    ASSERT_TRUE(Edit(u"1.12"_qs));
    Press(Qt::Key_F5);
    EXPECT_EQ(Boxes(), u"00111"_qs) << "F5 is held in the main and playlist windows, whatever its case";
    Box(1)->setChecked(true);
    EXPECT_EQ(messages_, QStringList{u"标号为[1.10]的项目已在该区域定义了这个快捷键！  "_qs});
    EXPECT_EQ(Boxes(), u"00111"_qs) << "the box is unchecked again";
    messages_.clear();
    Press(Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(Boxes(), u"11110"_qs) << "the same keys in another order, in a separate window";
    Box(4)->setChecked(false);
    EXPECT_TRUE(messages_.isEmpty());
    Box(5)->setChecked(true);
    EXPECT_EQ(messages_, QStringList{u"标号为[1.11]的项目已在该区域定义了这个快捷键！  "_qs});
    EXPECT_EQ(Boxes(), u"11100"_qs);
}

TEST_F(HotkeyPageTest, ASavedHotkeyWorksAtOnceInTheRunningPlayer) {
    QTreeWidget* list = OpenPage({u"1.11=关于(&A)#Ctrl+K%1"_qs, u"1.61=网址#Ctrl+U%11111"_qs});
    // The player has read its hotkeys and built its menu before the change.
    QKeyEvent oldKey(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier);
    QApplication::sendEvent(form_, &oldKey);
    ASSERT_EQ(calls_, QStringList{u"about"_qs});
    ASSERT_TRUE(Ctrl->Menu->BuildMenu(form_->PopupMenu1, u"1"_qs));
    Ctrl->Display->BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    calls_.clear();

    ASSERT_TRUE(Edit(u"1.1"_qs));
    Press(Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
    Box(2)->setChecked(false);
    Box(3)->setChecked(false);
    Box(5)->setChecked(false);
    EXPECT_TRUE(Form14->SaveMenuValue());
    EXPECT_EQ(FileLines(), (QStringList{u"1.11=关于(&A)#Alt+Ctrl+J%10010"_qs, u"1.61=网址#Ctrl+U%11111"_qs}));
    EXPECT_EQ(list->topLevelItem(0)->text(2), u"Alt+Ctrl+J"_qs);
    EXPECT_EQ(list->topLevelItem(0)->text(3), u"10010"_qs);
    EXPECT_EQ(Ctrl->Hotkeys, nullptr);
    EXPECT_TRUE(form_->PopupMenu1->actions().isEmpty()) << "the menu is built from the file at its next pop-up";
    QStringList shortcuts;
    for (const QAction* item : Form4->PopupMenu1->actions()) shortcuts << item->shortcut().toString();
    EXPECT_EQ(shortcuts, (QStringList{u"Ctrl+Alt+J"_qs, u"Ctrl+U"_qs})) << "the video window's shortcuts";

    QApplication::sendEvent(form_, &oldKey);
    QKeyEvent newKey(QEvent::KeyPress, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
    QApplication::sendEvent(form_, &newKey);
    EXPECT_EQ(calls_, QStringList{u"about"_qs});
    ASSERT_NE(Ctrl->Hotkeys, nullptr);
    EXPECT_EQ(Ctrl->Hotkeys->mid(0, 3), (QStringList{u"1.1"_qs, u"10010%0000"_qs, u"011J"_qs}));
}

TEST_F(HotkeyPageTest, SavingNoHotkeyLeavesTheCaptionAlone) {
    OpenPage({u"1.241=设置(&S)#Ctrl+P%10000"_qs});
    ASSERT_TRUE(Edit(u"1.24"_qs));
    Press(Qt::Key_Space);
    EXPECT_TRUE(Form14->SaveMenuValue());
    EXPECT_EQ(FileLines(), QStringList{u"1.241=设置(&S)"_qs});
}

TEST_F(HotkeyPageTest, AMissingFileIsReportedAndNotCreated) {
    QTreeWidget* list = OpenPage({u"1.11=关于#F2%1"_qs});
    ASSERT_TRUE(Edit(u"1.1"_qs));
    ASSERT_TRUE(QFile::remove(dir_.file("Plugins/MenuPlus.ini")));
    Press(Qt::Key_F3);
    EXPECT_FALSE(Form14->SaveMenuValue());
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].contains(u"MenuPlus.ini"_qs)) << messages_[0].toStdString();
    EXPECT_FALSE(QFile::exists(dir_.file("Plugins/MenuPlus.ini")));
    EXPECT_EQ(list->topLevelItem(0)->text(2), u"F2"_qs) << "the row keeps what the file held";
    Form14->Button2Click();
    EXPECT_EQ(Captured(), u"F3"_qs) << "the editor stays open with the captured keys";

    // The page of a new dialog reports the missing file when it is filled.
    delete Form14.data();
    delete Form8.data();
    Form8 = new TForm8();
    Form8->LoadPage(u"热键设置"_qs);
    const QList<QMessageBox*> boxes = Form8->findChildren<QMessageBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0]->text().contains(u"热键设置"_qs));
}

TEST_F(HotkeyPageTest, ThePageIsReadOncePerDialog) {
    QTreeWidget* list = OpenPage({u"1.11=关于#F2%1"_qs, u"1.20=-"_qs, u"1.61=网址"_qs});
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(1)->text(0), u"1.6"_qs);
    WriteMenus({u"1.11=关于#F2%1"_qs});
    Form8->LoadPage(u"热键设置"_qs);
    EXPECT_EQ(list->topLevelItemCount(), 2);
}

TEST_F(HotkeyPageTest, AClickOnARowEditsItInAModalEditorFreedAfterwards) {
    QTreeWidget* list = OpenPage({u"1.11=关于#F2%1"_qs, u"1.61=网址#F3%11111"_qs});
    list->setCurrentItem(list->topLevelItem(1));
    bool seen = false;
    QTimer::singleShot(0, [&] {
        if (!Form14) return;
        seen = Form14->isModal() && Control("Edit1")->text() == u"1.6" && Control("Edit2")->text() == u"网址" &&
               Captured() == u"F3";
        Press(Qt::Key_F2);
        Control<QPushButton>("Button2")->click();
        if (Form14 && Form14->isVisible()) Form14->reject();
    });
    emit list->itemClicked(list->topLevelItem(1), 0);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(Form14);
    EXPECT_EQ(FileLines(), (QStringList{u"1.11=关于#F2%1"_qs, u"1.61=网址#F2%01111"_qs}));
}

TEST_F(HotkeyPageTest, ThePlaylistAndEqualiserWindowsHandTheirKeysToTheHotkeys) {
    WriteMenus({u"1.11=关于#Ctrl+K%01"_qs, u"1.61=网址#Ctrl+K%001"_qs});
    form_->show();
    ASSERT_TRUE(PlaylistWindow);
    ASSERT_TRUE(EqualizerWindow);
    if (QApplication::focusWidget()) QApplication::focusWidget()->clearFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier);
    QApplication::sendEvent(PlaylistWindow, &key);
    QApplication::sendEvent(EqualizerWindow, &key);
    QApplication::sendEvent(form_, &key);
    EXPECT_EQ(calls_, (QStringList{u"about"_qs, u"address"_qs}));
}
