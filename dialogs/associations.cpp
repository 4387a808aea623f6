#include "dialogs/associations.h"

#include <QFileDialog>
#include <QSet>
#include <utility>

#include "names/shell_names.h"
#include "platform/desktop_associations.h"
#include "platform/registry.h"

using platform::RootKey;
using platform::TRegistry;

namespace {

QString Name(const char16_t* name) { return QString::fromUtf16(name); }

QString ProgId(const QString& e) { return Name(names::kProgIdPrefix) + e; }
QString OpenWithList(const QString& e) { return Name(names::kOpenWithListKeyFormat).arg(e); }
QString Verb() { return Name(names::kProtocolVerb); }
QString Backup() { return Name(names::kBackupValue); }

std::function<QString()> g_iconChooser;

void Check(bool done, const TRegistry& reg) {
    if (!done) throw EAssociationError(reg.LastError());
}

void Open(TRegistry& reg, const QString& key) { Check(reg.OpenKey(QLatin1Char('\\') + key, true), reg); }

void Write(TRegistry& reg, const QString& name, const QString& value) { Check(reg.WriteString(name, value), reg); }

void Delete(TRegistry& reg, const QString& name) {
    if (reg.ValueExists(name)) Check(reg.DeleteValue(name), reg);
}

bool KeyIsEmpty(const TRegistry& reg) { return reg.GetValueNames().isEmpty() && reg.GetKeyNames().isEmpty(); }

// The key's default value goes to the backup value when it is someone else's.
void KeepPrevious(TRegistry& reg, const QString& own) {
    const QString previous = reg.ReadString(QString());
    if (!previous.isEmpty() && previous != own) Write(reg, Backup(), previous);
}

// The backup becomes the default again; with none, the default the player wrote just goes.
void RestorePrevious(TRegistry& reg) {
    const QString previous = reg.ReadString(Backup());
    Delete(reg, QString());
    if (!previous.isEmpty()) Write(reg, QString(), previous);
    Delete(reg, Backup());
}

// The player's line in the type's "open with" list takes a letter no other program uses and goes
// first in the order; the others keep their letters and their order behind it.
void AddOpenWith(const QString& e) {
    TRegistry reg;
    Open(reg, OpenWithList(e));
    const QString own = Name(names::kOpenWithName);
    // The key's names read once: each read of the registry reads its whole file.
    QSet<QString> taken;
    for (const QString& name : reg.GetValueNames()) taken.insert(name.toLower());
    QString letter;
    for (char c = 'a'; c <= 'z' && letter.isEmpty(); ++c) {
        const QString name(QChar::fromLatin1(c));
        if (taken.contains(name) && reg.ReadString(name).compare(own, Qt::CaseInsensitive) == 0) letter = name;
    }
    for (char c = 'a'; c <= 'z' && letter.isEmpty(); ++c)
        if (!taken.contains(QString(QChar::fromLatin1(c)))) letter = QString(QChar::fromLatin1(c));
    if (letter.isEmpty()) return;  // 26 programs listed already: the player stays out of the list
    Write(reg, letter, own);
    QString order = reg.ReadString(QStringLiteral("MRUList"));
    order.remove(letter, Qt::CaseInsensitive);
    Write(reg, QStringLiteral("MRUList"), letter + order);
}

void RemoveOpenWith(const QString& e) {
    TRegistry reg;
    if (!reg.OpenKey(QLatin1Char('\\') + OpenWithList(e), false)) return;
    const QString own = Name(names::kOpenWithName);
    QString order = reg.ReadString(QStringLiteral("MRUList"));
    for (const QString& name : reg.GetValueNames()) {
        if (name.size() != 1 || reg.ReadString(name).compare(own, Qt::CaseInsensitive) != 0) continue;
        Delete(reg, name);
        order.remove(name, Qt::CaseInsensitive);
    }
    if (order.isEmpty())
        Delete(reg, QStringLiteral("MRUList"));
    else
        Write(reg, QStringLiteral("MRUList"), order);
    // Keys the player made only for its own line go with it.
    for (QString key = OpenWithList(e); KeyIsEmpty(reg);) {
        Check(reg.DeleteKey(QLatin1Char('\\') + key), reg);
        key = key.left(key.lastIndexOf(u'\\'));
        if (!key.contains(QLatin1String("\\FileExts\\")) || !reg.OpenKey(QLatin1Char('\\') + key, false)) break;
    }
}

// A file on the desktop mirrors every change; a desktop that cannot be written is reported as
// a registry that cannot be written would be.
void Mirror(bool done, const platform::DesktopAssociations& desktop) {
    if (!done) throw EAssociationError(desktop.LastError());
}

}  // namespace

