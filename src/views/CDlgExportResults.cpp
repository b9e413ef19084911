#include "views/CDlgExportResults.h"

#include "execution/CResultStore.h"
#include "formats/CResultExport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Rows written between two looks at the window's events.
constexpr qsizetype kSliceRows = 20000;
// Connections and columns named in the warning of cut values; the rest are counted.
constexpr qsizetype kNamedPlaces = 10;

struct FormatEntry
{
    const char* label;
    ResultFormat format;
};

const FormatEntry kFormats[] = {
    {"CSV (comma-separated)", ResultFormat::Csv},
    {"TSV (tab-separated)", ResultFormat::Tsv},
    {"JSON", ResultFormat::Json},
    {"NDJSON (a JSON object a line)", ResultFormat::Ndjson},
    {"XLSX workbook", ResultFormat::Xlsx},
};

// A set's (batch, result) as one number, for the choice's data.
qint64 SetKey(const CResultSet& set)
{
    return (qint64(set.Batch()) << 32) | quint32(set.Result());
}

} // namespace

CDlgExportResults::CDlgExportResults(const CResultStore& store, QWidget* parent)
    : QDialog(parent), m_store(store), m_sets(new QComboBox(this)), m_format(new QComboBox(this)),
      m_connectionColumn(new QRadioButton(tr("One file with a &Connection column"), this)),
      m_perConnection(new QRadioButton(tr("A file per co&nnection"), this)),
      m_path(new QLineEdit(this)), m_progress(new QProgressBar(this)), m_status(new QLabel(this)),
      m_export(new QPushButton(tr("&Export"), this)), m_stop(new QPushButton(tr("&Stop"), this)),
      m_close(new QPushButton(tr("Close"), this))
{
    setWindowTitle(tr("Export Results"));
    FillSetChoice();
    for (const FormatEntry& entry : kFormats) {
        m_format->addItem(tr(entry.label), int(entry.format));
    }
    m_connectionColumn->setChecked(true);
    auto* browse = new QPushButton(tr("&Browse..."), this);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow(tr("&Result sets:"), m_sets);
    form->addRow(tr("&Format:"), m_format);
    form->addRow(QString(), m_connectionColumn);
    form->addRow(QString(), m_perConnection);
    form->addRow(tr("&File:"), pathRow);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_export, QDialogButtonBox::ActionRole);
    buttons->addButton(m_stop, QDialogButtonBox::ActionRole);
    buttons->addButton(m_close, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_export->setDefault(true);
    SetRunning(false);

    connect(browse, &QPushButton::clicked, this, &CDlgExportResults::Browse);
    connect(m_export, &QPushButton::clicked, this, [this] { Export(); });
    connect(m_stop, &QPushButton::clicked, this, &CDlgExportResults::Stop);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
}

void CDlgExportResults::FillSetChoice()
{
    m_sets->addItem(tr("All result sets"), QVariant());
    QList<qint64> keys;
    for (qsizetype i = 0; i < m_store.ResultSetCount(); ++i) {
        const qint64 key = SetKey(m_store.ResultSet(i));
        if (!keys.contains(key)) {
            keys << key;
        }
    }
    std::sort(keys.begin(), keys.end());
    for (const qint64 key : keys) {
        m_sets->addItem(tr("Batch %1, result %2").arg((key >> 32) + 1).arg((key & 0xffffffff) + 1),
                        key);
    }
    m_export->setEnabled(m_store.ResultSetCount() > 0);
}

QList<qsizetype> CDlgExportResults::PickedSets() const
{
    const QVariant picked = m_sets->currentData();
    QList<qsizetype> sets;
    for (qsizetype i = 0; i < m_store.ResultSetCount(); ++i) {
        if (!picked.isValid() || picked.toLongLong() == SetKey(m_store.ResultSet(i))) {
            sets << i;
        }
    }
    // By batch and result, each connection's in the order the store has them.
    std::stable_sort(sets.begin(), sets.end(), [this](qsizetype a, qsizetype b) {
        return SetKey(m_store.ResultSet(a)) < SetKey(m_store.ResultSet(b));
    });
    return sets;
}

void CDlgExportResults::Browse()
{
    const auto format = ResultFormat(m_format->currentData().toInt());
    const QString suffix = ResultFormatSuffix(format);
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export Results"), m_path->text(),
        tr("%1 files (*.%2);;All files (*)").arg(suffix.toUpper(), suffix));
    if (!path.isEmpty()) {
        m_path->setText(path);
    }
}

void CDlgExportResults::SetRunning(bool running)
{
    m_export->setEnabled(!running && m_store.ResultSetCount() > 0);
    m_stop->setEnabled(running);
    m_close->setEnabled(!running);
    m_sets->setEnabled(!running);
    m_format->setEnabled(!running);
    m_path->setEnabled(!running);
}

void CDlgExportResults::Fail(const QString& message)
{
    m_error = message;
    m_status->setText(message);
}

bool CDlgExportResults::ConfirmCut(const QList<qsizetype>& sets)
{
    const CCutValues cut = CResultExport::FindCut(m_store, sets);
    if (cut.count == 0) {
        return true;
    }
    QStringList named = cut.places.mid(0, kNamedPlaces);
    if (cut.places.size() > kNamedPlaces) {
        named << tr("and %1 more").arg(cut.places.size() - kNamedPlaces);
    }
    const QString text =
        tr("%n value(s) were cut at the long-text limit and will be written as they were cut:\n"
           "%1\n\nA larger \"Long text limit (characters)\" in the options and another run "
           "would read them whole.",
           nullptr, int(cut.count))
            .arg(named.join(u'\n'));
    if (confirmCut) {
        return confirmCut(text);
    }
    QMessageBox box(QMessageBox::Warning, tr("Export Results"), text, QMessageBox::NoButton, this);
    QPushButton* goOn = box.addButton(tr("Continue"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == goOn;
}

bool CDlgExportResults::Export()
{
    m_error.clear();
    CExportRequest request;
    request.format = ResultFormat(m_format->currentData().toInt());
    request.path = m_path->text().trimmed();
    request.filePerConnection = m_perConnection->isChecked();
    request.sets = PickedSets();
    if (request.path.isEmpty()) {
        Fail(tr("Choose the file to export to."));
        return false;
    }
    if (request.sets.isEmpty()) {
        Fail(tr("The run has no result sets to export."));
        return false;
    }
    if (!ConfirmCut(request.sets)) {
        Fail(tr("Not exported."));
        return false;
    }
    CResultExport exporter(m_store, request);
    QString error;
    if (!exporter.Start(error)) {
        Fail(error);
        return false;
    }
    m_stopRequested = false;
    SetRunning(true);
    m_status->setText(tr("Exporting..."));
    const qint64 total = std::max<qint64>(1, exporter.RowsTotal());
    while (!exporter.Step(kSliceRows)) {
        m_progress->setValue(int(exporter.RowsWritten() * 1000 / total));
        QCoreApplication::processEvents();
        if (m_stopRequested) {
            exporter.Cancel();
            SetRunning(false);
            m_progress->setValue(0);
            Fail(tr("Stopped: nothing was written."));
            return false;
        }
    }
    const bool written = exporter.Commit(error);
    SetRunning(false);
    if (!written) {
        Fail(error);
        return false;
    }
    m_progress->setValue(1000);
    m_status->setText(tr("%n row(s) written.", nullptr, int(exporter.RowsWritten())));
    return true;
}
