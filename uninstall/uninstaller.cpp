#include "uninstall/uninstaller.h"

#include <QDir>

#include "names/shell_names.h"
#include "platform/ini_file.h"
#include "platform/message_box.h"
#include "platform/session.h"
#include "uninstall/desktop_undo.h"
#include "uninstall/program_files.h"
#include "uninstall/registry_undo.h"

namespace uninstall {

namespace {

QString Name(const char16_t* text) { return QString::fromUtf16(text); }

const QString kCannotCaption = QStringLiteral("不能卸载");
const QString kDoneCaption = QStringLiteral("完成卸载");

}  // namespace

bool CheckPlayerNotRunning() {
    if (!platform::FindWindow(QStringLiteral("dispForm1"))) return true;
    platform::ShowMessage(QStringLiteral("请先关闭Velmora Player或重新启动计算机后，再执行卸载任务。  "), kCannotCaption);
    return false;
}

bool CheckInstallFolderSafe(const QString& programPath) {
    const QString folder = InstallFolderOf(programPath);
    const QString reason = folder.isEmpty() ? QString() : UnsafeInstallFolder(folder);
    if (reason.isEmpty()) return true;
    platform::ShowMessage(QStringLiteral("Velmora Player的安装文件夹“%1”是%2，为安全起见不执行卸载任务。  ")
                              .arg(QDir::toNativeSeparators(folder), reason),
                          kCannotCaption);
    return false;
}

bool ConfirmUninstall() {
    return platform::AskOkCancel(QStringLiteral("确定要完全删除Velmora Player 3.0及还原相关设置吗？  "),
                                 QStringLiteral("确认卸载"));
}

QString LocateInstallFolder(const QString& programPath) {
    const QString folder = InstallFolderOf(programPath);
    if (folder.isEmpty())
        platform::ShowMessage(QStringLiteral("找不到Velmora软件所在位置，可能您以前已卸载本软件了！  "), kCannotCaption);
    return folder;
}

void RestoreFileAssociations(const QString& installFolder, Failures* failures) {
    const platform::TIniFile ini(installFolder + PluginsFolder() + QStringLiteral("/FilePlus.ini"));
    QString list;
    for (int n = 0; n <= 5; ++n)
        list += ini.ReadString(QStringLiteral("DECODE_SETUP"), QStringLiteral("DECODE%1").arg(n), QString()) + u';';
    UnassociateList(list + Name(names::kUninstallExtraExtensions), failures);
    // The default set associates by substring (*.rm because an engine lists *.rmvb), and the
    // settings page by the type lists: neither is in the lists above.
    UnassociateList(Name(names::kDefaultExtensions), failures);
    UnassociateRemainingTypes(failures);
}

void RestoreProtocols(Failures* failures) {
    UnassociateProtocolList(Name(names::kDefaultProtocols), failures);
    RemoveOwnProtocolKey(failures);
    RemoveDesktopAssociations(failures);
}

void RemoveShortcuts(Failures* failures) { RemoveShortcutFiles(failures); }

void ReportResult(const Failures& failures) {
    if (failures.isEmpty()) {
        platform::ShowMessage(QStringLiteral("卸载程序已经成功的执行完毕卸载任务！  "), kDoneCaption);
        return;
    }
    platform::ShowMessage(QStringLiteral("卸载任务已执行完毕，但以下项目未能删除：\n%1\n  ").arg(failures.join(u'\n')),
                          kDoneCaption, platform::MessageIcon::Warning);
}

Outcome UninstallMain(const QString& programPath) {
    if (!CheckPlayerNotRunning()) return Outcome::PlayerRunning;
    if (!CheckInstallFolderSafe(programPath)) return Outcome::UnsafeFolder;
    if (!ConfirmUninstall()) return Outcome::Cancelled;
    Failures failures;
    // The settings key goes even when the install folder cannot be found.
    RemoveSettingsKey(&failures);
    const QString installFolder = LocateInstallFolder(programPath);
    if (installFolder.isEmpty()) return Outcome::NotFound;
    RestoreFileAssociations(installFolder, &failures);
    RestoreProtocols(&failures);
    RemoveBrowserEntries(&failures);
    RemoveShortcuts(&failures);
    // Decided before any file goes: a system-wide install kept the user's files in the per-user
    // folder.
    const bool perUser = UsesPerUserFolder(installFolder);
    FileRemover remover(installFolder);
    DeleteProgramFiles(remover);
    RemoveProgramItself(remover, programPath);
    failures += remover.failures();
    if (perUser) DeletePerUserFolder(&failures);
    RemoveEmptyRegistryFiles(&failures);
    ReportResult(failures);
    return failures.isEmpty() ? Outcome::Done : Outcome::DoneWithFailures;
}

}  // namespace uninstall
