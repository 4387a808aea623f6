#include "dialogs/folder_picker.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QPointer>

#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "ui_folder_picker.h"

TForm7::TForm7(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm7>()), model_(new QFileSystemModel(this)) {
    ui_->setupUi(this);
    if (Ctrl) Settings = &Ctrl->Settings;
    // Folders only, loaded a level at a time as the user opens them.
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setReadOnly(true);
    model_->setRootPath(QDir::rootPath());
    ui_->ShellTreeView1->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column) ui_->ShellTreeView1->hideColumn(column);
    connect(ui_->ShellTreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this, &TForm7::UpdateButton);
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(ui_->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->CheckBox1, &QCheckBox::clicked, this, [this](bool on) {
        if (Settings) Settings->WriteInteger(QStringLiteral("AddSubFolder"), on ? 1 : 0);
    });
    connect(ui_->CheckBox2, &QCheckBox::clicked, this, [this](bool on) {
        if (Settings) Settings->WriteInteger(QStringLiteral("AddListFile"), on ? 1 : 0);
    });
}

TForm7::~TForm7() = default;

void TForm7::Init(const QString& startFolder, const QString& prompt, bool showOptions, const QString& settingName) {
    OK = false;
    SettingName = settingName;
    ui_->Label1->setText(prompt + QStringLiteral("     "));
    ui_->CheckBox1->setVisible(showOptions);
    ui_->CheckBox2->setVisible(showOptions);
    ui_->CheckBox1->setChecked(Settings && Settings->ReadInteger(QStringLiteral("AddSubFolder"), 1) != 0);
    ui_->CheckBox2->setChecked(Settings && Settings->ReadInteger(QStringLiteral("AddListFile"), 0) != 0);
    ui_->ShellTreeView1->selectionModel()->clear();
    SelectFolder(startFolder.trimmed());
    UpdateButton();
}

// The deepest existing folder on the way to `folder` is selected, its parents opened.
void TForm7::SelectFolder(const QString& folder) {
    if (!folder.startsWith(u'/')) return;
    QString path = QDir::cleanPath(folder);
    while (!QFileInfo(path).isDir() && path != QDir::rootPath()) path = QFileInfo(path).path();
    const QModelIndex index = model_->index(path);
    if (!index.isValid()) return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) ui_->ShellTreeView1->expand(up);
    ui_->ShellTreeView1->setCurrentIndex(index);
    ui_->ShellTreeView1->scrollTo(index);
}

QString TForm7::SelectedFolder() const {
    const QModelIndex index = ui_->ShellTreeView1->currentIndex();
    if (!index.isValid()) return QString();
    QString path = model_->filePath(index);
    if (!path.startsWith(u'/')) return QString();
    if (!path.endsWith(u'/')) path += u'/';
    return path;
}

void TForm7::UpdateButton() { ui_->Button1->setEnabled(!SelectedFolder().isEmpty()); }

// Only a real folder confirms: without one the dialog stays open and nothing is stored.
void TForm7::Button1Click() {
    const QString path = SelectedFolder();
    if (path.isEmpty()) return;
    if (Settings && !SettingName.isEmpty()) Settings->WriteString(SettingName, path);
    OK = true;
    accept();
}

bool PickFolderSetting(const QString& startFolder, const QString& prompt, bool showOptions, const QString& settingName) {
    static QPointer<TForm7> form;
    if (!form) form = new TForm7(Form1);
    form->Init(startFolder, prompt, showOptions, settingName);
    form->exec();
    return form->OK;
}
