// A socket on a free port of the loopback address, for the tests' own servers.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QtGlobal>

// The socket, listening unless asked otherwise, with its port in *port; -1 (port 0) on failure.
// A socket only bound and then closed leaves a port on which nobody answers.
inline int LoopbackSocket(quint16* port, bool listening = true) {
    *port = 0;
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || (listening && listen(fd, 8) != 0) ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        close(fd);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}
