// Every name the player leaves outside its install folder: registry keys and values of the
// associations, URL protocols and browser entries, shortcut names, the settings key, and the
// files of the install folder. The player writes them, the uninstaller removes them; both read
// them from here only.
#pragma once

namespace names {

// The player's own settings key under HKEY_CURRENT_USER.
inline constexpr char16_t kSettingsKey[] = u"Software\\Velmora";
inline constexpr char16_t kWorkPathValue[] = u"WorkPath";
// Integer 1 once the first-run setup has succeeded. Earlier builds wrote WorkPath without running
// a setup; where this value is missing the setup runs once more.
inline constexpr char16_t kFirstRunDoneValue[] = u"FirstRunDone";

// File-type associations (HKEY_CLASSES_ROOT\.e and the ProgID key "velmora3.e").
inline constexpr char16_t kProgIdPrefix[] = u"velmora3.";
inline constexpr char16_t kBackupValue[] = u"velmora3_backup";
inline constexpr char16_t kOpenWithListKeyFormat[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.%1\\OpenWithList";
inline constexpr char16_t kOpenWithName[] = u"velmora3.exe";

// URL protocols (HKEY_CLASSES_ROOT\p\shell with the verb "velmora3").
inline constexpr char16_t kProtocolVerb[] = u"velmora3";
inline constexpr char16_t kOwnProtocol[] = u"vmp";
inline constexpr char16_t kUrlProtocolValue[] = u"URL Protocol";
inline constexpr char16_t kPageProtocols[] = u"rtsp://;pnm://;mms://;mmst://;mmsu://;";
inline constexpr char16_t kDefaultProtocols[] = u"vmp://;rtsp://;pnm://;mms://;mmst://;mmsu://;";

// The types associated by the default set, and the list masks the player always owns.
inline constexpr char16_t kDefaultExtensions[] =
    u"*.mp3;*.ra;*.rm;*.ram;*.rmm;*.wma;*.wmv;*.asf;*.mpg;*.mpeg;*.avi;*.mid;*.cda;*.swf;*.kpl;*.wsz;";
inline constexpr char16_t kListExtensions[] = u"*.kpl;*.m3u;*.pls;";
inline constexpr char16_t kUninstallExtraExtensions[] = u"*.kpl;*.m3u;*.pls;*.wsz;";

// Browser entries.
inline constexpr char16_t kMenuExtPlayKey[] = u"Software\\Microsoft\\Internet Explorer\\MenuExt\\使用VELMORA播放";
inline constexpr char16_t kMenuExtPlayAllKey[] =
    u"Software\\Microsoft\\Internet Explorer\\MenuExt\\使用VELMORA播放全部链接";
inline constexpr char16_t kMenuExtPlayPage[] = u"Plugins/load.htm";
inline constexpr char16_t kMenuExtPlayAllPage[] = u"Plugins/loadall.htm";
inline constexpr int kMenuExtPlayContexts = 34;
inline constexpr int kMenuExtPlayAllContexts = 243;
inline constexpr char16_t kToolbarKey[] =
    u"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{FC0669A0-58C4-11D4-B084-5254AB1B788C}";
inline constexpr char16_t kToolbarButtonClass[] = u"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}";
inline constexpr char16_t kToolbarButtonText[] = u"Velmora Player";

// Shortcuts, written as freedesktop ".desktop" files under these names.
inline constexpr char16_t kDesktopLink[] = u"Velmora3.0";
inline constexpr char16_t kStartMenuFolder[] = u"Velmora Player 3.0";
inline constexpr char16_t kStartMenuPlayerLink[] = u"Velmora 3.0";
inline constexpr char16_t kStartMenuGuideLink[] = u"使用Velmora指南";
inline constexpr char16_t kStartMenuSiteLink[] = u"访问Velmora网站";
inline constexpr char16_t kStartMenuUninstallLink[] = u"卸载Velmora 3.0";
inline constexpr char16_t kQuickLaunchLink[] = u"Velmora3.0";
inline constexpr char16_t kLinkSuffix[] = u".desktop";

// The player's own freedesktop entry that file managers open the associated types with, in
// $XDG_DATA_HOME/applications. It lists the extensions and protocols it was written for, so the
// undo knows which MIME types are the player's and leaves every other one alone.
inline constexpr char16_t kDesktopEntry[] = u"velmora.desktop";
inline constexpr char16_t kDesktopEntryName[] = u"Velmora Player";
// The player's icon in the user's icon theme ($XDG_DATA_HOME/icons/hicolor), named by every
// launcher and by the entry.
inline constexpr char16_t kDesktopEntryIcon[] = u"velmora";
inline constexpr char16_t kDesktopEntryExtensionsKey[] = u"X-Velmora-Extensions";
inline constexpr char16_t kDesktopEntryProtocolsKey[] = u"X-Velmora-Protocols";
// The defaults a file manager follows, in $XDG_CONFIG_HOME; the player's entry is put in front of
// the previous ones, which stay behind it and take over again when it is taken out.
inline constexpr char16_t kMimeAppsList[] = u"mimeapps.list";
inline constexpr char16_t kDefaultApplicationsGroup[] = u"Default Applications";
inline constexpr char16_t kSchemeHandlerPrefix[] = u"x-scheme-handler/";
// The player's own file types, which no desktop knows: a shared-mime-info package in
// $XDG_DATA_HOME/mime/packages, each type with an icon of the same name in the icon theme.
inline constexpr char16_t kMimePackage[] = u"velmora.xml";
struct OwnMimeType {
    const char16_t* extension;
    const char16_t* type;
    const char16_t* icon;  // the type with "/" turned into "-", as the desktop looks it up
};
inline constexpr OwnMimeType kOwnMimeTypes[] = {
    {u"kpl", u"application/x-velmora-playlist", u"application-x-velmora-playlist"},
    {u"wsz", u"application/x-velmora-skin", u"application-x-velmora-skin"},
    {u"cda", u"application/x-velmora-cd-track", u"application-x-velmora-cd-track"},
};

// The install folder's files, relative to it.
inline constexpr char16_t kUninstallProgram[] = u"Plugins/Uninstall.exe";
inline constexpr char16_t kPluginsFolder[] = u"Plugins/";
inline constexpr char16_t kSitePage[] = u"Plugins/velmora.htm";
// The manual: HTML pages in help/, the first of them what the guide link opens.
inline constexpr char16_t kHelpFolder[] = u"help";
inline constexpr char16_t kHelpFile[] = u"help/index.htm";
inline constexpr const char16_t* kHelpPages[] = {u"help/index.htm", u"help/参数设置.htm", u"help/常见问题.htm"};
inline constexpr char16_t kPlayerProgram[] = u"velmora";
inline constexpr char16_t kSkinsFolder[] = u"skins";
inline constexpr char16_t kDefaultSkinFolder[] = u"skins/default";
inline constexpr char16_t kFavouritesFolder[] = u"Favor";
// The per-user install folder's record of the files seeded into it.
inline constexpr char16_t kSeededRecord[] = u".shipped";

}  // namespace names
