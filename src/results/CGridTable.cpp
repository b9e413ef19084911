#include "results/CGridTable.h"

#include "results/CResultGridModel.h"

#include <QCoreApplication>
#include <QMimeData>

#include <algorithm>
#include <vector>

CGridTable CGridTable::FromSelection(const CResultGridModel& model, const QModelIndexList& selected)
{
    std::vector<int> rows;
    std::vector<int> columns;
    rows.reserve(size_t(selected.size()));
    for (const QModelIndex& index : selected) {
        rows.push_back(index.row());
        columns.push_back(index.column());
    }
    for (std::vector<int>* numbers : {&rows, &columns}) {
        std::sort(numbers->begin(), numbers->end());
        numbers->erase(std::unique(numbers->begin(), numbers->end()), numbers->end());
    }
    CGridTable table;
    table.connectionColumn = !columns.empty() && columns.front() == 0;
    if (table.connectionColumn) {
        columns.erase(columns.begin());
    }
    for (const int column : columns) {
        table.columns << model.ColumnName(column);
    }
    table.rows.reserve(qsizetype(rows.size()));
    for (const int row : rows) {
        const qint64 gridRow = model.RowAt(row);
        CSelectionRow picked;
        picked.connection = model.Rows().CellAt(gridRow, 0).text;
        for (const int column : columns) {
            const CGridRows::Cell cell = model.Rows().CellAt(gridRow, column);
            picked.values << cell.text;
            picked.nulls << (cell.state != CGridRows::State::Value);
        }
        table.rows << std::move(picked);
    }
    return table;
}

QByteArray CGridTable::Text(ResultFormat format) const
{
    CWriterOptions options;
    options.connectionColumn = connectionColumn;
    options.connectionHeader = QCoreApplication::translate("CResultGridModel", "Connection");
    return CSelectionText::Format(format, columns, rows, options);
}

QMimeData* CGridTable::ToMimeData() const
{
    auto* data = new QMimeData;
    data->setText(QString::fromUtf8(Text(ResultFormat::Tsv)));
    data->setHtml(QString::fromUtf8(Text(ResultFormat::Html)));
    return data;
}

QList<std::pair<QString, ResultFormat>> CGridTable::CopyFormats()
{
    return {
        {QStringLiteral("CSV"), ResultFormat::Csv},
        {QStringLiteral("Markdown"), ResultFormat::Markdown},
        {QStringLiteral("JSON"), ResultFormat::JsonObjects},
        {QCoreApplication::translate("CGridTable", "SQL INSERT statements"),
         ResultFormat::SqlInsert},
    };
}
