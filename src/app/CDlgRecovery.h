#pragma once

#include "document/CRecoveryStore.h"

#include <QDialog>
#include <QList>

class QGridLayout;
class QLabel;
class QPushButton;

// The offer after a crash: every document whose unsaved changes were kept, with its name, its
// file and the time of the copy, each with "Restore" and "Discard". A document that was
// decided on leaves the list; the dialog closes after the last one. Closed before that, the
// remaining ones are offered again at the next start.
class CDlgRecovery : public QDialog
{
    Q_OBJECT

public:
    explicit CDlgRecovery(const QList<CRecoveryCopy>& copies, QWidget* parent = nullptr);

    int Count() const { return static_cast<int>(m_rows.size()); }
    QString NameText(int row) const { return m_rows.at(row).title; }
    QString DetailText(int row) const;
    QPushButton* RestoreButton(int row) const { return m_rows.at(row).restore; }
    QPushButton* DiscardButton(int row) const { return m_rows.at(row).discard; }
    bool IsDecided(int row) const { return m_rows.at(row).decided; }

    // Takes the row out of the offer; the last one closes the dialog.
    void MarkDecided(int row);

    static QString TimeText(const QDateTime& written);

signals:
    void restoreChosen(int row);
    void discardChosen(int row);

private:
    struct Row
    {
        QString title;
        QLabel* name = nullptr;
        QLabel* detail = nullptr;
        QPushButton* restore = nullptr;
        QPushButton* discard = nullptr;
        bool decided = false;
    };

    void AddRow(QGridLayout& grid, const CRecoveryCopy& copy);

    QList<Row> m_rows;
};
