// TForm8: the modeless settings dialog. A page tree on the left, one page per node on the right;
// every control writes its setting the moment it changes and pushes it into the running objects.
// The frame lives in settings_dialog.cpp, each page (or group of pages) in a settings_*.cpp of
// its own.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Ui {
class TForm8;
}
class QListWidgetItem;
class QTreeWidgetItem;
class QComboBox;
class QLineEdit;
class QPushButton;
class TSetupSteps;

class TForm8 : public QDialog {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);
    ~TForm8() override;

    // Fills the controls of the page whose node caption is `caption`; any other text fills
    // nothing. A fill that fails is shown in a message box; the change handlers work afterwards.
    void LoadPage(const QString& caption);
    // Selects the node at a depth-first index, which loads and shows its page.
    void SelectPage(int index);
    // The node caption of the page on show; empty when none is.
    QString CurrentPage() const;
    void HideAllPages();

    Ui::TForm8* ui() const { return ui_.get(); }

    QString CheckStates;
    int DragIndex = -1;
    quint8 Loading = 0;
    bool Moved = false;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void TreeView1Change(QTreeWidgetItem* node);
    void FormShow();
    QTreeWidgetItem* SelectedNode() const;
    void Button2Click();
    // Each page's fill; false with the reason in *error when it could not be filled.
    bool FillPage(const QString& caption, QString* error);
    void ShowFillFailure(const QString& caption, const QString& error);

    // settings_skins.cpp (skin page)
public:
    // Rebuilds the skin list from a folder (ends in "/").
    void ListSkins(const QString& folder);
    // Installs the selected entry; nothing without a selection. True when the current skin changed.
    bool ApplySkin();
    // A skin archive handed to the player, already in the skins folder: loads this page, selects
    // the archive's entry, installs it and reloads the skin.
    void ApplyHandedSkin(const QString& fileName);

private:
    void ConnectSkinPage();
    void FillSkinPage();
    QString SkinsPath() const;
    // The skin list's key presses, handled here so that a selection they make installs the skin.
    bool SkinListKey(QEvent* event);
    void ListBox1Click();
    void Button3Click();
    // The link to more skins: underlined under the mouse, opens the download page.
    void Label12MouseEnter();
    void Label12MouseLeave();
    void Label12Click();

    // settings_hotkeys.cpp (hotkey page)
    void ConnectHotkeyPage();
    // Fills ListView1 from Plugins/MenuPlus.ini; false with the reason when it cannot be read.
    bool LoadHotkeyList(QString* error);
    void ListView1Click();

    // settings_associations.cpp (association page)
public:
    bool IsFileTypeAssociated(const QString& mask) const;
    void AssociateFileType(const QString& e, const QString& icon);
    void UnassociateFileType(const QString& e);
    void AssociateProtocol(const QString& p);
    bool IsProtocolAssociated(const QString& p) const;
    void UnassociateProtocol(const QString& p);
    void RemoveRealAssociations();

private:
    void ConnectAssociationPage();
    void FillAssociationPage();
    void ListBox2Click();
    void CheckListBox1Click();
    void UpdateButton5();
    void Button5Click();
    // False when a change failed (reported to the user); what was done before it stays done.
    bool Button6Click();
    // Button6's work as steps: the default set one type or protocol at a time, then the list
    // shown again and the desktop told. A step that fails says why; the set's steps after it
    // do nothing. Each step is false when the set failed.
    std::vector<std::function<bool()>> DefaultAssociationSteps();

    // settings_video.cpp (video, colour, effects and capture pages)
    void ConnectVideoPages();
    bool FillVideoPage(QString* error);
    bool FillColourPage(QString* error);
    bool FillEffectsPage(QString* error);
    void FillCapturePage();
    void UpdateRateControls();
    void UpdateVideoNotes();
    void CheckBox30Click();
    void RadioButton5Click();
    void TrackBar7Change(int position);
    void CheckBox12Click();
    void CheckBox21Click();
    void CheckBox2Click();
    void TrackBar2Change();
    void CaptureClick(int mode);
    void RadioButton9Click();
    void GetVideoWidthChange(QLineEdit* edit);
    void TrackBar9Change(int position);

    // settings_lyrics.cpp (lyrics pages)
