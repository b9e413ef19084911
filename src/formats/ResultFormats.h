#pragma once

#include "formats/CResultWriter.h"

#include <QString>

#include <memory>
#include <optional>

// The formats that result sets are written in.
enum class ResultFormat
{
    Tsv,
    Csv,
    Json,   // an array of set objects
    Ndjson, // an object a line
    Markdown,
    Html,
    SqlInsert,
    JsonObjects, // an array of row objects
    Xlsx,        // a workbook, written to a file of its own (CXlsxWriter)
};

// By its lower-case name: tsv, csv, json, ndjson, markdown, html, sql, json-objects, xlsx.
std::optional<ResultFormat> ResultFormatNamed(const QString& name);
// What a file of the format ends with, without the dot.
QString ResultFormatSuffix(ResultFormat format);
// A writer of a text format into `out`; none for XLSX.
std::unique_ptr<CResultWriter> MakeResultWriter(ResultFormat format, QByteArray& out,
                                                const CWriterOptions& options);
