#include "formats/CXlsxWriter.h"

#include <QFile>

#include <xlsxwriter.h>

namespace {

constexpr qsizetype kSheetNameMax = LXW_SHEETNAME_MAX;

QString Sanitized(const QString& name)
{
    QString clean;
    for (const QChar c : name) {
        clean += QStringView(u"[]:*?/\\").contains(c) || c.unicode() < 32 ? QChar(u'_') : c;
    }
    // Nor may it start or end with an apostrophe.
    while (clean.startsWith(u'\'')) {
        clean.remove(0, 1);
    }
    while (clean.endsWith(u'\'')) {
        clean.chop(1);
    }
    clean = clean.trimmed();
    return clean.isEmpty() ? QStringLiteral("Sheet") : clean;
}

// At most `length` characters, a surrogate pair not parted.
QString Cut(const QString& text, qsizetype length)
{
    qsizetype units = 0;
    for (qsizetype chars = 0; units < text.size() && chars < length; ++chars) {
        units += text[units].isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    }
    return text.left(units);
}

qsizetype CharCount(const QString& text)
{
    return text.toUcs4().size();
}

} // namespace

QString CXlsxWriter::SheetName(const QString& wanted, const QSet<QString>& taken)
{
    const QString base = Sanitized(wanted);
    QString name = Cut(base, kSheetNameMax);
    for (int n = 2; taken.contains(name.toLower()); ++n) {
        const QString suffix = QStringLiteral(" ~%1").arg(n);
        name = Cut(base, kSheetNameMax - CharCount(suffix)).trimmed() + suffix;
    }
    return name;
}

CXlsxWriter::CXlsxWriter(const QString& path, CWriterOptions options,
                         const QString& temporaryFolder)
    : m_options(std::move(options))
{
    const QByteArray folder = QFile::encodeName(temporaryFolder);
    lxw_workbook_options settings{};
    settings.constant_memory = LXW_TRUE;
    settings.use_zip64 = LXW_TRUE;
    settings.tmpdir = temporaryFolder.isEmpty() ? nullptr : const_cast<char*>(folder.constData());
    m_workbook = workbook_new_opt(QFile::encodeName(path).constData(), &settings);
    if (!m_workbook) {
        m_error = QStringLiteral("Cannot create the workbook %1.").arg(path);
    }
}

CXlsxWriter::~CXlsxWriter()
{
    if (m_workbook) {
        QString ignored;
        Close(ignored);
    }
}

void CXlsxWriter::BeginSet(const CSetHeader& header)
{
    m_header = header;
    m_sheetOfSet = 1;
    AddSheet(QStringLiteral("B%1 R%2 %3")
                 .arg(header.batch + 1)
                 .arg(header.result + 1)
                 .arg(header.connection));
}

void CXlsxWriter::AddSheet(const QString& wanted)
{
    if (!m_workbook) {
        return;
    }
    const QString name = SheetName(wanted, m_sheetNames);
    m_sheetNames.insert(name.toLower());
    m_sheet = workbook_add_worksheet(m_workbook, name.toUtf8().constData());
    m_row = 0;
    if (!m_sheet) {
        m_error = QStringLiteral("Cannot add the sheet %1.").arg(name);
        return;
    }
    int column = 0;
    if (m_options.connectionColumn) {
        Write(column++, m_options.connectionHeader);
    }
    for (const QString& name : m_header.columns) {
        Write(column++, name);
    }
    ++m_row;
}

void CXlsxWriter::WriteRow(std::span<const CFieldValue> values)
{
    if (!m_sheet) {
        return;
    }
    if (m_row >= LXW_ROW_MAX) {
        AddSheet(QStringLiteral("B%1 R%2 %3 (%4)")
                     .arg(m_header.batch + 1)
                     .arg(m_header.result + 1)
                     .arg(m_header.connection)
                     .arg(++m_sheetOfSet));
        if (!m_sheet) {
            return;
        }
    }
    int column = 0;
    if (m_options.connectionColumn) {
        Write(column++, m_header.connection);
    }
    for (const CFieldValue& value : values) {
        if (!value.null) {
            Write(column, value.text);
        }
        ++column;
    }
    ++m_row;
}

void CXlsxWriter::Write(int column, QStringView text)
{
    if (text.isEmpty() || column >= LXW_COL_MAX) {
        return;
    }
    m_utf8.resize(0);
    CUtf8Out(m_utf8).Text(text);
    const lxw_error result =
        worksheet_write_string(m_sheet, m_row, lxw_col_t(column), m_utf8.constData(), nullptr);
    if (result != LXW_NO_ERROR && m_error.isEmpty()) {
        m_error = QStringLiteral("Cannot write a value to the workbook: %1.")
                      .arg(QString::fromUtf8(lxw_strerror(result)));
    }
}

bool CXlsxWriter::Close(QString& error)
{
    if (m_workbook) {
        const lxw_error result = workbook_close(m_workbook);
        m_workbook = nullptr;
        m_sheet = nullptr;
        if (result != LXW_NO_ERROR && m_error.isEmpty()) {
            m_error = QStringLiteral("Cannot write the workbook: %1.")
                          .arg(QString::fromUtf8(lxw_strerror(result)));
        }
    }
    error = m_error;
    return m_error.isEmpty();
}
