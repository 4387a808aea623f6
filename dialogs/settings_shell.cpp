// The shell-integration page (browser entries and shortcuts) and the first-run setup of a new
// install folder. The browser entries are the ones a Windows browser reads; they are kept so the
// page, the setup and the uninstaller agree on what is there.
#include <QCheckBox>
#include <QCoreApplication>
#include <array>
#include <deque>
#include <iterator>

#include "dialogs/settings_dialog.h"
#include "dialogs/settings_proxy.h"
#include "names/shell_names.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/shell_links.h"
#include "player/commands/command_targets.h"
#include "player/core/ctrl.h"
#include "ui_settings_dialog.h"

namespace {

using platform::ShellFolder;

QString Name(const char16_t* name) { return QString::fromUtf16(name); }

QString InstallFolder() { return Ctrl ? Ctrl->InstallFolder : QString(); }
// The running program: what the desktop, Start-menu and toolbar entries start.
QString Program() { return QCoreApplication::applicationFilePath(); }

struct MenuEntry {
    const char16_t* key;
    const char16_t* page;
    int contexts;
};
constexpr std::array<MenuEntry, 2> kMenuEntries = {{
    {names::kMenuExtPlayKey, names::kMenuExtPlayPage, names::kMenuExtPlayContexts},
    {names::kMenuExtPlayAllKey, names::kMenuExtPlayAllPage, names::kMenuExtPlayAllContexts},
}};

// A key path from the root, whichever key the registry object has open.
QString FromRoot(const char16_t* key) { return QStringLiteral("\\") + Name(key); }

// The registry error as the class library's error report shows it.
void ReportRegistryError(const platform::TRegistry& reg) {
    platform::ShowMessage(reg.LastError(), QStringLiteral("Velmora Player"), platform::MessageIcon::Error);
}

// Deleting what is not there is no failure; a key that stays is.
bool DeleteKey(platform::TRegistry& reg, const char16_t* key) {
    return reg.DeleteKey(FromRoot(key)) || !reg.KeyExists(FromRoot(key));
}

// One link of the page, or one of the Start-menu folder, relative to its special folder.
struct Link {
    ShellFolder folder;
    QString file;  // with its sub-folder, without the suffix
    QString target;
    QString workingFolder;
};

QString LinkPath(const Link& link) {
    return platform::ShellLinkPath(link.folder, link.file + Name(names::kLinkSuffix));
}

QString FolderCaption(ShellFolder folder) {
    switch (folder) {
    case ShellFolder::Desktop: return QStringLiteral("桌面");
    case ShellFolder::Programs: return QStringLiteral("开始菜单");
    case ShellFolder::QuickLaunch: return QStringLiteral("快捷工具栏");
    }
    return QString();
}

// A special folder the desktop does not tell: the link is skipped, never put at the top of the
// file system, and the user is told which one is missing. That is no failure to retry.
bool FolderKnown(ShellFolder folder, const QString& what) {
    if (!platform::ShellFolderPath(folder).isEmpty()) return true;
    platform::ShowMessage(QStringLiteral("找不到%1文件夹，没有建立快捷方式“%2”。").arg(FolderCaption(folder), what),
                          QStringLiteral("Velmora Player"), platform::MessageIcon::Warning);
    return false;
}

// Creation failures are not reported (the shell object never said); they only fail the setup.
bool WriteLink(const Link& link) {
    const QString name = link.file.section(u'/', -1);
    return platform::WriteShellLink(LinkPath(link), link.target, link.workingFolder, name);
}

Link DesktopLink() {
    return {ShellFolder::Desktop, Name(names::kDesktopLink), Program(), InstallFolder()};
}

Link QuickLaunchLink() {
    return {ShellFolder::QuickLaunch, Name(names::kQuickLaunchLink), Program(), InstallFolder()};
}

// In the order they are written.
std::array<Link, 4> StartMenuLinks() {
    const QString folder = Name(names::kStartMenuFolder) + u'/';
    const QString install = InstallFolder();
    const QString plugins = install + Name(names::kPluginsFolder);
    return {{
        {ShellFolder::Programs, folder + Name(names::kStartMenuUninstallLink), install + Name(names::kUninstallProgram),
         plugins},
        {ShellFolder::Programs, folder + Name(names::kStartMenuSiteLink), install + Name(names::kSitePage), plugins},
        {ShellFolder::Programs, folder + Name(names::kStartMenuGuideLink), install + Name(names::kHelpFile), install},
        {ShellFolder::Programs, folder + Name(names::kStartMenuPlayerLink), Program(), install},
    }};
}

// The desktop and Quick Launch boxes: one link each.
bool ApplySingleLink(const Link& link, bool wanted) {
    if (!wanted) return platform::DeleteShellLink(LinkPath(link));
    if (!FolderKnown(link.folder, link.file)) return true;
    return WriteLink(link);
}

bool ApplyStartMenu(bool wanted) {
    const std::array<Link, 4> links = StartMenuLinks();
    if (wanted) {
        if (!FolderKnown(ShellFolder::Programs, Name(names::kStartMenuFolder))) return true;
        bool written = true;
        for (const Link& link : links) written = WriteLink(link) && written;
        return written;
    }
    // Only a folder that still holds the player's own link is taken as ours to clear.
    if (!platform::ShellLinkExists(LinkPath(links[3]))) return true;
    bool removed = true;
    for (auto link = links.rbegin(); link != links.rend(); ++link)
        removed = platform::DeleteShellLink(LinkPath(*link)) && removed;
    platform::RemoveEmptyFolder(platform::ShellLinkPath(ShellFolder::Programs, Name(names::kStartMenuFolder)));
    return removed;
}

bool PointsAt(const platform::TRegistry& reg, const QString& value, const QString& expected) {
    return reg.ReadString(value).toLower() == expected.toLower();
}

}  // namespace

