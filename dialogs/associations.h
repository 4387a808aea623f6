// The association scheme: the player registers itself as the opener of file extensions and URL
// protocols in the registry, keeps what was there before, tests whether a type is its own and
// undoes only its own. Each change is mirrored on the freedesktop desktop, so a file manager
// opens the ticked types with the player too.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>
#include <vector>

// A registry change that failed; the steps before it stay done.
class EAssociationError : public std::runtime_error {
public:
    explicit EAssociationError(const QString& reason) : std::runtime_error(reason.toStdString()) {}
    QString Text() const { return QString::fromStdString(what()); }
};

// "*.mp3;*.WMA;" -> {"*.mp3", "*.wma"}: the ";"-separated pieces, trimmed and lower-cased.
QStringList MaskPieces(const QString& list);
// A mask the scheme may act on: "*." and a plain extension (no wildcard, key separator, path
// separator or blank), and never "*.exe".
bool IsAssociableMask(const QString& mask);

class TAssociations {
public:
    // programPath: the program the open commands start (the running one in the player).
    explicit TAssociations(QString programPath);

    const QString& ProgramPath() const { return program_; }

    // mask "*.e"; false when .e holds another program's type or does not exist.
    bool IsFileTypeAssociated(const QString& mask) const;
    // e without "*." ; icon empty = none, an .ico file, an .exe or the program itself.
    void AssociateFileType(const QString& e, const QString& icon);
    // Acts only when the type is the player's.
    void UnassociateFileType(const QString& e);

    bool IsProtocolAssociated(const QString& p) const;
    void AssociateProtocol(const QString& p);
    void UnassociateProtocol(const QString& p);

    // The default set. engineLists: the engines' lists in the order DECODE0, DECODE1, DECODE2,
    // DECODE5, DECODE3, DECODE4.
    void DefaultSet(const QStringList& engineLists);
    // The default set as its steps, in order, one type or protocol each, so a caller can run
    // them between other work; each may throw as DefaultSet does, and the steps after one that
    // threw are not run. The scheme must outlive them.
    std::vector<std::function<void()>> DefaultSetSteps(const QStringList& engineLists);
    // The RealAudio types and protocols taken away; true when an extension was undone.
    bool RemoveReal(const QString& decode1List);

    // The "open" command of the ProgID and protocol keys.
    QString OpenCommand() const;

private:
    QString program_;
};

// The shell notification after a change of associations.
void NotifyShellAssociations();

// The icon chosen for a type in the associations page; empty when cancelled. Tests replace the
// file dialog with a function of their own (an empty function restores the dialog).
void SetIconChooser(std::function<QString()> chooser);
QString ChooseAssociationIcon();
