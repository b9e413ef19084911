#include "odbc/ColumnInfo.h"

#include "odbc/OdbcString.h"

int ValueTypeOfSqlType(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_WCHAR:
        return TypeFixedText;
    case SQL_NUMERIC:
    case SQL_DOUBLE:
        return TypeDouble;
    case SQL_INTEGER:
    case -16: // SQL_C_SLONG's value, reported by some drivers for signed integers
        return TypeLong;
    case SQL_SMALLINT:
    case -15: // SQL_C_SSHORT's value
        return TypeShort;
    case SQL_FLOAT:
    case SQL_REAL:
        return TypeFloat;
    case SQL_DATE:
        return TypeDate;
    case SQL_TIME:
        return TypeTime;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
        return TypeLongText;
    case SQL_LONGVARBINARY:
        return TypeLongBinary;
    default:
        return TypeText;
    }
}

SQLSMALLINT CTypeOfValueType(int valueType)
{
    switch (valueType) {
    case TypeLong:
        return SQL_C_SLONG;
    case TypeShort:
        return SQL_C_SSHORT;
    case TypeDouble:
        return SQL_C_DOUBLE;
    case TypeFloat:
        return SQL_C_FLOAT;
    case TypeLongBinary:
        return SQL_C_BINARY;
    case TypeDate:
        return SQL_C_DATE;
    case TypeTime:
        return SQL_C_TIME;
    case TypeTimestamp:
        return SQL_C_TIMESTAMP;
    default:
        return SQL_C_WCHAR;
    }
}

SQLSMALLINT SqlTypeOfValueType(int valueType)
{
    switch (valueType) {
    case TypeLong:
        return SQL_INTEGER;
    case TypeShort:
        return SQL_SMALLINT;
    case TypeDouble:
        return SQL_DOUBLE;
    case TypeFloat:
        return SQL_FLOAT;
    case TypeFixedText:
        return SQL_WCHAR;
    case TypeLongText:
        return SQL_WLONGVARCHAR;
    case TypeLongBinary:
        return SQL_LONGVARBINARY;
    case TypeDate:
        return SQL_DATE;
    case TypeTime:
        return SQL_TIME;
    case TypeTimestamp:
        return SQL_TIMESTAMP;
    default:
        return SQL_WVARCHAR;
    }
}

QString ColumnInfo::Name() const
{
    return odbc::FromBuffer(name);
}

QString ColumnInfo::Label() const
{
    return odbc::FromBuffer(label);
}

const SQLWCHAR* ColumnInfo::Element(int row) const
{
    if (notBound || data.empty() || utf8) {
        return nullptr;
    }
    const std::size_t stride = static_cast<std::size_t>(elementSize) / sizeof(SQLWCHAR);
    return data.data() + static_cast<std::size_t>(row) * stride;
}

const char* ColumnInfo::Utf8Element(int row) const
{
    if (notBound || data.empty() || !utf8) {
        return nullptr;
    }
    const auto* bytes = reinterpret_cast<const char*>(data.data());
    return bytes + static_cast<std::size_t>(row) * static_cast<std::size_t>(elementSize);
}

SQLLEN ColumnInfo::Indicator(int row) const
{
    return indicators.empty() ? SQL_NULL_DATA : indicators[static_cast<std::size_t>(row)];
}
