#pragma once

#include <QByteArray>
#include <QString>

#include <sql.h>
#include <sqlext.h>

#include <vector>

// Value types of the connection layer: how a column or parameter is bound.
enum ValueType : int
{
    TypeNone = 0,
    TypeLong = 1,  // 32-bit integer
    TypeShort = 2, // 16-bit integer
    TypeDouble = 3,
    TypeFloat = 4,
    TypeFixedText = 5,
    TypeText = 6,
    TypeLongText = 7,   // read piecewise unless a query thread binds it as text
    TypeLongBinary = 8, // never bound; shown as "[Binary data]"
    TypeDate = 9,
    TypeTime = 10,
    TypeTimestamp = 12,
};

// The value type of an SQL type as SQLDescribeCol gives it.
int ValueTypeOfSqlType(SQLSMALLINT sqlType);
// The C type a value type is bound as (wide text for anything unknown).
SQLSMALLINT CTypeOfValueType(int valueType);
// The SQL type a parameter of a value type is described as.
SQLSMALLINT SqlTypeOfValueType(int valueType);

// One column of the open result: its description and, when bound, the buffers
// the driver writes each fetched row into (one text element per row: wide
// text, or UTF-8 when `utf8` is set).
struct ColumnInfo
{
    int number = 0;
    SQLWCHAR name[129] = {};
    SQLWCHAR label[129] = {};
    int valueType = TypeText;
    SQLULEN columnSize = 0;
    SQLLEN displaySize = -1;
    SQLSMALLINT decimalDigits = 0;
    int nullability = 0; // 2 no nulls, 1 nullable, 0 unknown
    std::vector<SQLWCHAR> data;
    SQLLEN elementSize = 0; // bytes per element
    SQLLEN maxChars = 0;    // characters a value shows at most
    bool utf8 = false;
    // Long text bound short on purpose: its values are cut at maxChars, by the driver
    // (wide) or here (UTF-8), with a truncation warning either way.
    bool cutByDriver = false;
    std::vector<SQLLEN> indicators;
    const int* rowIndex = nullptr;
    int notBound = 0;
    QByteArray blob; // a long value read piecewise

    QString Name() const;
    QString Label() const;
    // The wide element of `row`; nullptr when unbound.
    const SQLWCHAR* Element(int row) const;
    // The UTF-8 element of `row`; nullptr when unbound.
    const char* Utf8Element(int row) const;
    SQLLEN Indicator(int row) const;
};
