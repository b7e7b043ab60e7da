#include "platform/DisplayCheck.h"

#include <cstddef>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Connects to the Unix socket at path, as an abstract name when abstract is set.
bool Connects(const QByteArray& path, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path + offset, path.constData(), static_cast<std::size_t>(path.size()));
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                                               static_cast<std::size_t>(path.size()) + (abstract ? 0 : 1));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    ::close(fd);
    return connected;
}

} // namespace

bool X11DisplayReachable(const QByteArray& display, const QString& socketFolder) {
    const qsizetype colon = display.lastIndexOf(':');
    if (colon < 0) return true;
    const QByteArray host = display.left(colon);
    if (!host.isEmpty() && host != "unix") return true;
    QByteArray number = display.mid(colon + 1);
    const qsizetype dot = number.indexOf('.');
    if (dot >= 0) number.truncate(dot);
    if (number.isEmpty() || number.size() > 9) return true;
    for (const char c : number)
        if (c < '0' || c > '9') return true;
    const QByteArray path = socketFolder.toLocal8Bit() + "/X" + number;
    return Connects(path, true) || Connects(path, false);
}
