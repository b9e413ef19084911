#pragma once

#include "formats/ResultFormats.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// A result set for the writers' tests: NULL is std::nullopt.
struct TestSet
{
    CSetHeader header;
    QList<QList<std::optional<QString>>> rows;
};

// Values that trip a careless writer of any format.
inline TestSet AwkwardSet(const QString& connection, int batch)
{
    TestSet set;
    set.header = {connection, batch, 0, {u"id"_qs, u"a,b"_qs, u"\"quoted\" <name>"_qs}};
    set.rows = {
        {u"1"_qs, u"plain"_qs, u"with,comma"_qs},
        {u"2"_qs, u"say \"hi\""_qs, u"line1\r\nline2"_qs},
        {u"3"_qs, u""_qs, std::nullopt},
        {u"4"_qs, u"ünïcødé € 😀"_qs, u"<b>&amp;</b> 'x'"_qs},
        {u"5"_qs, u"pipe|star*_under\\`tick`"_qs, u"lf\nonly"_qs},
    };
    return set;
}

// The sets written by the format's writer as one document.
inline QByteArray WriteSets(ResultFormat format, const std::vector<TestSet>& sets,
                            const CWriterOptions& options = {})
{
    QByteArray out;
    const auto writer = MakeResultWriter(format, out, options);
    out.append(writer->Prologue().data(), qsizetype(writer->Prologue().size()));
    std::vector<CFieldValue> values;
    for (const TestSet& set : sets) {
        writer->BeginSet(set.header);
        for (const auto& row : set.rows) {
            values.clear();
            for (const auto& value : row) {
                values.push_back(value ? CFieldValue{*value, false} : CFieldValue{{}, true});
            }
            writer->WriteRow(values);
        }
        writer->EndSet();
    }
    out.append(writer->Epilogue().data(), qsizetype(writer->Epilogue().size()));
    return out;
}
