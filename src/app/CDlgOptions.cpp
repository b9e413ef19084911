#include "app/CDlgOptions.h"

#include "execution/CRunSettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

// Far beyond what any server accepts; a larger stored value shows as this.
constexpr int kMostConnectionsAtOnce = 100000;

} // namespace

CDlgOptions::CDlgOptions(QWidget* parent)
    : QDialog(parent), m_separatorEdit(new QLineEdit(this)),
      m_useSeparatorBox(new QCheckBox(tr("Use batch separator"), this)),
      m_ignoreInfoBox(new QCheckBox(tr("Ignore info messages"), this)),
      m_reconnectBox(new QCheckBox(tr("Reconnect every run"), this)),
      m_memoryLimitBox(new QSpinBox(this)), m_connectionsAtOnceBox(new QSpinBox(this)),
      m_longTextLimitBox(new QSpinBox(this))
{
    m_memoryLimitBox->setRange(0, std::numeric_limits<int>::max());
    m_memoryLimitBox->setSpecialValueText(tr("No limit"));
    m_memoryLimitBox->setToolTip(tr("0 for no limit"));
    m_connectionsAtOnceBox->setRange(0, kMostConnectionsAtOnce);
    m_connectionsAtOnceBox->setSpecialValueText(tr("All"));
    m_connectionsAtOnceBox->setToolTip(
        tr("How many connections of a run query at once; the others wait for their turn"));
    m_longTextLimitBox->setRange(1, CRunSettings::kMostLongTextLimit);
    m_longTextLimitBox->setToolTip(tr("How many characters of a long value a result shows; a "
                                      "value cut there is marked as cut"));
    setWindowTitle(tr("Options"));
    auto* fields = new QFormLayout;
    fields->addRow(tr("Batch separator:"), m_separatorEdit);
    fields->addRow(tr("Result memory limit (MB):"), m_memoryLimitBox);
    fields->addRow(tr("Connections at once:"), m_connectionsAtOnceBox);
    fields->addRow(tr("Long text limit (characters):"), m_longTextLimitBox);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgOptions::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_useSeparatorBox, &QCheckBox::clicked, this, &CDlgOptions::OnUseSeparator);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_useSeparatorBox);
    layout->addWidget(m_ignoreInfoBox);
    layout->addWidget(m_reconnectBox);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_separatorEdit->setMinimumWidth(180);
    UpdateData(false);
}

void CDlgOptions::LoadSettings()
{
    const CRunSettings settings = CRunSettings::Load();
    m_separator = settings.separator;
    m_useSeparator = settings.useSeparator ? 1 : 0;
    m_ignoreInfo = settings.ignoreInfo ? 1 : 0;
    m_reconnect = settings.reconnect ? 1 : 0;
    m_resultMemoryLimitMB = settings.resultMemoryLimitMB;
    m_connectionsAtOnce = settings.connectionsAtOnce;
    m_longTextLimit = settings.longTextLimit;
    UpdateData(false);
}

void CDlgOptions::UpdateData(bool save)
{
    if (save) {
        m_separator = m_separatorEdit->text();
        m_useSeparator = m_useSeparatorBox->isChecked() ? 1 : 0;
        m_ignoreInfo = m_ignoreInfoBox->isChecked() ? 1 : 0;
        m_reconnect = m_reconnectBox->isChecked() ? 1 : 0;
        m_resultMemoryLimitMB = m_memoryLimitBox->value();
        m_connectionsAtOnce = m_connectionsAtOnceBox->value();
        m_longTextLimit = m_longTextLimitBox->value();
    } else {
        m_separatorEdit->setText(m_separator);
        m_useSeparatorBox->setChecked(m_useSeparator != 0);
        m_ignoreInfoBox->setChecked(m_ignoreInfo != 0);
        m_reconnectBox->setChecked(m_reconnect != 0);
        // A stored value beyond the box's range shows as its largest.
        m_memoryLimitBox->setValue(
            int(std::clamp<qint64>(m_resultMemoryLimitMB, 0, m_memoryLimitBox->maximum())));
        m_connectionsAtOnceBox->setValue(
            std::clamp(m_connectionsAtOnce, 0, m_connectionsAtOnceBox->maximum()));
        m_longTextLimitBox->setValue(m_longTextLimit);
    }
    m_separatorEdit->setEnabled(m_useSeparator != 0);
}

void CDlgOptions::OnUseSeparator()
{
    UpdateData(true);
}

void CDlgOptions::accept()
{
    UpdateData(true);
    CRunSettings settings;
    settings.separator = m_separator;
    settings.useSeparator = m_useSeparator != 0;
    settings.ignoreInfo = m_ignoreInfo != 0;
    settings.reconnect = m_reconnect != 0;
    settings.resultMemoryLimitMB = m_resultMemoryLimitMB;
    settings.connectionsAtOnce = m_connectionsAtOnce;
    settings.longTextLimit = m_longTextLimit;
    // Save keeps the stored separator when this one is empty or one blank.
    settings.Save();
    QDialog::accept();
}
