#include "ReadBack.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>

QJsonValue ReadBackFile(const QString& format, const QString& path, QString* error)
{
    QProcess python;
    // The system's interpreter, whose modules the distribution's packages install.
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TESSELLA_READ_BACK_SCRIPT), format, path});
    python.waitForFinished(60000);
    const QByteArray out = python.readAllStandardOutput();
    QJsonParseError parsed;
    const QJsonDocument document = QJsonDocument::fromJson(out, &parsed);
    if (python.exitCode() != 0 || parsed.error != QJsonParseError::NoError) {
        if (error) {
            *error = QString::fromUtf8(python.readAllStandardError());
        }
        return QJsonValue();
    }
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

QJsonValue ReadBack(const QString& format, const QByteArray& bytes, QString* error)
{
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) {
        return QJsonValue();
    }
    return ReadBackFile(format, file.fileName(), error);
}
