// The proxy settings of the network page. The engines of other makers keep them in their own
// registry keys, so those keys are the store: read at each page fill, written at each change.
#pragma once

#include <QString>
#include <optional>

struct TProxyRow {
    bool Available = true;                // false: the key of this protocol's player is missing
    Qt::CheckState State = Qt::Unchecked;  // PartiallyChecked: the two players disagree
    std::optional<QString> Host;          // none: the edit keeps the text it has
    std::optional<QString> Port;
};

struct TProxyPage {
    TProxyRow Http, Mms, Rtsp, Pna;
};

// Reads all four rows. Reading creates nothing.
TProxyPage ReadProxySettings();

// The port as a number when it is one from 1 to 65535.
std::optional<int> ProxyPort(const QString& text);

// Each write stores one whole row; the port must have passed ProxyPort. False with the
// registry's reason in *error when a write failed.
bool WriteHttpProxy(bool on, const QString& host, int port, QString* error);
bool WriteMmsProxy(bool on, const QString& host, int port, QString* error);
// protocol is "RTSP" or "PNA".
bool WriteRealProxy(const QString& protocol, bool on, const QString& host, int port, QString* error);

// Creates the keys the page reads where the other makers' players would have made them (their
// MMS settings and the Real preferences), so that every row can be set. A Real key made here
// takes the HTTP row as it stands, so the HTTP box does not turn grey. False with the
// registry's reason when a key could not be made.
bool CreateProxyKeys(QString* error);

// The HTTP proxy the network sources of our engines use, "http://host:port"; empty when none is
// switched on.
QString HttpProxyAddress();
