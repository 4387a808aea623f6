// TListBox1: the playlist, one global list of playlist entry texts. It takes every kind of input
// (arguments, dropped files, folder scans, CD drives, playlist files), orders the entries, draws
// each row in the skin's playlist colours, reorders rows by drag and renames entries in place.
// The inputs and orders live in playlist_box.cpp; drawing, mouse and rename in
// playlist_box_view.cpp.
#pragma once

#include <QAbstractListModel>
#include <QLineEdit>
#include <QListView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStringList>

#include "player/playlist/saved_list.h"

// The rows of the box: plain entry texts, changed in bulk where the box loads many at once.
class TPlaylistModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const QStringList& Items() const { return items_; }
    void SetItems(QStringList items);
    void Insert(int row, const QString& item);
    void InsertMany(int row, const QStringList& items);
    void Replace(int row, const QString& item);
    void Swap(int a, int b);

private:
    QStringList items_;
};

class TListBox1 : public QListView {
    Q_OBJECT
public:
    // Rows are owner-drawn at a fixed height.
    static constexpr int kRowHeight = 14;

    explicit TListBox1(QWidget* parent);
    ~TListBox1() override;

    // Inputs (playlist_box.cpp).
    void addParam(const QString& text);
    void addFile(const QString& text, bool play);
    void loadList(const QString& fileName, bool replace);
    void loadList2(const QString& fileName);
    // The start's load of the player's own list file: false (and the user told why this run
    // keeps its list changes to itself) when the file exists but cannot be read.
    bool LoadSavedList(const QString& fileName);
    // From now on the rows are kept in `fileName` (see TSavedList); refused when it could not be read.
    void KeepSavedIn(const QString& fileName, bool refused);
    TSavedList* SavedList() const { return savedList_; }
    void SearchFile(const QString& folder, bool recurse);
    void SearchCDROM();
    void listSorted(int mode);
    QString GetTitle(int row) const;
    void ChangeTime(int row, bool subtract);
    void RefreshAllTime();
    void initListWidth();

    // Drawing, mouse and rename (playlist_box_view.cpp).
    void listDrawItem(QPainter* painter, int row, const QRect& rect, bool selected) const;
    void listMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void listMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void listMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void listDblClick();
    // Opens the in-place edit over the caret row, filled with its title (the rename command).
    void BeginRename();
    void RenamePost(bool force);
    void OnRenameKeyUp(int key);

    int Count() const { return model_->rowCount(); }
    const QStringList& Items() const { return model_->Items(); }
    QString Item(int row) const { return model_->Items().value(row); }
    void SetItems(QStringList items) { model_->SetItems(std::move(items)); }
    TPlaylistModel* Model() const { return model_; }
    // The caret row (the class library's item index); -1 when none.
    int ItemIndex() const;
    void SetItemIndex(int row);
    // Makes row the only selected row and the caret row.
    void SelectOnly(int row);
    // The first row shown at the top of the box, and scrolling so that row stands there.
    int TopIndex() const;
    void SetTopIndex(int row);

    QStringList MaskList;  // built on first use and kept
    int TotalSeconds = 0;
    bool ShowFileExt = false;
    bool ShowFilePath = false;
    int LastSelected = -1;
    QPointer<QLineEdit> RenameEdit;
    int RenameIndex = -1;
    bool AutoPlayNewFile = true;
    bool UseReverse = true;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // Owner drawing with fixed 14-pixel rows, selection and the rename edit (view file); called
    // by the constructor.
    void SetUpView();
    void LoadListEntries(const QString& fileName, bool replace);
    bool ReplaceWithKpl(const QString& fileName, QString* error);
    void LoadTail(bool replaced);
    void AddSkinFile(const QString& path);
    void BuildMaskList();

    TPlaylistModel* model_;
    // The entry the open rename edit belongs to; it follows insertions and removals, and is lost
    // when the rows are reordered, so a rename never lands on another entry.
    QPersistentModelIndex renameEntry_;
    QPointer<TSavedList> savedList_;
};

// The one playlist box; null until the main window is first built.
extern QPointer<TListBox1> ListBox1;
