// Qt's own standard buttons and dialogs speak the interface's language.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "platform/qt_translation.h"
#include "tests/test_support.h"

namespace {

QString ButtonText(QMessageBox& box, QMessageBox::StandardButton which) { return box.button(which)->text(); }

TEST(QtTranslation, StandardButtonsAndTheFileDialogAreChinese) {
    ASSERT_TRUE(platform::InstallQtTranslation()) << "qtbase_zh_CN.qm must be installed (qt6-translations-l10n)";

    QMessageBox box(QMessageBox::Question, QStringLiteral("标题"), QStringLiteral("正文"),
                    QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(ButtonText(box, QMessageBox::Ok), QStringLiteral("确定"));
    EXPECT_EQ(ButtonText(box, QMessageBox::Cancel), QStringLiteral("取消"));
    EXPECT_TRUE(ButtonText(box, QMessageBox::Yes).startsWith(QStringLiteral("是")));
    EXPECT_TRUE(ButtonText(box, QMessageBox::No).startsWith(QStringLiteral("否")));

    QDialogButtonBox buttons(QDialogButtonBox::Save | QDialogButtonBox::Open);
    EXPECT_TRUE(buttons.button(QDialogButtonBox::Save)->text().contains(QStringLiteral("保存")));

    // Qt's own file dialog, the one the player shows where the desktop offers none.
    QFileDialog dialog(nullptr, QStringLiteral("保存"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    ASSERT_NE(lookIn, nullptr);
    EXPECT_FALSE(lookIn->text().contains(QStringLiteral("Look in")));
    const auto* fileName = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
    ASSERT_NE(fileName, nullptr);
    EXPECT_FALSE(fileName->text().contains(QStringLiteral("File name")));
}

TEST(QtTranslation, AMissingTranslationLeavesQtsOwnTexts) {
    testing_support::TempFolder empty;
    platform::SetQtTranslationFolder(empty.path());
    EXPECT_FALSE(platform::InstallQtTranslation());
    QMessageBox box(QMessageBox::Information, QString(), QString(), QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
    platform::SetQtTranslationFolder({});
}

}  // namespace
