#pragma once

#include "odbc/CThreadODBC.h"
#include "odbc/CThreadOdbcOwner.h"
#include "odbc/ValueText.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <utility>
#include <vector>

// Stands in for a query thread: keeps every element it is given and stops
// when told to.
class RecordingOwner : public CThreadOdbcOwner
{
public:
    int KeepRunning() override { return stopRequested ? 0 : 1; }
    int KeepRunningAfter(int) override
    {
        ++polls;
        if (stopAfterPolls >= 0 && polls >= stopAfterPolls) {
            stopRequested = true;
        }
        return KeepRunning();
    }
    bool IgnoreInfo() const override { return ignoreInfo; }
    void AddElement(const QString& text, int kind) override { elements.emplace_back(kind, text); }

    // "kind|text" per element, for compact comparisons.
    QStringList Lines() const
    {
        QStringList lines;
        for (const auto& [kind, text] : elements) {
            lines << QString::number(kind) + u'|' + text;
        }
        return lines;
    }
    QStringList TextsOfKind(int kind) const
    {
        QStringList texts;
        for (const auto& [k, text] : elements) {
            if (k == kind) {
                texts << text;
            }
        }
        return texts;
    }

    std::vector<std::pair<int, QString>> elements;
    std::atomic<bool> stopRequested{false};
    bool ignoreInfo = false;
    int polls = 0;
    int stopAfterPolls = -1; // stop at this poll; -1 never
};

// Runs one batch the way a query thread does and records what it shows:
// row counts, headers, rows, "End(No data found)" and diagnostics.
inline void RunBatch(CThreadODBC& connection, RecordingOwner& owner, const QString& batch)
{
    connection.Close();
    if (!connection.ExecuteCancellable(batch) || !owner.KeepRunning()) {
        return;
    }
    do {
        connection.UnbindColumns();
        const int columns = connection.GetColumnCount();
        if (columns < 1) {
            owner.AddMessage(u"Rows affected:\t"_qs + QString::number(connection.GetRowCount()), 0,
                             ElemInfo);
            continue;
        }
        connection.DescribeColumns();
        QStringList names;
        for (const auto& column : connection.Columns()) {
            names << column->Name();
        }
        owner.AddElement(names.join(u'\t'), ElemHeader);
        QString row;
        while (owner.KeepRunning()) {
            SQLRETURN rc = connection.SqlFetch();
            while (rc == SQL_STILL_EXECUTING && owner.KeepRunning()) {
                rc = connection.SqlFetch();
            }
            if (!owner.KeepRunning() || !connection.CheckReturn(rc)) {
                break;
            }
            row.clear();
            connection.FormatRow(row);
            if (connection.RowWasCut() && !owner.IgnoreInfo()) {
                owner.AddMessage(odbc::CutValueWarning(), 0, ElemInfo);
            }
            owner.AddElement(row, ElemRow);
        }
    } while (owner.KeepRunning() && connection.MoreResults());
}
