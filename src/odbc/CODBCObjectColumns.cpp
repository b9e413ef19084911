// Result columns, fetching and row text of CODBCObject.

#include "odbc/CODBCObject.h"

#include "odbc/OdbcString.h"
#include "odbc/ValueText.h"

#include <algorithm>

namespace {

// Room for a value whose driver gives no display size, in characters.
constexpr SQLLEN kUnknownDisplayChars = 250;
// Long values are read piecewise in pieces of this many characters or bytes.
constexpr SQLLEN kLongValuePiece = 4096;

// True when the value had to be cut here, to the column's characters.
bool AppendBoundValue(QString& text, const ColumnInfo& column, int row)
{
    if (column.utf8) {
        return odbc::AppendUtf8Value(text, column.Utf8Element(row), column.elementSize,
                                     column.maxChars);
    }
    odbc::AppendWideValue(text, column.Element(row), column.maxChars);
    return false;
}

// A value too long for its element was cut by the driver, which warned.
bool DriverCutValue(const ColumnInfo& column, int row)
{
    const SQLLEN length = column.Indicator(row);
    // A whole value and its terminator fit the element: the indicator counts the value alone.
    return length == SQL_NO_TOTAL || length >= column.elementSize;
}

} // namespace

int CODBCObject::GetColumnCount()
{
    SQLSMALLINT count = 0;
    return CheckReturn(SqlNumResultCols(&count)) ? count : -1;
}

SQLLEN CODBCObject::GetRowCount()
{
    SQLLEN count = 0;
    return CheckReturn(SqlRowCount(&count)) ? count : -1;
}

int CODBCObject::GetParameterCount()
{
    SQLSMALLINT count = 0;
    return CheckReturn(SqlNumParams(&count)) ? count : -1;
}

bool CODBCObject::DescribeColumn(int number, ColumnInfo& column)
{
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
    const auto col = static_cast<SQLUSMALLINT>(number);
    if (!CheckReturn(SqlDescribeCol(col, column.name, 129, &nameLength, &sqlType, &size, &digits,
                                    &nullable))) {
        return false;
    }
    column.name[128] = 0;
    column.number = number;
    column.valueType = ValueTypeOfSqlType(sqlType);
    column.columnSize = size;
    column.decimalDigits = digits;
    column.nullability = nullable == SQL_NO_NULLS ? 2 : nullable == SQL_NULLABLE ? 1 : 0;

    // The label's buffer length is a byte count for this call.
    SQLSMALLINT labelLength = 0;
    if (!SQL_SUCCEEDED(
            SqlColAttribute(col, SQL_COLUMN_LABEL, column.label, 129, &labelLength, nullptr))) {
        std::copy(std::begin(column.name), std::end(column.name), std::begin(column.label));
    }
    column.label[128] = 0;

    SQLLEN display = 0;
    if (SQL_SUCCEEDED(
            SqlColAttribute(col, SQL_COLUMN_DISPLAY_SIZE, nullptr, 0, nullptr, &display))) {
        column.displaySize = display;
        if (column.valueType == TypeText && display == 0) {
            column.valueType = TypeLongText;
        }
    } else {
        column.displaySize = -1;
    }
    return true;
}

bool CODBCObject::DescribeColumns()
{
    const int count = GetColumnCount();
    if (count == -1) {
        return false;
    }
    UnbindColumns();
    for (int number = 1; number <= count; ++number) {
        auto column = std::make_unique<ColumnInfo>();
        if (!DescribeColumn(number, *column) || !BindColumn(*column)) {
            UnbindColumns();
            return false;
        }
        m_columns.push_back(std::move(column));
    }
    return true;
}

