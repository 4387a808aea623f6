#include "dialogs/settings_dialog.h"

#include <QMessageBox>
#include <QTreeWidgetItemIterator>
#include <array>
#include <exception>

#include "platform/media_faces.h"
#include "player/core/ctrl.h"
#include "ui_settings_dialog.h"

QPointer<TForm8> Form8;

namespace {

// The tree's nodes in depth-first order; each node's page sits at the same index in the stack.
constexpr std::array<const char16_t*, 15> kNodeCaptions = {
    u"选择界面", u"热键设置", u"文件关联", u"视频设置", u"色彩调节", u"特效处理", u"截图控制", u"动态歌词",
    u"控制选项", u"显示选项", u"常规选项", u"网络设置", u"操作系统", u"定时关机", u"列表收藏夹"};
constexpr int kNoPage = static_cast<int>(kNodeCaptions.size());

int PageIndex(const QString& caption) {
    for (int i = 0; i < kNoPage; ++i)
        if (caption == QString::fromUtf16(kNodeCaptions[i])) return i;
    return -1;
}

// Holds the loading flag for one fill and clears it however the fill ends, so a failed fill
// never leaves every later change silently dropped.
class LoadingGuard {
public:
    explicit LoadingGuard(quint8& flag) : flag_(flag) { flag_ = 1; }
    ~LoadingGuard() { flag_ = 0; }
    LoadingGuard(const LoadingGuard&) = delete;
    LoadingGuard& operator=(const LoadingGuard&) = delete;

private:
    quint8& flag_;
};

}  // namespace

TForm8::TForm8(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm8>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    setFixedSize(478, 355);
    setModal(false);
    FormCreate();
}

TForm8::~TForm8() = default;

void TForm8::FormCreate() {
    Loading = 0;
    ui_->TreeView1->expandAll();
    DragIndex = -1;
    ui_->Pages->setCurrentIndex(kNoPage);
    // A page follows the selected node, not the current one: the view makes its first node
    // current, unselected, when it first takes the focus, and that chooses no page.
    connect(ui_->TreeView1, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (QTreeWidgetItem* node = SelectedNode()) TreeView1Change(node);
    });
    connect(ui_->Button1, &QPushButton::clicked, this, &QDialog::close);
    connect(ui_->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    ConnectSkinPage();
    ConnectHotkeyPage();
    ConnectAssociationPage();
    ConnectVideoPages();
    ConnectLyricsPages();
    ConnectShellPage();
    ConnectShutdownPage();
    ConnectGeneralPage();
    ConnectFavouritesPage();
    ConnectProxyRows();
}

void TForm8::HideAllPages() { ui_->Pages->setCurrentIndex(kNoPage); }

void TForm8::TreeView1Change(QTreeWidgetItem* node) {
    HideAllPages();
    if (!node) return;
    const QString caption = node->text(0);
    LoadPage(caption);
    const int page = PageIndex(caption);
    if (page >= 0) ui_->Pages->setCurrentIndex(page);
}

void TForm8::LoadPage(const QString& caption) {
    QString error;
    bool filled = false;
    {
        LoadingGuard guard(Loading);
        try {
            filled = FillPage(caption, &error);
        } catch (const std::exception& e) {
            error = QString::fromLocal8Bit(e.what());
        }
    }
    if (!filled) ShowFillFailure(caption, error);
}

bool TForm8::FillPage(const QString& caption, QString* error) {
    if (caption == u"选择界面") FillSkinPage();

    // The hotkey list is read once per dialog: the editor keeps the rows in step with the file.
    if (caption == u"热键设置") return ui_->ListView1->topLevelItemCount() > 0 || LoadHotkeyList(error);

    if (caption == u"文件关联") FillAssociationPage();

    if (caption == u"视频设置") return FillVideoPage(error);
    if (caption == u"色彩调节") return FillColourPage(error);
    if (caption == u"特效处理") return FillEffectsPage(error);
    if (caption == u"截图控制") {
        FillCapturePage();
        return true;
    }

    if (caption == u"动态歌词") return FillLyricFilesPage(error);
    if (caption == u"控制选项") {
        FillLyricTimingPage();
        return true;
    }
    if (caption == u"显示选项") {
        FillLyricLookPage();
        return true;
    }

    if (caption == u"操作系统") {
        FillShellPage();
        return true;
    }

    // The timed-shutdown page shows the countdown's own state; it has nothing to fill.
    if (caption == u"网络设置") {
        FillProxyRows();
        FillTimeOut();
    } else if (caption == u"常规选项") {
        FillGeneralPage();
    } else if (caption == u"列表收藏夹") {
        if (!LoadFavorites(error)) return false;
        if (ui_->ListBox3->currentRow() < 0 && ui_->ListBox3->count() > 0) ui_->ListBox3->setCurrentRow(0);
        UpdateFavouriteButtons();
    }
    return true;
}

void TForm8::ShowFillFailure(const QString& caption, const QString& error) {
    // Not modal: the dialog stays usable and a test or a script is never held up by the box.
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("信息提示"),
                                QStringLiteral("页面[%1]出错：%2").arg(caption, error), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TForm8::SelectPage(int index) {
    int position = 0;
    for (QTreeWidgetItemIterator it(ui_->TreeView1); *it; ++it, ++position) {
        if (position != index) continue;
        if (SelectedNode() == *it)
            TreeView1Change(*it);  // already selected: load it again as a fresh selection would
        else
            ui_->TreeView1->setCurrentItem(*it);
        return;
    }
}

QString TForm8::CurrentPage() const {
    const int page = ui_->Pages->currentIndex();
    return page >= 0 && page < kNoPage ? QString::fromUtf16(kNodeCaptions[page]) : QString();
}

void TForm8::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm8::FormShow() {
    if (QTreeWidgetItem* node = SelectedNode()) LoadPage(node->text(0));
}

QTreeWidgetItem* TForm8::SelectedNode() const {
    const QList<QTreeWidgetItem*> selected = ui_->TreeView1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void TForm8::Button2Click() {
    const QString folder = Ctrl ? Ctrl->InstallFolder : QString();
    // Quoted: an install folder with a blank would otherwise cut the page's path in two.
    platform::WinExec(QStringLiteral("HH.exe \"") + folder + QStringLiteral("help.chm::使用手册\\参数设置.htm\""),
                      platform::SW_SHOWNORMAL);
}

void ShowSettingsDialog(int page) {
    if (!Form8) Form8 = new TForm8();
    Form8->show();
    Form8->raise();
    Form8->activateWindow();
    if (page >= 0) Form8->SelectPage(page);
}

TForm8Use::TForm8Use() : form_(Form8) {
    if (!form_) {
        Form8 = form_ = new TForm8();
        created_ = true;
    }
}

TForm8Use::~TForm8Use() {
    if (created_ && form_ && !form_->isVisible()) delete form_.data();
}
