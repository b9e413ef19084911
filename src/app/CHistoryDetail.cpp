#include "app/CHistoryDetail.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

CHistoryDetail::CHistoryDetail(QWidget* parent)
    : QWidget(parent), m_summary(new QLabel(this)), m_lines(new QTreeWidget(this)),
      m_sql(new QPlainTextEdit(this))
{
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary->setWordWrap(true);
    m_lines->setRootIsDecorated(false);
    m_lines->setHeaderLabels(
        {tr("Connection"), tr("Rows"), tr("Errors"), tr("Duration"), tr("State")});
    m_lines->header()->setStretchLastSection(false);
    m_lines->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_sql->setReadOnly(true);
    m_sql->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_sql->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_lines);
    split->addWidget(m_sql);
    split->setSizes({80, 200});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_summary);
    layout->addWidget(split, 1);
    Show(nullptr);
}

QString CHistoryDetail::Duration(qint64 milliseconds)
{
    if (milliseconds < 60000) {
        return QStringLiteral("%1 s").arg(double(milliseconds) / 1000.0, 0, 'f', 3);
    }
    const qint64 seconds = milliseconds / 1000;
    if (seconds < 3600) {
        return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    }
    return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds / 60 % 60);
}

QString CHistoryDetail::State(const CHistoryRun& run)
{
    if (!run.finished) {
        return tr("unfinished");
    }
    return run.stopped ? tr("stopped") : tr("finished");
}

void CHistoryDetail::Show(const CHistoryRun* run)
{
    m_lines->clear();
    if (!run) {
        m_summary->setText(tr("No run chosen."));
        m_sql->clear();
        return;
    }
    QString summary = tr("%1, %2 by %3: %4 batch(es), %5")
                          .arg(run->started.toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_qs),
                               run->document, run->program)
                          .arg(run->batches)
                          .arg(State(*run));
    if (run->sqlCut) {
        summary += tr(" (the text is cut at 1 MB)");
    }
    m_summary->setText(summary);
    for (const CHistoryConnection& line : run->lines) {
        const QString state = !line.started ? tr("not started")
                              : line.failed ? tr("failed")
                                            : tr("ok");
        auto* item = new QTreeWidgetItem(m_lines, {line.connection, QString::number(line.rows),
                                                   QString::number(line.errors),
                                                   Duration(line.durationMs), state});
        for (int column : {1, 2, 3}) {
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    // A run that never ended has no lines: its connections are all it has.
    if (run->lines.isEmpty()) {
        for (const QString& connection : run->connections) {
            new QTreeWidgetItem(m_lines, {connection, {}, {}, {}, State(*run)});
        }
    }
    m_sql->setPlainText(run->sqlText);
}
