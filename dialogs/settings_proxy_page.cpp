// The proxy rows of the network page: each row (box, host, port) is written whole whenever one
// of its three controls changes, and only with a port from 1 to 65535.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "dialogs/settings_dialog.h"
#include "dialogs/settings_proxy.h"
#include "ui_settings_dialog.h"

namespace {

void ShowRow(const TProxyRow& row, QCheckBox* box, QLineEdit* host, QLineEdit* port) {
    box->setTristate(row.State == Qt::PartiallyChecked);
    box->setCheckState(row.State);
    if (row.Host) host->setText(*row.Host);
    if (row.Port) port->setText(*row.Port);
    box->setEnabled(row.Available);
    host->setEnabled(row.Available);
    port->setEnabled(row.Available);
}

// A grayed box counts as off; once the user clicks it, it is a plain two-state box again.
bool RowOn(QCheckBox* box) {
    if (box->checkState() == Qt::PartiallyChecked) return false;
    box->setTristate(false);
    return box->isChecked();
}

}  // namespace

void TForm8::ConnectProxyRows() {
    const auto row = [this](QCheckBox* box, QLineEdit* host, QLineEdit* port, void (TForm8::*handler)()) {
        connect(box, &QCheckBox::clicked, this, handler);
        connect(host, &QLineEdit::textChanged, this, handler);
        connect(port, &QLineEdit::textChanged, this, handler);
    };
    row(ui_->CheckBox3, ui_->Edit2, ui_->Edit3, &TForm8::CheckBox3Click);
    row(ui_->CheckBox14, ui_->Edit4, ui_->Edit5, &TForm8::CheckBox14Click);
    row(ui_->CheckBox13, ui_->Edit6, ui_->Edit7, &TForm8::CheckBox13Click);
    row(ui_->CheckBox15, ui_->Edit8, ui_->Edit9, &TForm8::CheckBox15Click);
}

void TForm8::FillProxyRows() {
    const TProxyPage page = ReadProxySettings();
    ShowRow(page.Http, ui_->CheckBox3, ui_->Edit2, ui_->Edit3);
    ShowRow(page.Mms, ui_->CheckBox14, ui_->Edit4, ui_->Edit5);
    ShowRow(page.Rtsp, ui_->CheckBox13, ui_->Edit6, ui_->Edit7);
    ShowRow(page.Pna, ui_->CheckBox15, ui_->Edit8, ui_->Edit9);
    ui_->PortMessage->clear();
}

bool TForm8::PortAccepted(const QString& port) {
    if (ProxyPort(port)) {
        ui_->PortMessage->clear();
        return true;
    }
    ui_->PortMessage->setText(QStringLiteral("端口必须是1到65535之间的数字，未保存。"));
    return false;
}

namespace {
template <typename Write>
void WriteRow(QCheckBox* box, QLineEdit* host, QLineEdit* port, QLabel* message, Write write) {
    const bool on = RowOn(box);
    const std::optional<int> number = ProxyPort(port->text());
    if (!number) return;
    QString error;
    if (!write(on, host->text(), *number, &error)) message->setText(error);
}
}  // namespace

void TForm8::CheckBox3Click() {
    if (Loading || !PortAccepted(ui_->Edit3->text())) return;
    WriteRow(ui_->CheckBox3, ui_->Edit2, ui_->Edit3, ui_->PortMessage, WriteHttpProxy);
}

void TForm8::CheckBox14Click() {
    if (Loading || !PortAccepted(ui_->Edit5->text())) return;
    WriteRow(ui_->CheckBox14, ui_->Edit4, ui_->Edit5, ui_->PortMessage, WriteMmsProxy);
}

void TForm8::CheckBox13Click() {
    if (Loading || !PortAccepted(ui_->Edit7->text())) return;
    WriteRow(ui_->CheckBox13, ui_->Edit6, ui_->Edit7, ui_->PortMessage, [](bool on, const QString& host, int port, QString* error) {
        return WriteRealProxy(QStringLiteral("RTSP"), on, host, port, error);
    });
}

void TForm8::CheckBox15Click() {
    if (Loading || !PortAccepted(ui_->Edit9->text())) return;
    WriteRow(ui_->CheckBox15, ui_->Edit8, ui_->Edit9, ui_->PortMessage, [](bool on, const QString& host, int port, QString* error) {
        return WriteRealProxy(QStringLiteral("PNA"), on, host, port, error);
    });
}
