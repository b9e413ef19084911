#include "formats/CSelectionText.h"

#include <vector>

QByteArray CSelectionText::Format(ResultFormat format, const QStringList& columns,
                                  const QList<CSelectionRow>& rows, const CWriterOptions& options)
{
    if (format == ResultFormat::Json || format == ResultFormat::Ndjson) {
        format = ResultFormat::JsonObjects;
    }
    QByteArray text;
    const std::unique_ptr<CResultWriter> writer = MakeResultWriter(format, text, options);
    if (!writer) {
        return {};
    }
    text.append(writer->Prologue().data(), qsizetype(writer->Prologue().size()));
    CSetHeader header;
    header.connection = rows.isEmpty() ? QString() : rows.first().connection;
    header.columns = columns;
    writer->BeginSet(header);
    std::vector<CFieldValue> values(size_t(columns.size()));
    for (const CSelectionRow& row : rows) {
        writer->SetConnection(row.connection);
        for (qsizetype i = 0; i < columns.size(); ++i) {
            values[size_t(i)].text = i < row.values.size() ? QStringView(row.values[i]) : u"";
            values[size_t(i)].null = i < row.nulls.size() && row.nulls[i];
        }
        writer->WriteRow(values);
    }
    writer->EndSet();
    text.append(writer->Epilogue().data(), qsizetype(writer->Epilogue().size()));
    return text;
}
