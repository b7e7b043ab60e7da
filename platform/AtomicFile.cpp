#include "platform/AtomicFile.h"

#include <QSaveFile>

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* errorText) {
    // Unbuffered: with a buffer, Qt 6.4's QSaveFile takes a short write at
    // flush for success and commits a truncated file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(data) != data.size() ||
        !file.commit()) {
        if (errorText) *errorText = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}