void TForm8::ConnectShellPage() {
    connect(ui_->CheckBox17, &QCheckBox::clicked, this, [this] { CheckBox17Click(); });
    connect(ui_->CheckBox18, &QCheckBox::clicked, this, [this] { CheckBox18Click(); });
    for (QCheckBox* box : {ui_->CheckBox19, ui_->CheckBox20, ui_->CheckBox25})
        connect(box, &QCheckBox::clicked, this, [this] { CheckBox19Click(); });
}

void TForm8::FillShellPage() {
    const QString install = InstallFolder();
    platform::TRegistry user;
    bool menu = true;
    for (const MenuEntry& entry : kMenuEntries)
        menu = menu && user.OpenKeyReadOnly(FromRoot(entry.key)) && PointsAt(user, QString(), install + Name(entry.page));
    ui_->CheckBox17->setChecked(menu);

    platform::TRegistry machine(platform::RootKey::LocalMachine);
    ui_->CheckBox18->setChecked(machine.OpenKeyReadOnly(FromRoot(names::kToolbarKey)) &&
                                PointsAt(machine, QStringLiteral("Exec"), Program()));

    ui_->CheckBox25->setChecked(platform::ShellLinkExists(LinkPath(QuickLaunchLink())));
    ui_->CheckBox20->setChecked(platform::ShellLinkExists(LinkPath(StartMenuLinks()[3])));
    ui_->CheckBox19->setChecked(platform::ShellLinkExists(LinkPath(DesktopLink())));
}

bool TForm8::CheckBox17Click() {
    if (Loading) return true;
    platform::TRegistry reg;
    const bool wanted = ui_->CheckBox17->isChecked();
    for (const MenuEntry& entry : kMenuEntries) {
        const bool done = wanted ? reg.OpenKey(FromRoot(entry.key), true) &&
                                       reg.WriteString(QString(), InstallFolder() + Name(entry.page)) &&
                                       reg.WriteInteger(QStringLiteral("Contexts"), entry.contexts)
                                 : DeleteKey(reg, entry.key);
        if (!done) {
            ReportRegistryError(reg);
            return false;
        }
    }
    return true;
}

