// TForm13: the browser's station editor, a modal dialog for a new station or the selected one.
// It checks what was typed and hands the station to the browser, which stores it.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

namespace Ui {
class TForm13;
}

class TForm5;

class TForm13 : public QDialog {
    Q_OBJECT
public:
    enum Mode : quint8 { Add = 0, Edit = 1 };

    explicit TForm13(TForm5* browser);
    ~TForm13() override;

    QLineEdit* Edit1;  // station name
    QLineEdit* Edit2;  // URL
    QComboBox* ComboBox1;  // category
    QPushButton* Button2;  // OK
    QPushButton* Button1;  // Cancel

    quint8 Mode = Add;
    // The raw-list index of the station being edited; -1 in add mode.
    int Station = -1;

    void Button2Click();
    void Button1Click() { reject(); }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    bool CheckInput(const QString& category, const QString& name, const QString& url, bool keepsCode) const;
    QString Target(const QString& url, bool* keepsCode) const;

    TForm5* browser_;
    std::unique_ptr<Ui::TForm13> ui_;
};