public:
    // The font, colour and picture dialogs of the lyrics look page; tests answer without a box.
    std::function<std::optional<QFont>(const QFont& start)> AskFont;
    std::function<std::optional<QColor>(const QColor& start)> AskColour;
    std::function<QString(const QString& folder)> AskPicture;

private:
    void ConnectLyricsPages();
    bool FillLyricFilesPage(QString* error);
    void FillLyricTimingPage();
    void FillLyricLookPage();
    void UpdateLyricLookEnabling();
    void ShowFontLabel();
    void CheckBox6Click();
    void Button4Click();
    void CheckBox9Click();
    void CheckBox10Click();
    void TrackBar1Change(int position);
    void LrcFontLeftColorChange(QComboBox* box);
    void LrcFontLeftButtonClick(QPushButton* button);
    void Button7Click();
    void Button8Click();
    void RadioButton1Click();
    void RadioButton3Click();
    void LrcAlignTopChange(QLineEdit* edit);

    // settings_shell.cpp (browser entries, shortcuts, first-run setup)
public:
    // The set-up of a new install folder: the browser's context-menu entries, the desktop and
    // Start-menu shortcuts, no Quick Launch link, the default associations. True when every
    // entry and link it wrote or removed was written or removed.
    bool FirstRunSetup();
    // The same set-up as steps, each short, for the event loop to run between other events. The
    // steps use this form; once it is gone the rest fail.
    std::unique_ptr<TSetupSteps> FirstRunSetupSteps();

private:
    friend class TFirstRunSteps;
    void ConnectShellPage();
    void FillShellPage();
    // Each false when a key or link could not be written or removed.
    bool CheckBox17Click();
    bool CheckBox18Click();
    bool CheckBox19Click();

    // settings_shutdown.cpp (timed-shutdown page)
    // The page shows the program's one countdown; it does not own it.
    void ConnectShutdownPage();
    void ShowShutdownState();
    void CheckBox16Click(bool checked);
    void TrackBar12Change(int position);
    void Timer1Timer();

    // settings_general.cpp
    void ConnectGeneralPage();
    void FillGeneralPage();
    void FillTimeOut();
    void CheckBox34Click();
    void CheckBox35Click();
    void CheckBox36Click();
    void CheckBox26Click();
    void TrackBar11Change(int position);

    // settings_favourites.cpp
    void ConnectFavouritesPage();
    bool LoadFavorites(QString* error);
    void UpdateFavouriteButtons();
    bool SaveFavourites();
    // The chosen favourite found again in the list reloaded from the store; null when there is
    // none or the reload failed (*failed, with the failure shown).
    QListWidgetItem* ChosenFavouriteReloaded(bool* failed);
    void Button9Click();
    void Button10Click();
    void Button11Click();
    void FavouritesMouseDown();
    void FavouritesMouseMove(const QPoint& pos);
    void FavouritesMouseUp();

    // settings_proxy_page.cpp
    void ConnectProxyRows();
    void FillProxyRows();
    void CheckBox3Click();
    void CheckBox14Click();
    void CheckBox13Click();
    void CheckBox15Click();
    bool PortAccepted(const QString& port);

    std::unique_ptr<Ui::TForm8> ui_;
};

// The one settings dialog; null until it is first needed.
extern QPointer<TForm8> Form8;

// Creates the dialog when there is none, shows it modelessly and raises it; page >= 0 selects
// the node of that depth-first index, page < 0 keeps the page it shows.
void ShowSettingsDialog(int page);

// The settings dialog for one task of a caller that may need it only briefly: it uses the one
// that exists, or creates one and frees that one again when it goes away, unless it is on show
// by then. A dialog that existed before (possibly holding a running countdown) is never freed
// by it.
class TForm8Use {
public:
    TForm8Use();
    ~TForm8Use();
    TForm8Use(const TForm8Use&) = delete;
    TForm8Use& operator=(const TForm8Use&) = delete;
    TForm8* operator->() const { return form_; }
    TForm8* get() const { return form_; }
    bool Created() const { return created_; }

private:
    QPointer<TForm8> form_;
    bool created_ = false;
};
