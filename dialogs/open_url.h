// TForm9: a typed web address of a music file, checked lightly, kept in a history that lasts
// while the program runs, added to the playlist and played.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui { class TForm9; }

namespace dialogs {

enum class AddressCheck { Nothing, Invalid, Ok };
// Trims *text and puts "http://" in front when it holds no "://". Nothing when only the scheme
// is left; Invalid for "<", ">", "#", "*" or a control character, no ".", or a "." at the end.
AddressCheck CheckAddress(QString* text);

}  // namespace dialogs

class TForm9 : public QDialog {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);
    ~TForm9() override;

    void Button1Click();

    // Plays a playlist row; the playback object's unless a test records it.
    std::function<void(int)> Play;

    Ui::TForm9* ui() const { return ui_.get(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Remember(const QString& address);

    std::unique_ptr<Ui::TForm9> ui_;
};
