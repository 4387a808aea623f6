// The association page: the file types of the open dialog's list, the skin files and the URL
// protocols, each entry ticked when it is the player's. A tick applies the whole list of the type.
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <memory>

#include "dialogs/associations.h"
#include "dialogs/settings_dialog.h"
#include "names/shell_names.h"
#include "platform/ini_file.h"
#include "platform/message_box.h"
#include "player/core/ctrl.h"
#include "ui_settings_dialog.h"

namespace {

const QString kSkinType = QStringLiteral("皮肤文件");
const QString kProtocolType = QStringLiteral("网络协议");
constexpr int kOpenTypes = 20;

TAssociations Scheme() { return TAssociations(QCoreApplication::applicationFilePath()); }

QString OpenSetup(const platform::TIniFile& ini, int n, const char* field) {
    return ini.ReadString(QStringLiteral("OPEN_SETUP"), QStringLiteral("OPEN%1_%2").arg(n).arg(QLatin1String(field)),
                          QString());
}

platform::TIniFile FilePlus() { return platform::TIniFile(Ctrl->InstallFolder + QStringLiteral("Plugins/FilePlus.ini")); }

// The masks of one type of the page, ";"-separated.
QString TypeMasks(const QString& type) {
    if (type == kSkinType) return QStringLiteral("*.wsz;");
    if (type == kProtocolType) return QString::fromUtf16(names::kPageProtocols);
    if (!Ctrl) return QString();
    const platform::TIniFile ini = FilePlus();
    for (int n = 1; n <= kOpenTypes; ++n)
        if (OpenSetup(ini, n, "TITLE") == type) return OpenSetup(ini, n, "VALUE").toLower() + u';';
    return QString();
}

// A failed registry change goes to the error report; what was done before it stays done.
template <typename Action>
bool Reported(Action action) {
    try {
        action();
        return true;
    } catch (const EAssociationError& e) {
        platform::ShowMessage(e.Text(), QStringLiteral("错误"), platform::MessageIcon::Error);
        return false;
    }
}

}  // namespace