bool TForm8::CheckBox18Click() {
    if (Loading) return true;
    platform::TRegistry reg(platform::RootKey::LocalMachine);
    bool done = false;
    if (!ui_->CheckBox18->isChecked()) {
        done = DeleteKey(reg, names::kToolbarKey);
    } else if (reg.OpenKey(FromRoot(names::kToolbarKey), true)) {
        const QString program = Program();
        done = reg.WriteString(QStringLiteral("ButtonText"), Name(names::kToolbarButtonText)) &&
               reg.WriteString(QStringLiteral("CLSID"), Name(names::kToolbarButtonClass)) &&
               reg.WriteString(QStringLiteral("Default Visible"), QStringLiteral("Yes")) &&
               reg.WriteString(QStringLiteral("Exec"), program) &&
               reg.WriteString(QStringLiteral("Icon"), program + QStringLiteral(",4")) &&
               reg.WriteString(QStringLiteral("HotIcon"), program + QStringLiteral(",1"));
    }
    if (!done) ReportRegistryError(reg);
    return done;
}

bool TForm8::CheckBox19Click() {
    if (Loading) return true;
    // All three boxes as they stand, whichever was clicked.
    bool done = ApplySingleLink(DesktopLink(), ui_->CheckBox19->isChecked());
    done = ApplyStartMenu(ui_->CheckBox20->isChecked()) && done;
    done = ApplySingleLink(QuickLaunchLink(), ui_->CheckBox25->isChecked()) && done;
    return done;
}

// The set-up's steps in order; the associations are laid out into theirs when they come up.
class TFirstRunSteps final : public TSetupSteps {
public:
    explicit TFirstRunSteps(TForm8* form) : form_(form) {
        steps_.emplace_back([this] {
            form_->Loading = 1;
            form_->LoadPage(QStringLiteral("文件关联"));
            return true;
        });
        // First everything of ours away (set silently, then applied), so links and entries of an
        // earlier install folder go; the Quick Launch box stays unchecked and its link absent.
        // Each step sets the boxes itself: the loop may have run the page in between.
        for (const bool checked : {false, true}) {
            for (bool (TForm8::*apply)() : {&TForm8::CheckBox17Click, &TForm8::CheckBox19Click}) {
                steps_.emplace_back([this, checked, apply] {
                    SetBoxes(checked);
                    return (form_.data()->*apply)();
                });
            }
        }
        // The proxy rows of the network page need their keys; no other program makes them here.
        steps_.emplace_back([] {
            QString error;
            return CreateProxyKeys(&error);
        });
        // Associations that failed make the setup run again at the next start.
        steps_.emplace_back([this] {
            std::vector<std::function<bool()>> steps = form_->DefaultAssociationSteps();
            steps_.insert(steps_.begin(), std::make_move_iterator(steps.begin()), std::make_move_iterator(steps.end()));
            return true;
        });
    }

    bool Done() const override { return steps_.empty(); }

    void Next() override {
        if (!form_) {
            // The form went (with the program): what is left is not done.
            steps_.clear();
            succeeded_ = false;
            return;
        }
        if (steps_.empty()) return;
        const std::function<bool()> step = std::move(steps_.front());
        steps_.pop_front();
        succeeded_ = step() && succeeded_;
    }

    bool Succeeded() const override { return succeeded_; }

private:
    void SetBoxes(bool checked) {
        form_->Loading = 1;
        for (QCheckBox* box : {form_->ui_->CheckBox17, form_->ui_->CheckBox19, form_->ui_->CheckBox20})
            box->setChecked(checked);
        form_->Loading = 0;
    }

    QPointer<TForm8> form_;
    std::deque<std::function<bool()>> steps_;
    bool succeeded_ = true;
};

std::unique_ptr<TSetupSteps> TForm8::FirstRunSetupSteps() { return std::make_unique<TFirstRunSteps>(this); }

bool TForm8::FirstRunSetup() {
    TFirstRunSteps steps(this);
    while (!steps.Done()) steps.Next();
    return steps.Succeeded();
}
