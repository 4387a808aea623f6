// TForm12: the about box. A borderless picture with a few lines of text and two links, shown
// modally and freed when it closes. A click anywhere but on a link closes it.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TForm12;
}

class TForm12 : public QDialog {
    Q_OBJECT
public:
    explicit TForm12(QWidget* parent = nullptr);
    ~TForm12() override;

    Ui::TForm12* ui() const { return ui_.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Image1Click();
    void Label1Click();
    void Label3Click();
    // The underline follows the mouse over either link.
    static void Label1MouseMove(QWidget* sender);
    static void Label1MouseLeave(QWidget* sender);

    std::unique_ptr<Ui::TForm12> ui_;
};

// The about box shown modally; a second request while one is up only raises it.
void ShowAboutBox();
