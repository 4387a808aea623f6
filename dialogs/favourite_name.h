// TForm11: names a favourite, either saving the current playlist under the name (add) or renaming
// the favourite selected in the settings dialog's list (rename).
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>

class QListWidget;
namespace Ui { class TForm11; }

class TForm11 : public QDialog {
    Q_OBJECT
public:
    explicit TForm11(QWidget* parent = nullptr);
    ~TForm11() override;

    // Add mode with the proposed name; the playlist box's items are what gets saved.
    void OpenAdd(const QString& name);
    // Rename mode over the settings dialog's favourites list and its selected item.
    void OpenRename(QListWidget* favourites);

    void Button2Click();

    int Mode = 0;  // 0 add, 1 rename
    QString FavorFolder;  // ends in "/"; the install folder's Favor/ unless a test sets it
    // Asks a yes/no question; tests answer without a box.
    std::function<bool(const QString& text, const QString& caption)> Ask;

    Ui::TForm11* ui() const { return ui_.get(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool NameAccepted(const QString& name);
    bool Save(const QString& name);
    void RenameInList(const QString& name);

    std::unique_ptr<Ui::TForm11> ui_;
    QPointer<QListWidget> favourites_;
};
