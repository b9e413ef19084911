#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

// What Python's readers (read_back.py) find in `bytes` written in `format` (csv, tsv, json,
// ndjson, html, sql), or in the file at `path` (xlsx as well); null when the reader failed,
// its complaint in `error`.
QJsonValue ReadBack(const QString& format, const QByteArray& bytes, QString* error = nullptr);
QJsonValue ReadBackFile(const QString& format, const QString& path, QString* error = nullptr);
