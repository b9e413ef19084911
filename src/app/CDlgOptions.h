#pragma once

#include "execution/CRunSettings.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;

// "Options": the run settings. OK stores them (the separator only when it is neither empty
// nor one blank); Cancel stores nothing. A run under way keeps the settings it started with.
class CDlgOptions : public QDialog
{
    Q_OBJECT

public:
    explicit CDlgOptions(QWidget* parent = nullptr);

    // Reads the stored settings into the members and the controls.
    void LoadSettings();

    QLineEdit* SeparatorEdit() const { return m_separatorEdit; }
    QCheckBox* UseSeparatorBox() const { return m_useSeparatorBox; }
    QCheckBox* IgnoreInfoBox() const { return m_ignoreInfoBox; }
    QCheckBox* ReconnectBox() const { return m_reconnectBox; }
    QSpinBox* MemoryLimitBox() const { return m_memoryLimitBox; }
    QSpinBox* ConnectionsAtOnceBox() const { return m_connectionsAtOnceBox; }
    QSpinBox* LongTextLimitBox() const { return m_longTextLimitBox; }

    QString m_separator;
    int m_ignoreInfo = 0;
    int m_reconnect = 0;
    int m_useSeparator = 1;
    qint64 m_resultMemoryLimitMB = 0;
    int m_connectionsAtOnce = 0;
    int m_longTextLimit = CRunSettings::kDefaultLongTextLimit;

public slots:
    void accept() override;

private:
    // Members to controls, or controls to members when `save`.
    void UpdateData(bool save);
    void OnUseSeparator();

    QLineEdit* m_separatorEdit;
    QCheckBox* m_useSeparatorBox;
    QCheckBox* m_ignoreInfoBox;
    QCheckBox* m_reconnectBox;
    QSpinBox* m_memoryLimitBox;
    QSpinBox* m_connectionsAtOnceBox;
    QSpinBox* m_longTextLimitBox;
};
