#include "results/CGridTable.h"

#include "results/CResultGridModel.h"

#include <QMimeData>

#include <algorithm>

namespace {

using State = CGridRows::State;

QString PlainCell(const CGridRows::Cell& cell)
{
    if (cell.state == State::Null) {
        return QStringLiteral("NULL");
    }
    QString text = cell.text;
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r') {
            c = u' ';
        }
    }
    return text;
}

QString HtmlCell(const CGridRows::Cell& cell)
{
    if (cell.state == State::Null) {
        return QStringLiteral("<td><i>NULL</i></td>");
    }
    return QStringLiteral("<td>") + cell.text.toHtmlEscaped() + QStringLiteral("</td>");
}

} // namespace

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
    for (const int column : columns) {
        table.columns << model.ColumnName(column);
    }
    table.rows.reserve(rows.size());
    for (const int row : rows) {
        std::vector<CGridRows::Cell> cells;
        cells.reserve(columns.size());
        for (const int column : columns) {
            cells.push_back(model.Rows().CellAt(model.RowAt(row), column));
        }
        table.rows.push_back(std::move(cells));
    }
    return table;
}

QString CGridTable::ToText() const
{
    QStringList header;
    for (const QString& column : columns) {
        header << PlainCell({column, State::Value, false});
    }
    QString text = header.join(u'\t');
    for (const auto& row : rows) {
        text += u'\n';
        for (size_t i = 0; i < row.size(); ++i) {
            if (i > 0) {
                text += u'\t';
            }
            text += PlainCell(row[i]);
        }
    }
    return text;
}

QString CGridTable::ToHtml() const
{
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table "
                                  "border=\"1\" cellspacing=\"0\"><thead><tr>");
    for (const QString& column : columns) {
        html += QStringLiteral("<th>") + column.toHtmlEscaped() + QStringLiteral("</th>");
    }
    html += QStringLiteral("</tr></thead><tbody>");
    for (const auto& row : rows) {
        html += QStringLiteral("<tr>");
        for (const CGridRows::Cell& cell : row) {
            html += HtmlCell(cell);
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</tbody></table></body></html>");
}

QMimeData* CGridTable::ToMimeData() const
{
    auto* data = new QMimeData;
    data->setText(ToText());
    data->setHtml(ToHtml());
    return data;
}