bool CODBCObject::BindColumn(ColumnInfo& column)
{
    if (column.valueType == TypeLongText || column.valueType == TypeLongBinary) {
        column.notBound = 1;
        return true;
    }
    const SQLLEN chars = column.displaySize < 0
                             ? kUnknownDisplayChars
                             : std::min<SQLLEN>(column.displaySize, kMaxElementChars);
    // A single-row fetch fills only the first element; only a block cursor needs a rowset.
    const std::size_t rows =
        m_blockFetch ? static_cast<std::size_t>(std::max<short>(m_rowsetSize, 1)) : 1;
    // Long text bound short is UTF-8 too, cut here at its characters: its UTF-8 element holds
    // them all, and the driver warns only for a value longer than that (wide, SQLite's driver
    // converts every value once more, and MariaDB's reads past its own buffer converting a cut
    // one).
    column.utf8 = m_utf8Text;
    const bool fullElement = m_utf8FullElement && !column.cutByDriver;
    // A wide value shows all of its element: a driver that fills it to the
    // last character without a terminator (MariaDB's does, for characters
    // beyond the Basic Multilingual Plane) shows that character too. A UTF-16
    // character takes at most three UTF-8 bytes (a surrogate pair, two
    // characters, takes four), so `chars` characters always fit the UTF-8
    // element and a longer value is cut here where a terminating driver cuts
    // its wide form. The element size stays even for the wide storage.
    column.maxChars = column.utf8 && !fullElement ? chars : chars + 1;
    const SQLLEN wideUnits = column.utf8 ? 2 * chars + 1 : chars + 1;
    column.elementSize = wideUnits * static_cast<SQLLEN>(sizeof(SQLWCHAR));
    column.data.assign(static_cast<std::size_t>(wideUnits) * rows, 0);
    column.indicators.assign(rows, 0);
    column.rowIndex = &m_rowIndex;
    const SQLRETURN rc =
        SqlBindCol(static_cast<SQLUSMALLINT>(column.number), column.utf8 ? SQL_C_CHAR : SQL_C_WCHAR,
                   column.data.data(), column.elementSize, column.indicators.data());
    if (!CheckReturn(rc)) {
        column.data = {};
        column.indicators = {};
        return false;
    }
    return true;
}

bool CODBCObject::FetchFirst()
{
    return m_blockFetch && ExtendedFetch(SQL_FETCH_FIRST);
}

bool CODBCObject::FetchNext()
{
    if (m_blockFetch) {
        if (static_cast<SQLULEN>(m_rowIndex) + 1 < m_rowsFetched) {
            ++m_rowIndex;
            ++m_currentRow;
            return true;
        }
        return ExtendedFetch(SQL_FETCH_NEXT);
    }
    if (!CheckReturn(SqlFetch())) {
        return false;
    }
    ++m_currentRow;
    return true;
}

bool CODBCObject::ExtendedFetch(SQLUSMALLINT orientation)
{
    m_rowStatus.resize(static_cast<std::size_t>(std::max<short>(m_rowsetSize, 1)));
    m_rowsFetched = 0;
    if (!CheckReturn(SqlExtendedFetch(orientation, 0, &m_rowsFetched, m_rowStatus.data()))) {
        return false;
    }
    m_rowIndex = 0;
    m_currentRow = orientation == SQL_FETCH_FIRST ? 0 : m_currentRow + 1;
    return m_rowsFetched > 0;
}

bool CODBCObject::SetCursorType(int cursorKind)
{
    m_blockFetch = 0;
    if (cursorKind == 4) {
        SQLUINTEGER options = 0;
        cursorKind = 0;
        if (SQL_SUCCEEDED(SqlGetInfo(SQL_SCROLL_OPTIONS, &options, sizeof options, nullptr))) {
            cursorKind = (options & SQL_SO_DYNAMIC)         ? 2
                         : (options & SQL_SO_STATIC)        ? 1
                         : (options & SQL_SO_KEYSET_DRIVEN) ? 3
                                                            : 0;
        }
    }
    SQLULEN type = SQL_CURSOR_FORWARD_ONLY;
    switch (cursorKind) {
    case 1:
        type = SQL_CURSOR_STATIC;
        break;
    case 2:
        type = SQL_CURSOR_DYNAMIC;
        break;
    case 3:
        type = SQL_CURSOR_KEYSET_DRIVEN;
        break;
    default:
        break;
    }
    m_blockFetch = cursorKind >= 1 && cursorKind <= 3;
    if (!SQL_SUCCEEDED(SqlSetStmtOption(SQL_CURSOR_TYPE, type))) {
        m_blockFetch = 0;
    }
    if (!m_blockFetch) {
        m_rowsetSize = 1;
    }
    if (!SQL_SUCCEEDED(SqlSetStmtOption(SQL_ROWSET_SIZE, static_cast<SQLULEN>(m_rowsetSize)))) {
        SqlSetStmtOption(SQL_ROWSET_SIZE, 1);
        m_rowsetSize = 1;
    }
    if (m_blockFetch) {
        m_rowStatus.assign(static_cast<std::size_t>(m_rowsetSize), 0);
    }
    return true;
}

