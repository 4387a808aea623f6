// The about box: its form, clicks that close it, links that open the browser or the mail program
// and keep it open, the underline under the mouse, the modal show through the command targets,
// and the main window's about button that reaches it through the dispatcher.
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

#include "dialogs/about_box.h"
#include "dialogs/dialog_targets.h"
#include "tests/actions_test_support.h"
#include "tests/menu_test_support.h"

namespace {

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "Open");
    }
    ~UrlRecorder() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    }
    QStringList Opened;

public slots:
    void Open(const QUrl& url) { Opened << url.toString(); }
};

void Send(QWidget* w, QEvent::Type type) {
    const QPointF at(2, 2);
    if (type == QEvent::Leave) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(w, &leave);
        return;
    }
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

void ClickOn(QWidget* w) {
    Send(w, QEvent::MouseButtonPress);
    Send(w, QEvent::MouseButtonRelease);
}

QColor TextColour(const QWidget* w) { return w->palette().color(QPalette::WindowText); }

// A label of the box by its form name.
QLabel* L(const QWidget& box, const char* name) {
    QLabel* label = box.findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return label;
}

}  // namespace

TEST(AboutBox, FormAndTexts) {
    TForm12 box;
    EXPECT_EQ(box.windowTitle(), "关于Velmora Player");
    EXPECT_EQ(box.size(), QSize(350, 230));
    EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(box.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(L(box, "Label5")->text(), "版本 V3.0 Build 30509");
    EXPECT_EQ(L(box, "Label6")->text(), "Web:");
    EXPECT_EQ(L(box, "Label7")->text(), "、Email:");
    EXPECT_EQ(L(box, "Label5")->geometry(), QRect(13, 29, L(box, "Label5")->width(), 12));
    EXPECT_EQ(L(box, "Label1")->geometry(), QRect(38, 205, 90, 12));
    EXPECT_EQ(L(box, "Label3")->geometry(), QRect(180, 205, 90, 12));
    EXPECT_EQ(TextColour(L(box, "Label5")), QColor(182, 213, 222));
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label6", "Label7"})
        EXPECT_EQ(TextColour(L(box, name)), QColor(62, 116, 135)) << name;
    ASSERT_FALSE(L(box, "Image1")->pixmap().isNull());
    EXPECT_EQ(L(box, "Image1")->pixmap().size(), QSize(350, 230));
    // The light version line stands on the darker band of the picture.
    const QImage picture = L(box, "Image1")->pixmap().toImage();
    EXPECT_LT(picture.pixelColor(100, 34).lightness(), TextColour(L(box, "Label5")).lightness());
}

// The contact lines are placeholders of the deployment: names under a reserved domain, never a
// number or an address that someone could own; the messaging line fits its room at the edge.
TEST(AboutBox, ContactsBelongToNoOne) {
    TForm12 box;
    const QRegularExpression reserved(
        QStringLiteral(R"(^(\w+:)?(\w+[@.])*(test|example|invalid|example\.(com|org|net))$)"));
    for (const char* name : {"Label1", "Label3", "Label4"}) {
        const QLabel* label = L(box, name);
        EXPECT_TRUE(reserved.match(label->text()).hasMatch()) << name << ": " << label->text().toStdString();
        EXPECT_FALSE(label->text().contains(QRegularExpression(QStringLiteral("\\d{4}")))) << name;
    }
    const QLabel* messaging = L(box, "Label4");
    EXPECT_LE(messaging->fontMetrics().horizontalAdvance(messaging->text()), messaging->width());
    EXPECT_LE(messaging->geometry().right(), box.width() - 1);
}

TEST(AboutBox, AClickOnTextOrPictureClosesIt) {
    TForm12 box;
    for (const char* name : {"Label5", "Image1", "Label4"}) {
        box.show();
        ClickOn(L(box, name));
        EXPECT_FALSE(box.isVisible()) << name;
    }
}

TEST(AboutBox, LinksOpenTheBrowserOrMailAndKeepTheBoxOpen) {
    UrlRecorder urls;
    TForm12 box;
    box.show();
    ClickOn(L(box, "Label1"));
    ClickOn(L(box, "Label3"));
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(urls.Opened, (QStringList{"http://velmora.test", "mailto:vm@velmora.test"}));
}

TEST(AboutBox, ALinkIsUnderlinedWhileTheMouseIsOverIt) {
    TForm12 box;
    box.show();
    QLabel* web = L(box, "Label1");
    QLabel* mail = L(box, "Label3");
    Send(web, QEvent::MouseMove);
    EXPECT_TRUE(web->font().underline());
    EXPECT_FALSE(mail->font().underline()) << "only the label under the mouse";
    Send(web, QEvent::Leave);
    EXPECT_FALSE(web->font().underline());
    Send(L(box, "Label5"), QEvent::MouseMove);
    EXPECT_FALSE(L(box, "Label5")->font().underline()) << "plain text is no link";
}

TEST(AboutBox, ShownModallyOnceAndFreedWhenClosed) {
    TDialogTargets targets;
    int shown = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<TForm12*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->isModal());
        targets.ShowAbout();  // a second request while it is up opens no second box
        ++shown;
        int boxes = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) boxes += qobject_cast<TForm12*>(w) != nullptr;
        EXPECT_EQ(boxes, 1);
        ClickOn(L(*box, "Label2"));
    });
    targets.ShowAbout();
    EXPECT_EQ(shown, 1);
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<TForm12*>(w), nullptr);
}

TEST_F(MenuTest, TheAboutButtonRunsTheAboutCommandAfterItsRelease) {
    form_->show();
    actions_test::Click(form_, {257, 98});
    EXPECT_TRUE(calls_.isEmpty()) << "not inside the release";
    QCoreApplication::processEvents();
    EXPECT_EQ(calls_, QStringList{"about"});
}

#include "about_box_test.moc"
