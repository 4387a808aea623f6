// TListBox1: the playlist, one global list of playlist entry texts. It takes every kind of input
// (arguments, dropped files, folder scans, playlist files) and keeps the playing index in step.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QPointer>
#include <QStringList>

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

private:
    QStringList items_;
};

class TListBox1 : public QListView {
    Q_OBJECT
public:
    explicit TListBox1(QWidget* parent);

    void addParam(const QString& text);
    void addFile(const QString& text, bool play);
    void loadList(const QString& fileName, bool replace);
    void loadList2(const QString& fileName);
    void SearchFile(const QString& folder, bool recurse);
    void initListWidth();

    int Count() const { return model_->rowCount(); }
    const QStringList& Items() const { return model_->Items(); }
    QString Item(int row) const { return model_->Items().value(row); }
    void SetItems(QStringList items) { model_->SetItems(std::move(items)); }

    int TotalSeconds = 0;
    bool ShowFileExt = false;
    bool ShowFilePath = false;
    int LastSelected = -1;
    int RenameIndex = -1;
    bool AutoPlayNewFile = true;
    bool UseReverse = true;

private:
    void LoadTail();
    void AddSkinFile(const QString& path);

    TPlaylistModel* model_;
};

// The one playlist box; null until the main window is first built.
extern QPointer<TListBox1> ListBox1;
