// TForm5: the station browser "dispForm5", a borderless skinned window with a search box and the
// tree of radio stations read from Plugins/BCSPlus.ini. Creating it places it from MB_L, MB_T,
// MB_W, MB_H inside the work area, builds its skin frame and loads the stations. The raw line list
// and the tree change together, and only after the file was written.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTreeWidget>
#include <memory>

#include "player/skin/skin_window.h"

namespace Ui {
class TForm5;
}

class TForm13;

class TForm5 : public TSkinWindow {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    QLineEdit* Edit1;      // the search box
    QTreeWidget* TreeView1;  // categories and their stations
    QPushButton* Button1;  // 0 x 0, never seen

    QString StationFile() const;
    void LoadStations();
    // Searches on Enter.
    void Edit1KeyUp(int key);
    // Adds the selected station to the playlist and plays it.
    void TreeView1DblClick();
    void AddItem();
    void EditItem();
    void DeleteItem();
    // Stores the window's place (MB_L, MB_T, MB_W, MB_H), which the next browser opens at; every
    // way of freeing the window calls it first.
    void StorePlace() const;

    // The file's lines; index i is node i of the tree in top-to-bottom order.
    const QStringList& StationLines() const { return lines_; }
    int IndexOf(const QTreeWidgetItem* node) const;
    QTreeWidgetItem* NodeAt(int index) const;
    int SelectedIndex() const { return IndexOf(TreeView1->currentItem()); }
    // The editor once it was needed; null before.
    TForm13* Editor() const { return form13_.get(); }

    // Stores a station from the editor: station is the raw index of the one edited, -1 for a new
    // one. False when nothing changed: the user declined a new category or the file was not
    // written (the user was told why).
    bool StoreStation(int station, const QString& category, const QString& name, const QString& target);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FillTree();
    bool Save(const QStringList& lines);
    TForm13* EnsureEditor();
    // The station keeps its place and category and takes a new name and target.
    bool RewriteStation(int station, const QString& name, const QString& line);

    std::unique_ptr<Ui::TForm5> ui_;
    QStringList lines_;
    QString loadError_;  // why the existing file could not be read; empty when it was
    std::unique_ptr<TForm13> form13_;
};
