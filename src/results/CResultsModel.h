#pragma once

#include <QAbstractTableModel>

class CTessellaDoc;

// The rows of the "All Results" list. Holds no rows of its own: every cell is answered from the
// document's result store; the model only tracks how many rows and columns the view knows.
class CResultsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit CResultsModel(const CTessellaDoc& document, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The document's store is about to get rows [first, first + count); EndInsertRows follows
    // once it has them.
    void BeginInsertRows(qsizetype first, qsizetype count);
    void EndInsertRows();
    // The document emptied its store.
    void Reset();

private:
    void WidenTo(int columns);

    const CTessellaDoc& m_document;
    int m_rows = 0;
    qsizetype m_insertFirst = 0;
    qsizetype m_insertCount = 0;
    int m_columns = 1;
};
