#include "uninstall/desktop_undo.h"

#include "names/shell_names.h"
#include "platform/desktop_associations.h"
#include "platform/desktop_types.h"
#include "platform/shell_links.h"

namespace uninstall {

using platform::ShellFolder;

namespace {

QString Name(const char16_t* text) { return QString::fromUtf16(text); }

QString LinkFile(const char16_t* name) { return Name(name) + Name(names::kLinkSuffix); }

void DeleteLink(ShellFolder folder, const QString& name, Failures* failures) {
    const QString path = platform::ShellLinkPath(folder, name);
    if (!path.isEmpty() && !platform::DeleteShellLink(path)) failures->append(path);
}

}  // namespace

void RemoveDesktopAssociations(Failures* failures) {
    platform::DesktopAssociations associations;
    if (!associations.RemoveAll()) failures->append(associations.Failures());
    // The player's own types and icons: nothing names them any more.
    platform::RemoveDesktopTypes(failures);
    platform::NotifyAssociationsChanged();
}

void RemoveShortcutFiles(Failures* failures) {
    DeleteLink(ShellFolder::Desktop, LinkFile(names::kDesktopLink), failures);

    // The menu folder only when the player's own link is in it: a folder of that name without
    // it is not known to be ours.
    const QString folder = Name(names::kStartMenuFolder) + u'/';
    const QString playerLink =
        platform::ShellLinkPath(ShellFolder::Programs, folder + LinkFile(names::kStartMenuPlayerLink));
    if (!playerLink.isEmpty() && platform::ShellLinkExists(playerLink)) {
        for (const char16_t* link : {names::kStartMenuPlayerLink, names::kStartMenuGuideLink, names::kStartMenuSiteLink,
                                     names::kStartMenuUninstallLink})
            DeleteLink(ShellFolder::Programs, folder + LinkFile(link), failures);
        platform::RemoveEmptyFolder(platform::ShellLinkPath(ShellFolder::Programs, Name(names::kStartMenuFolder)));
    }

    DeleteLink(ShellFolder::QuickLaunch, LinkFile(names::kQuickLaunchLink), failures);
    // The folder stands in for the bar and is the player's own.
    const QString quickLaunch = platform::ShellFolderPath(ShellFolder::QuickLaunch);
    if (!quickLaunch.isEmpty()) platform::RemoveEmptyFolder(quickLaunch);
}

}  // namespace uninstall
