#include "tests/support/testsupport.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

QString ColorName(TColor32 color) {
    return QStringLiteral("%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

namespace {

int Channel(QRgb c, int shift) {
    return static_cast<int>((c >> shift) & 0xFF);
}

int ChannelDistance(QRgb a, QRgb b) {
    int worst = 0;
    for (int shift : {0, 8, 16, 24})
        worst = std::max(worst, std::abs(Channel(a, shift) - Channel(b, shift)));
    return worst;
}

// A pixel lies on an edge when its 3x3 neighbourhood in the reference is not
// one colour: only there may anti-aliasing legitimately differ.
bool OnEdge(const QImage& ref, int x, int y) {
    const QRgb c = ref.pixel(x, y);
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx;
            const int ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= ref.width() || ny >= ref.height()) continue;
            if (ref.pixel(nx, ny) != c) return true;
        }
    }
    return false;
}

} // namespace

TPictureDifference ComparePictures(const QImage& refIn, const QImage& gotIn, int edgeTolerance) {
    TPictureDifference d;
    if (refIn.size() != gotIn.size()) {
        d.ok = false;
        d.worst = QStringLiteral("size %1x%2, expected %3x%4")
                      .arg(gotIn.width())
                      .arg(gotIn.height())
                      .arg(refIn.width())
                      .arg(refIn.height());
        return d;
    }
    const QImage ref = refIn.convertToFormat(QImage::Format_ARGB32);
    const QImage got = gotIn.convertToFormat(QImage::Format_ARGB32);
    d.map = QImage(ref.size(), QImage::Format_ARGB32);
    d.map.fill(Qt::white);
    int worstExcess = 0;
    for (int y = 0; y < ref.height(); ++y) {
        for (int x = 0; x < ref.width(); ++x) {
            const QRgb r = ref.pixel(x, y);
            const QRgb g = got.pixel(x, y);
            if (r == g) continue;
            const int dist = ChannelDistance(r, g);
            d.largest = std::max(d.largest, dist);
            const bool edge = OnEdge(ref, x, y);
            const int allowed = edge ? edgeTolerance : 0;
            d.map.setPixel(x, y, dist > allowed ? qRgb(255, 0, 0) : qRgb(255, 200, 0));
            if (dist > allowed && dist - allowed > worstExcess) {
                worstExcess = dist - allowed;
                d.ok = false;
                d.worst =
                    QStringLiteral("pixel (%1, %2) is %3, expected %4: %5 levels apart, %6 allowed (%7)")
                        .arg(x)
                        .arg(y)
                        .arg(g, 8, 16, QLatin1Char('0'))
                        .arg(r, 8, 16, QLatin1Char('0'))
                        .arg(dist)
                        .arg(allowed)
                        .arg(edge ? QStringLiteral("edge") : QStringLiteral("flat area"));
            }
        }
    }
    return d;
}

QStringList UnwritableKinds() {
    return {QStringLiteral("folder"), QStringLiteral("FIFO"), QStringLiteral("read-only file"),
            QStringLiteral("read-only folder")};
}

bool MakeUnwritable(const QString& path, const QString& kind) {
    RemoveUnwritable(path);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) return false;
    if (kind == QLatin1String("folder")) return QDir().mkpath(path);
    if (kind == QLatin1String("FIFO")) return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write("[Optionen]\nInfo=0\n");
    file.close();
    if (kind == QLatin1String("read-only file"))
        return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (kind == QLatin1String("read-only folder"))
        return QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                 QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                                 QFileDevice::ReadOther | QFileDevice::ExeOther);
    return false;
}

void RemoveUnwritable(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo::exists(folder))
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    else if (info.exists() || info.isSymLink() || ::access(QFile::encodeName(path).constData(), F_OK) == 0)
        QFile::remove(path);
}

bool WithFileSizeLimit(long bytes, const std::function<void()>& write) {
    rlimit saved{};
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0) return false;
    rlimit small = saved;
    small.rlim_cur = static_cast<rlim_t>(bytes);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const bool limited = setrlimit(RLIMIT_FSIZE, &small) == 0;
    if (limited) write();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    return limited;
}

QString FirstDifference(const QImage& got, const QImage& full, bool onScreen) {
    if (got.size() != full.size())
        return QStringLiteral("size %1x%2 != %3x%4").arg(got.width()).arg(got.height()).arg(full.width()).arg(full.height());
    const QImage a = onScreen ? got.convertToFormat(QImage::Format_RGB32) : got;
    for (int y = 0; y < full.height(); ++y) {
        const auto* g = reinterpret_cast<const quint32*>(a.constScanLine(y));
        const auto* e = reinterpret_cast<const quint32*>(full.constScanLine(y));
        for (int x = 0; x < full.width(); ++x) {
            if (onScreen && (e[x] >> 24) != 0xFF) continue;
            if (g[x] != e[x])
                return QStringLiteral("(%1, %2): %3 != %4")
                    .arg(x)
                    .arg(y)
                    .arg(ColorName(qUnpremultiply(g[x])), ColorName(qUnpremultiply(e[x])));
        }
    }
    return {};
}
