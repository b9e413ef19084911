// Builds connection strings from arbitrary data source names, users and passwords for each kind of
// driver (one that reads braces in every value, one only in the password, one in none) and reads
// them back with a reader of its own, written the way such a driver reads "KEY=value;..." (a value
// in braces, where the driver reads braces for that key, ends at a single "}" and must be followed
// by ";" or the end; any other value ends at the next ";" and has its surrounding blanks trimmed).
// Whatever the user typed must come back as exactly the three attributes DSN, UID and PWD with
// exactly the typed values, and the program's own reader, odbc::ConnectValue, must agree. Where no
// string is given, some value must really be one that the driver would misread.
//
// Input: the byte lengths of the data source name and of the user, one byte each, then the three
// values in UTF-8, the password taking what is left.

#include "odbc/ConnectString.h"
#include "odbc/DriverTraits.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

using Attributes = QList<QPair<QString, QString>>;

void Fail(const char* what, const QString& connectString)
{
    std::fprintf(stderr, "connect string: %s\n%s\n", what, connectString.toUtf8().constData());
    std::abort();
}

// One value from `pos`; nullopt when a braced value is not closed or not followed by the end of
// the attribute.
std::optional<QString> ReadValue(const QString& text, qsizetype& pos, bool braces)
{
    if (braces && pos < text.size() && text[pos] == u'{') {
        QString value;
        for (++pos; pos < text.size(); ++pos) {
            if (text[pos] != u'}') {
                value += text[pos];
            } else if (pos + 1 < text.size() && text[pos + 1] == u'}') {
                value += u'}';
                ++pos;
            } else {
                ++pos;
                if (pos < text.size() && text[pos] != u';') {
                    return std::nullopt;
                }
                return value;
            }
        }
        return std::nullopt;
    }
    qsizetype end = text.indexOf(u';', pos);
    if (end < 0) {
        end = text.size();
    }
    const QString value = text.mid(pos, end - pos).trimmed();
    pos = end;
    return value;
}

// `braced`: the keys whose values the driver reads in braces.
std::optional<Attributes> Parse(const QString& text, const QStringList& braced)
{
    Attributes attributes;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype equals = text.indexOf(u'=', pos);
        if (equals < 0) {
            return std::nullopt;
        }
        const QString key = text.mid(pos, equals - pos);
        pos = equals + 1;
        const std::optional<QString> value = ReadValue(text, pos, braced.contains(key));
        if (!value) {
            return std::nullopt;
        }
        attributes.append({key, *value});
        ++pos; // the semicolon, or past the end
    }
    return attributes;
}

QString Take(const std::uint8_t*& data, std::size_t& size, std::size_t count)
{
    count = count < size ? count : size;
    const QString value = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(count));
    data += count;
    size -= count;
    return value;
}

struct DriverKind
{
    const char* library;
    QStringList braced;
};

void CheckDriver(const DriverKind& driver, const Attributes& typed)
{
    const std::optional<QString> text =
        odbc::DriverTraits::ForConfiguration({{}, QString::fromLatin1(driver.library), {}})
            .braces.ConnectString(typed[0].first, typed[0].second, typed[1].second,
                                  typed[2].second);
    if (!text) {
        // Refused: one of the values, written plainly where the driver reads no braces, would
        // not come back as typed, or holds a brace or an equals sign, which some drivers read
        // as marks of their own.
        for (const auto& [key, value] : typed) {
            const std::optional<Attributes> alone = Parse(key + u'=' + value, {});
            const bool marks = value.contains(u'{') || value.contains(u'}') || value.contains(u'=');
            if (!driver.braced.contains(key) && (marks || alone != Attributes{{key, value}})) {
                return;
            }
        }
        Fail("a string that could be written safely was refused", typed[1].second);
    }
    const std::optional<Attributes> parsed = Parse(*text, driver.braced);
    if (!parsed) {
        Fail("a driver cannot read the string", *text);
    }
    if (*parsed != typed) {
        Fail("a driver reads other attributes or values", *text);
    }
    for (const auto& [key, value] : typed) {
        if (odbc::ConnectValue(*text, key) != value) {
            Fail("ConnectValue reads another value", *text);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) {
        return 0;
    }
    const std::size_t dsnLength = data[0];
    const std::size_t userLength = data[1];
    data += 2;
    size -= 2;
    const QString dataSource = Take(data, size, dsnLength);
    const QString user = Take(data, size, userLength);
    const QString password = Take(data, size, size);
    const Attributes typed{{QStringLiteral("DSN"), dataSource},
                           {QStringLiteral("UID"), user},
                           {QStringLiteral("PWD"), password}};
    const DriverKind kinds[] = {
        {"/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so", {u"DSN"_qs, u"UID"_qs, u"PWD"_qs}},
        {"/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so", {u"PWD"_qs}},
        {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so", {}},
        {"libsomeotherodbc.so", {}},
    };
    for (const DriverKind& kind : kinds) {
        CheckDriver(kind, typed);
    }
    return 0;
}