void TForm8::ConnectAssociationPage() {
    connect(ui_->ListBox2, &QListWidget::currentRowChanged, this, [this] { ListBox2Click(); });
    connect(ui_->CheckListBox1, &QListWidget::itemClicked, this, [this] { CheckListBox1Click(); });
    // A tick by the keyboard is a click too; the states decide whether anything changed.
    connect(ui_->CheckListBox1, &QListWidget::itemChanged, this, [this] { CheckListBox1Click(); });
    connect(ui_->CheckListBox1, &QListWidget::currentRowChanged, this, [this] { UpdateButton5(); });
    connect(ui_->Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(ui_->Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
}

bool TForm8::IsFileTypeAssociated(const QString& mask) const { return Scheme().IsFileTypeAssociated(mask); }
void TForm8::AssociateFileType(const QString& e, const QString& icon) { Scheme().AssociateFileType(e, icon); }
void TForm8::UnassociateFileType(const QString& e) { Scheme().UnassociateFileType(e); }
void TForm8::AssociateProtocol(const QString& p) { Scheme().AssociateProtocol(p); }
bool TForm8::IsProtocolAssociated(const QString& p) const { return Scheme().IsProtocolAssociated(p); }
void TForm8::UnassociateProtocol(const QString& p) { Scheme().UnassociateProtocol(p); }

// The type list is made once per dialog; later loads keep it and its selection.
void TForm8::FillAssociationPage() {
    if (ui_->ListBox2->currentRow() >= 0) return;
    {
        const QSignalBlocker blocker(ui_->ListBox2);
        ui_->ListBox2->clear();
        const platform::TIniFile ini = FilePlus();
        for (int n = 1; n <= kOpenTypes; ++n) {
            const QString value = OpenSetup(ini, n, "VALUE").toLower();
            if (value.contains(QLatin1String("*.")) && !value.contains(QLatin1String("*.*")))
                ui_->ListBox2->addItem(OpenSetup(ini, n, "TITLE"));
        }
        ui_->ListBox2->addItem(kSkinType);
        ui_->ListBox2->addItem(kProtocolType);
        ui_->ListBox2->setCurrentRow(0);
    }
    ListBox2Click();
}

void TForm8::ListBox2Click() {
    QListWidget* list = ui_->CheckListBox1;
    const int row = ui_->ListBox2->currentRow();
    const bool protocols = row >= 0 && row == ui_->ListBox2->count() - 1;
    const QString masks = row >= 0 ? TypeMasks(ui_->ListBox2->item(row)->text()) : QString();
    const TAssociations scheme = Scheme();
    {
        const QSignalBlocker blocker(list);
        list->setUpdatesEnabled(false);
        list->clear();
        CheckStates.clear();
        for (const QString& piece : MaskPieces(masks)) {
            // Only "*.ext" masks (and "name://" protocols) can be registered; *.exe never.
            const bool usable = protocols ? piece.endsWith(QLatin1String("://")) && piece.size() > 3
                                          : IsAssociableMask(piece);
            if (!usable) continue;
            const bool own = protocols ? scheme.IsProtocolAssociated(piece.chopped(3)) : scheme.IsFileTypeAssociated(piece);
            auto* item = new QListWidgetItem(piece, list);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(own ? Qt::Checked : Qt::Unchecked);
            CheckStates += own ? u'1' : u'0';
        }
        list->setCurrentRow(-1);
        list->setUpdatesEnabled(true);
    }
    ui_->Button5->setEnabled(false);
}

void TForm8::UpdateButton5() {
    const int row = ui_->ListBox2->currentRow();
    if (row >= 0 && row == ui_->ListBox2->count() - 1) return;
    const QListWidgetItem* item = ui_->CheckListBox1->currentItem();
    ui_->Button5->setEnabled(item && item->checkState() == Qt::Checked);
}

void TForm8::CheckListBox1Click() {
    UpdateButton5();
    QListWidget* list = ui_->CheckListBox1;
    QString states;
    for (int i = 0; i < list->count(); ++i) states += list->item(i)->checkState() == Qt::Checked ? u'1' : u'0';
    if (states == CheckStates) return;  // a click on the text: no tick changed
    CheckStates = states;
    const int row = ui_->ListBox2->currentRow();
    const bool protocols = row >= 0 && row == ui_->ListBox2->count() - 1;
    TAssociations scheme = Scheme();
    Reported([&] {
        for (int i = 0; i < list->count(); ++i) {
            const QString piece = list->item(i)->text();
            const bool on = states.at(i) == u'1';
            if (protocols) {
                if (on)
                    scheme.AssociateProtocol(piece.chopped(3));
                else
                    scheme.UnassociateProtocol(piece.chopped(3));
            } else if (on) {
                scheme.AssociateFileType(piece.mid(2), scheme.ProgramPath());
            } else {
                scheme.UnassociateFileType(piece.mid(2));
            }
        }
    });
    if (!protocols) NotifyShellAssociations();
}

void TForm8::Button5Click() {
    const QListWidgetItem* item = ui_->CheckListBox1->currentItem();
    if (!item || item->checkState() != Qt::Checked) return;
    const QString extension = item->text().mid(2);
    const QString icon = ChooseAssociationIcon();
    if (icon.isEmpty()) return;
    Reported([&] { Scheme().AssociateFileType(extension, icon); });
    NotifyShellAssociations();
}

bool TForm8::Button6Click() {
    bool done = true;
    for (const std::function<bool()>& step : DefaultAssociationSteps()) done = step() && done;
    return done;
}

std::vector<std::function<bool()>> TForm8::DefaultAssociationSteps() {
    if (!Ctrl) return {[] { return false; }};
    auto scheme = std::make_shared<TAssociations>(Scheme());
    auto failed = std::make_shared<bool>(false);
    std::vector<std::function<bool()>> steps;
    for (std::function<void()>& step :
         scheme->DefaultSetSteps({Ctrl->Decode0List, Ctrl->Decode1List, Ctrl->Decode2List, Ctrl->Decode5List,
                                  Ctrl->Decode3List, Ctrl->Decode4List}))
        steps.emplace_back([scheme, failed, step = std::move(step)] {
            if (!*failed) *failed = !Reported(step);
            return !*failed;
        });
    steps.emplace_back([this, failed] {
        if (ui_->ListBox2->currentRow() >= 0) ListBox2Click();
        NotifyShellAssociations();
        return !*failed;
    });
    return steps;
}

void TForm8::RemoveRealAssociations() {
    if (!Ctrl) return;
    bool undone = false;
    // After a failure part-way, some types may be undone already: tell the desktop anyway.
    if (!Reported([&] { undone = Scheme().RemoveReal(Ctrl->Decode1List); })) undone = true;
    // The page must not show the types as ticked still: the next tick would give them back.
    if (ui_->ListBox2->currentRow() >= 0) ListBox2Click();
    if (undone) NotifyShellAssociations();
}