void CODBCObject::FormatRow(QString& text)
{
    m_rowCut = false;
    m_rowMarks.Reset(int(m_columns.size()));
    for (std::size_t index = 0; index < m_columns.size(); ++index) {
        const ColumnInfo& column = *m_columns[index];
        const int value = int(index);
        if (index > 0) {
            text += u'\t';
        }
        if (column.notBound) {
            if (UnboundValueIsNull(column)) {
                m_rowMarks.MarkNull(value);
            } else {
                text += u"[Binary data]";
            }
            continue;
        }
        if (column.Indicator(m_rowIndex) == SQL_NULL_DATA) {
            m_rowMarks.MarkNull(value);
            continue;
        }
        const bool cutHere = AppendBoundValue(text, column, m_rowIndex);
        const bool cutByDriver = DriverCutValue(column, m_rowIndex);
        // Only a cut the driver did not warn of needs a warning of ours.
        m_rowCut = (cutHere && !cutByDriver) || m_rowCut;
        if (cutHere || cutByDriver) {
            m_rowMarks.MarkCut(value);
        }
    }
}

bool CODBCObject::UnboundValueIsNull(const ColumnInfo& column)
{
    // Only the indicator is wanted: a read of no bytes gives it. Its truncation warning is no news
    // to the user, so the outcome stays out of CheckReturn. A driver that cannot read this column
    // here (before a bound one) shows the placeholder, as for any value.
    char none = 0;
    SQLLEN indicator = 0;
    const SQLRETURN rc =
        SqlGetData(static_cast<SQLUSMALLINT>(column.number), SQL_C_BINARY, &none, 0, &indicator);
    return SQL_SUCCEEDED(rc) && indicator == SQL_NULL_DATA;
}

bool CODBCObject::MoreResults()
{
    if (!CheckReturn(SqlMoreResults())) {
        return false;
    }
    m_currentRow = -1;
    return true;
}

SQLLEN CODBCObject::GetRowNumber(int kind)
{
    if (m_currentRow < 0) {
        return -1;
    }
    SQLULEN number = 0;
    if (!SQL_SUCCEEDED(SqlGetStmtOption(SQL_ROW_NUMBER, &number))) {
        return -1;
    }
    const auto row = static_cast<SQLLEN>(number);
    switch (kind) {
    case 1:
        return row + m_rowIndex;
    case 2:
        return row + m_currentRow - 1;
    default:
        return row;
    }
}

bool CODBCObject::GetValueText(int column, QString& text)
{
    text.clear();
    if (column < 1 || static_cast<std::size_t>(column) > m_columns.size()) {
        return false;
    }
    ColumnInfo& info = *m_columns[static_cast<std::size_t>(column) - 1];
    if (info.notBound) {
        return ReadLongValue(info, text);
    }
    if (info.Indicator(m_rowIndex) == SQL_NULL_DATA) {
        return true;
    }
    AppendBoundValue(text, info, m_rowIndex);
    if (m_convertValues && info.valueType != TypeText) {
        // Dates and times without the driver's fractions and zones.
        switch (info.valueType) {
        case TypeDate:
            text.truncate(10);
            break;
        case TypeTime:
            text.truncate(8);
            break;
        case TypeTimestamp:
            text.truncate(19);
            break;
        default:
            break;
        }
    }
    return true;
}

bool CODBCObject::ReadLongValue(ColumnInfo& column, QString& text)
{
    const bool binary = column.valueType == TypeLongBinary;
    const SQLSMALLINT cType = binary ? SQL_C_BINARY : SQL_C_WCHAR;
    // Wide text comes with a terminator in every piece; binary does not.
    const SQLLEN pieceBytes = binary ? kLongValuePiece : (kLongValuePiece + 1) * 2;
    QByteArray piece(pieceBytes, Qt::Uninitialized);
    column.blob.clear();
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SqlGetData(static_cast<SQLUSMALLINT>(column.number), cType,
                                        piece.data(), pieceBytes, &indicator);
        if (rc == SQL_NO_DATA) {
            break;
        }
        if (!CheckReturn(rc)) {
            return false;
        }
        if (indicator == SQL_NULL_DATA) {
            break;
        }
        if (indicator == SQL_NO_TOTAL) {
            SetStatus(11);
            ReportError(true, nullptr);
            return false;
        }
        const SQLLEN room = binary ? pieceBytes : pieceBytes - 2;
        const SQLLEN got = std::min(indicator, room);
        column.blob.append(piece.constData(), static_cast<qsizetype>(got));
        if (rc == SQL_SUCCESS) {
            break;
        }
    }
    if (!binary) {
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(column.blob.constData()),
                                  column.blob.size() / 2);
    }
    return true;
}