QStringList MaskPieces(const QString& list) {
    QStringList pieces;
    for (const QString& piece : list.split(u';', Qt::SkipEmptyParts))
        if (const QString trimmed = piece.trimmed().toLower(); !trimmed.isEmpty()) pieces.append(trimmed);
    return pieces;
}

bool IsAssociableMask(const QString& mask) {
    if (mask.size() <= 2 || !mask.startsWith(QLatin1String("*.")) || mask == u"*.exe" || mask.at(2) == u'.') return false;
    for (const QChar c : mask.mid(2))
        if (c == u'*' || c == u'?' || c == u'\\' || c == u'/' || c.isSpace() || c.category() == QChar::Other_Control)
            return false;
    return true;
}

TAssociations::TAssociations(QString programPath) : program_(std::move(programPath)) {}

// The program path in quotes, so a path with blanks starts the program and not a part of it.
QString TAssociations::OpenCommand() const { return u'"' + program_ + QStringLiteral("\" \"%L\""); }

bool TAssociations::IsFileTypeAssociated(const QString& mask) const {
    const QString e = mask.mid(2);
    TRegistry reg(RootKey::ClassesRoot);
    if (!reg.OpenKeyReadOnly(QStringLiteral("\\.") + e)) return false;
    return reg.ReadString(QString()) == ProgId(e);
}

void TAssociations::AssociateFileType(const QString& e, const QString& icon) {
    TRegistry reg(RootKey::ClassesRoot);
    Open(reg, QStringLiteral(".") + e);
    KeepPrevious(reg, ProgId(e));
    Write(reg, QString(), ProgId(e));
    Open(reg, ProgId(e) + QStringLiteral("\\shell\\open\\command"));
    Write(reg, QString(), OpenCommand());
    if (!icon.isEmpty()) {
        Open(reg, ProgId(e) + QStringLiteral("\\DefaultIcon"));
        const QString lower = icon.toLower();
        // The program on Linux has no ".exe" ending; it still is the program's own icon.
        if (lower.indexOf(QLatin1String(".ico")) == lower.size() - 4)
            Write(reg, QString(), icon);
        else if (lower.indexOf(QLatin1String(".exe")) == lower.size() - 4 || icon == program_)
            Write(reg, QString(), icon + QStringLiteral(",0"));
    }
    AddOpenWith(e);
    platform::DesktopAssociations desktop;
    Mirror(desktop.AssociateExtension(e, program_), desktop);
}

void TAssociations::UnassociateFileType(const QString& e) {
    if (!IsFileTypeAssociated(QStringLiteral("*.") + e)) return;
    TRegistry reg(RootKey::ClassesRoot);
    Open(reg, QStringLiteral(".") + e);
    RestorePrevious(reg);
    // Other values under .e (another program's) keep the key.
    if (KeyIsEmpty(reg)) Check(reg.DeleteKey(QStringLiteral("\\.") + e), reg);
    if (reg.KeyExists(QLatin1Char('\\') + ProgId(e))) Check(reg.DeleteKey(QLatin1Char('\\') + ProgId(e)), reg);
    RemoveOpenWith(e);
    platform::DesktopAssociations desktop;
    Mirror(desktop.UnassociateExtension(e), desktop);
}

