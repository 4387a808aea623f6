// The links a web page hands over ("<ALL>" followed by entries of link text, "$;", URL, each
// ended by "*;"), and TForm15 that lists them with check boxes and adds the checked ones.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QMenu;
namespace Ui { class TForm15; }

namespace dialogs {

struct Link {
    QString text;
    QString url;
};

// Page text is untrusted: the entry grammar's "<" and ">" and every control character go.
QString CleanLinkText(const QString& text);
// The links after the first "<ALL>" of `argument`, in page order. A URL without "://" gets
// "http://" in front of it; a piece too short to hold a link ends the list, as the page's own
// terminator does.
QList<Link> ParseLinkList(const QString& argument);
// The playlist entry of a link, with its text as the title or without.
QString LinkEntry(const Link& link, bool withTitle);

}  // namespace dialogs

class TForm15 : public QDialog {
    Q_OBJECT
public:
    explicit TForm15(QWidget* parent = nullptr);
    ~TForm15() override;

    void ShowData(const QString& argument);
    bool AnyChecked() const;
    void Button3Click();  // check all
    void Button4Click();  // uncheck all
    void Button5Click();  // invert
    void N1Click() { AddChecked(false); }
    void N2Click() { AddChecked(true); }

    // Plays a playlist row; the playback object's unless a test records it.
    std::function<void(int)> Play;

    Ui::TForm15* ui() const { return ui_.get(); }
    QMenu* PopupMenu1 = nullptr;

private:
    void SetAllChecks(int mode);
    void AddChecked(bool withTitle);

    std::unique_ptr<Ui::TForm15> ui_;
};
