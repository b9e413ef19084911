#include "formats/ResultFormats.h"

#include "formats/CDelimitedWriter.h"
#include "formats/CHtmlWriter.h"
#include "formats/CJsonObjectsWriter.h"
#include "formats/CJsonSetsWriter.h"
#include "formats/CMarkdownWriter.h"
#include "formats/CNdjsonWriter.h"
#include "formats/CSqlInsertWriter.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<const char16_t*, ResultFormat>, 9> kNames{{
    {u"tsv", ResultFormat::Tsv},
    {u"csv", ResultFormat::Csv},
    {u"json", ResultFormat::Json},
    {u"ndjson", ResultFormat::Ndjson},
    {u"markdown", ResultFormat::Markdown},
    {u"html", ResultFormat::Html},
    {u"sql", ResultFormat::SqlInsert},
    {u"json-objects", ResultFormat::JsonObjects},
    {u"xlsx", ResultFormat::Xlsx},
}};

} // namespace

std::optional<ResultFormat> ResultFormatNamed(const QString& name)
{
    for (const auto& [known, format] : kNames) {
        if (name == QStringView(known)) {
            return format;
        }
    }
    return std::nullopt;
}

QString ResultFormatSuffix(ResultFormat format)
{
    switch (format) {
    case ResultFormat::Markdown:
        return QStringLiteral("md");
    case ResultFormat::JsonObjects:
        return QStringLiteral("json");
    default:
        break;
    }
    for (const auto& [known, named] : kNames) {
        if (named == format) {
            return QString::fromUtf16(known);
        }
    }
    return {};
}

std::unique_ptr<CResultWriter> MakeResultWriter(ResultFormat format, QByteArray& out,
                                                const CWriterOptions& options)
{
    switch (format) {
    case ResultFormat::Tsv:
        return std::make_unique<CDelimitedWriter>(CDelimitedWriter::Style::Tsv, out, options);
    case ResultFormat::Csv:
        return std::make_unique<CDelimitedWriter>(CDelimitedWriter::Style::Csv, out, options);
    case ResultFormat::Json:
        return std::make_unique<CJsonSetsWriter>(out, options);
    case ResultFormat::Ndjson:
        return std::make_unique<CNdjsonWriter>(out, options);
    case ResultFormat::Markdown:
        return std::make_unique<CMarkdownWriter>(out, options);
    case ResultFormat::Html:
        return std::make_unique<CHtmlWriter>(out, options);
    case ResultFormat::SqlInsert:
        return std::make_unique<CSqlInsertWriter>(out, options);
    case ResultFormat::JsonObjects:
        return std::make_unique<CJsonObjectsWriter>(out, options);
    case ResultFormat::Xlsx:
        break;
    }
    return nullptr;
}
