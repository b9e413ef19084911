#pragma once

#include "history/CHistoryRun.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QTreeWidget;

// One recorded run: what it was, each connection's line and its SQL.
class CHistoryDetail : public QWidget
{
    Q_OBJECT

public:
    explicit CHistoryDetail(QWidget* parent = nullptr);

    // Shows `run`, or nothing for none.
    void Show(const CHistoryRun* run);

    QLabel* Summary() const { return m_summary; }
    QTreeWidget* Lines() const { return m_lines; }
    QPlainTextEdit* Sql() const { return m_sql; }

    // "1.234 s", "2 min 5 s": a duration as the history shows it.
    static QString Duration(qint64 milliseconds);
    // "finished", "stopped", "unfinished".
    static QString State(const CHistoryRun& run);

private:
    QLabel* m_summary;
    QTreeWidget* m_lines;
    QPlainTextEdit* m_sql;
};
