#pragma once

#include "formats/CResultWriter.h"

#include <QSet>
#include <QString>

struct lxw_workbook;
struct lxw_worksheet;

// An XLSX workbook with a sheet a result set: a header row, then the rows, every value a
// string and NULL an empty cell, the connection's column first when the options have it.
// Sheets are written row by row in constant memory (the library keeps a sheet's rows in a
// temporary file until the workbook closes). A set with more rows than a sheet holds goes on
// in further sheets, each with its header.
class CXlsxWriter : public CResultSink
{
public:
    // `temporaryFolder`: where the library keeps the sheets until Close; empty for the system's.
    CXlsxWriter(const QString& path, CWriterOptions options, const QString& temporaryFolder = {});
    ~CXlsxWriter() override;
    CXlsxWriter(const CXlsxWriter&) = delete;
    CXlsxWriter& operator=(const CXlsxWriter&) = delete;

    void BeginSet(const CSetHeader& header) override;
    void WriteRow(std::span<const CFieldValue> values) override;
    void EndSet() override {}
    // Writes the workbook's file. False with `error` set when it or a value could not be
    // written.
    bool Close(QString& error);

    // What a sheet is named after the set: "B2 R1 name", within the 31 characters that a
    // sheet's name has, without the characters it may not have, unique among `taken`
    // (case-insensitively, as the spreadsheet compares them).
    static QString SheetName(const QString& wanted, const QSet<QString>& taken);

private:
    void AddSheet(const QString& wanted);
    void Write(int column, QStringView text);

    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    CWriterOptions m_options;
    CSetHeader m_header;
    QSet<QString> m_sheetNames; // folded to lower case
    quint32 m_row = 0;          // the next row of the sheet
    int m_sheetOfSet = 0;
    QByteArray m_utf8; // a value on its way to the library
    QString m_error;   // the first failure
};