bool TAssociations::IsProtocolAssociated(const QString& p) const {
    TRegistry reg(RootKey::ClassesRoot);
    if (!reg.OpenKeyReadOnly(QLatin1Char('\\') + p + QStringLiteral("\\shell"))) return false;
    return reg.ReadString(QString()) == Verb();
}

void TAssociations::AssociateProtocol(const QString& p) {
    TRegistry reg(RootKey::ClassesRoot);
    Open(reg, p + QStringLiteral("\\shell"));
    KeepPrevious(reg, Verb());
    Write(reg, QString(), Verb());
    Open(reg, p + QStringLiteral("\\shell\\") + Verb() + QStringLiteral("\\command"));
    Write(reg, QString(), OpenCommand());
    if (p == Name(names::kOwnProtocol)) {
        Open(reg, p);
        Write(reg, Name(names::kUrlProtocolValue), QString());
    }
    platform::DesktopAssociations desktop;
    Mirror(desktop.AssociateProtocol(p, program_), desktop);
}

void TAssociations::UnassociateProtocol(const QString& p) {
    if (!IsProtocolAssociated(p)) return;
    TRegistry reg(RootKey::ClassesRoot);
    Open(reg, p + QStringLiteral("\\shell"));
    RestorePrevious(reg);
    const QString verbKey = QLatin1Char('\\') + p + QStringLiteral("\\shell\\") + Verb();
    if (reg.KeyExists(verbKey)) Check(reg.DeleteKey(verbKey), reg);
    platform::DesktopAssociations desktop;
    Mirror(desktop.UnassociateProtocol(p), desktop);
}

void TAssociations::DefaultSet(const QStringList& engineLists) {
    for (const std::function<void()>& step : DefaultSetSteps(engineLists)) step();
}

std::vector<std::function<void()>> TAssociations::DefaultSetSteps(const QStringList& engineLists) {
    // Each type's state is tested when its step runs, as the whole set tests it when it gets there.
    std::vector<std::function<void()>> steps;
    QStringList listed;
    for (const QString& list : engineLists) listed += MaskPieces(list);
    listed += MaskPieces(Name(names::kListExtensions));
    for (const QString& mask : std::as_const(listed))
        if (IsAssociableMask(mask))
            steps.emplace_back([this, mask] {
                if (IsFileTypeAssociated(mask)) UnassociateFileType(mask.mid(2));
            });
    // Whole masks: "*.rm" is not offered by a list holding "*.rmvb" only.
    QSet<QString> offered(listed.begin(), listed.end());
    for (const QString& mask : MaskPieces(Name(names::kUninstallExtraExtensions))) offered.insert(mask);
    for (const QString& mask : MaskPieces(Name(names::kDefaultExtensions)))
        if (IsAssociableMask(mask) && offered.contains(mask))
            steps.emplace_back([this, mask] { AssociateFileType(mask.mid(2), program_); });
    const QStringList protocols = MaskPieces(Name(names::kDefaultProtocols));
    for (const QString& protocol : protocols)
        steps.emplace_back([this, p = protocol.chopped(3)] {
            if (IsProtocolAssociated(p)) UnassociateProtocol(p);
        });
    for (const QString& protocol : protocols)
        steps.emplace_back([this, p = protocol.chopped(3)] { AssociateProtocol(p); });
    return steps;
}

bool TAssociations::RemoveReal(const QString& decode1List) {
    for (const char* p : {"rtsp", "pnm"})
        if (IsProtocolAssociated(QLatin1String(p))) UnassociateProtocol(QLatin1String(p));
    bool undone = false;
    for (const QString& mask : MaskPieces(decode1List))
        if (IsAssociableMask(mask) && IsFileTypeAssociated(mask)) {
            UnassociateFileType(mask.mid(2));
            undone = true;
        }
    return undone;
}

void NotifyShellAssociations() { platform::NotifyAssociationsChanged(); }

void SetIconChooser(std::function<QString()> chooser) { g_iconChooser = std::move(chooser); }

QString ChooseAssociationIcon() {
    if (g_iconChooser) return g_iconChooser();
    QFileDialog dialog(nullptr);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("*.ico;*.exe (*.ico *.exe)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
}
