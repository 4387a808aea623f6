#include "player/browser/form13.h"

#include <QKeyEvent>

#include "platform/message_box.h"
#include "player/browser/form5.h"
#include "player/browser/station_list.h"
#include "player/playlist/station_code.h"
#include "ui_form13.h"

namespace {

void Inform(const QString& text, const QString& caption) {
    platform::ShowMessage(text, caption, platform::MessageIcon::Information);
}

// A tab or line break would split or re-nest a line of the station file.
QString OneLine(QString text) {
    for (QChar& c : text)
        if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
    return text;
}

}  // namespace

TForm13::TForm13(TForm5* browser) : QDialog(nullptr), browser_(browser), ui_(std::make_unique<Ui::TForm13>()) {
    ui_->setupUi(this);
    Edit1 = ui_->Edit1;
    Edit2 = ui_->Edit2;
    ComboBox1 = ui_->ComboBox1;
    Button2 = ui_->Button2;
    Button1 = ui_->Button1;
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(316, 129);
    setModal(true);
    ComboBox1->setCompleter(nullptr);
    for (QLineEdit* edit : {Edit1, Edit2}) {
        edit->setContextMenuPolicy(Qt::NoContextMenu);
        edit->installEventFilter(this);
    }
    connect(Button2, &QPushButton::clicked, this, &TForm13::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &TForm13::Button1Click);
}

TForm13::~TForm13() = default;

void TForm13::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

// The name and address boxes take no copy key, as their empty pop-up menu claims it.
bool TForm13::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(event)->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_C)) {
        event->accept();
        return event->type() == QEvent::KeyPress;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm13::FormShow() {
    const QStringList& lines = browser_->StationLines();
    ComboBox1->clear();
    ComboBox1->addItems(stations::CategoryNames(lines));
    const int selected = browser_->SelectedIndex();
    const int category = stations::CategoryIndex(lines, Mode == Edit ? Station : selected);
    const QString categoryName = category < 0 ? QString() : stations::DisplayName(lines.at(category));
    if (Mode == Edit) {
        setWindowTitle(QStringLiteral("编辑电台"));
        ComboBox1->setEditText(categoryName);
        return;
    }
    setWindowTitle(QStringLiteral("添加电台"));
    ComboBox1->setEditText(selected < 0 ? QString() : categoryName);
    Edit1->clear();
    Edit2->clear();
}

// The stored target: the station's own code when the address box still shows what it resolves to.
QString TForm13::Target(const QString& url, bool* keepsCode) const {
    *keepsCode = false;
    if (Mode != Edit) return url;
    const QStringList& lines = browser_->StationLines();
    if (Station < 0 || Station >= lines.size()) return url;
    const QString code = stations::CodeOf(lines.at(Station));
    if (code.isEmpty() || GetBCSURL(code) != url) return url;
    *keepsCode = true;
    return code;
}

bool TForm13::CheckInput(const QString& category, const QString& name, const QString& url, bool keepsCode) const {
    if (category.isEmpty() || name.isEmpty() || url.isEmpty()) {
        Inform(QStringLiteral("请填写完毕所有数据！  "), QStringLiteral("没有填写完毕"));
        return false;
    }
    // An unchanged code is checked as the code it stores; without its library it shows as "<:...".
    const QString typed = category + name + (keepsCode ? QString() : url);
    if (typed.contains(u'<') || typed.contains(u'>')) {
        Inform(QStringLiteral("输入的数据不能含有 <> 这两个符号！  "), QStringLiteral("输入错误"));
        return false;
    }
    if (!keepsCode && !url.contains(QStringLiteral("://"))) {
        Inform(QStringLiteral("输入的播放地址无效，请重新输入！  "), QStringLiteral("输入错误"));
        return false;
    }
    return true;
}

void TForm13::Button2Click() {
    const QString category = OneLine(ComboBox1->currentText());
    const QString name = OneLine(Edit1->text());
    const QString url = OneLine(Edit2->text());
    bool keepsCode = false;
    const QString target = Target(url, &keepsCode);
    if (!CheckInput(category, name, url, keepsCode)) return;
    if (browser_->StoreStation(Mode == Edit ? Station : -1, category, name, target)) accept();
}
