#include "odbc/OdbcInstaller.h"

#include "odbc/OdbcString.h"

#include <odbcinst.h>

#include <mutex>
#include <vector>

namespace odbc {

namespace {

// The installer functions keep process-wide state (the configuration mode, static path
// buffers, the error stack) and are not safe from two threads at once. Each call sets the mode
// it needs, so one caller's mode never leaks into the next call.
class InstallerSession
{
public:
    explicit InstallerSession(UWORD mode) : m_guard(Lock()) { SQLSetConfigMode(mode); }
    ~InstallerSession() { SQLSetConfigMode(ODBC_BOTH_DSN); }
    InstallerSession(const InstallerSession&) = delete;
    InstallerSession& operator=(const InstallerSession&) = delete;

private:
    static std::mutex& Lock()
    {
        static std::mutex lock;
        return lock;
    }

    std::lock_guard<std::mutex> m_guard;
};

// The largest buffer the installer's int-sized lengths and our 16-bit buffers agree on.
constexpr int kListChars = 32767;

// The names of a list the installer returns as zero-terminated strings one after another,
// ended by an empty one.
QStringList SplitList(const std::vector<SQLWCHAR>& buffer, qsizetype used)
{
    QStringList names;
    qsizetype start = 0;
    for (qsizetype i = 0; i < used && i < qsizetype(buffer.size()); ++i) {
        if (buffer[i] == 0) {
            if (i == start) {
                break;
            }
            names << FromBuffer(buffer.data() + start, i - start);
            start = i + 1;
        }
    }
    return names;
}

// The section names (null section) or one section's key names (null key) of `file`.
QStringList ProfileNames(const QString* section, const QString& file)
{
    std::vector<SQLWCHAR> buffer(kListChars + 2, 0);
    const QString empty;
    const int used = SQLGetPrivateProfileStringW(section ? In(*section) : nullptr, nullptr,
                                                 In(empty), buffer.data(), kListChars, In(file));
    return SplitList(buffer, used > 0 ? used + 1 : 0);
}

QString ReadProfileString(const QString& section, const QString& key, const QString& file)
{
    WideBuffer value(1024);
    SQLGetPrivateProfileStringW(In(section), In(key), In(u""_qs), value.data(), value.chars(),
                                In(file));
    return value.text();
}

// The installer's first error message, or `fallback` when it keeps none.
QString InstallerError(const QString& fallback)
{
    DWORD code = 0;
    WideBuffer message(512);
    WORD length = 0;
    if (SQL_SUCCEEDED(SQLInstallerErrorW(1, &code, message.data(), message.chars(), &length)) &&
        !message.text().isEmpty()) {
        return message.text();
    }
    return fallback;
}

const QString kDataSources = u"ODBC.INI"_qs;

} // namespace

QString ProfileString(const QString& section, const QString& key, const QString& file)
{
    InstallerSession session(ODBC_BOTH_DSN);
    return ReadProfileString(section, key, file);
}

QString DataSourceEntry(const QString& dataSource, const QString& key)
{
    return ProfileString(dataSource, key, kDataSources);
}

QString DriverLibrary(const QString& dataSource)
{
    const QString entry = DataSourceEntry(dataSource, u"Driver"_qs);
    if (entry.isEmpty() || entry.contains(u'/')) {
        return entry;
    }
    return ProfileString(entry, u"Driver"_qs, u"ODBCINST.INI"_qs);
}

QStringList InstalledDrivers()
{
    InstallerSession session(ODBC_BOTH_DSN);
    std::vector<SQLWCHAR> buffer(kListChars + 2, 0);
    WORD used = 0;
    if (!SQLGetInstalledDriversW(buffer.data(), kListChars, &used)) {
        return {};
    }
    return SplitList(buffer, qsizetype(used) + 1);
}

QStringList UserDataSources()
{
    InstallerSession session(ODBC_USER_DSN);
    return ProfileNames(nullptr, kDataSources);
}

DataSourceKeys UserDataSourceKeys(const QString& dataSource)
{
    InstallerSession session(ODBC_USER_DSN);
    DataSourceKeys keys;
    for (const QString& key : ProfileNames(&dataSource, kDataSources)) {
        keys.append({key, ReadProfileString(dataSource, key, kDataSources)});
    }
    return keys;
}

bool WriteUserDataSource(const QString& dataSource, const QString& driver,
                         const DataSourceKeys& keys, QString& error)
{
    InstallerSession session(ODBC_USER_DSN);
    // Writing the name anew drops whatever keys the section held before.
    if (!SQLWriteDSNToIniW(In(dataSource), In(driver))) {
        error = InstallerError(
            QStringLiteral("The data source name \"%1\" is refused.").arg(dataSource));
        return false;
    }
    for (const auto& [key, value] : keys) {
        if (key.compare(u"Driver"_qs, Qt::CaseInsensitive) == 0) {
            continue;
        }
        if (!SQLWritePrivateProfileStringW(In(dataSource), In(key), In(value), In(kDataSources))) {
            error = InstallerError(QStringLiteral("The key \"%1\" is refused.").arg(key));
            return false;
        }
    }
    return true;
}

bool RemoveUserDataSource(const QString& dataSource, QString& error)
{
    InstallerSession session(ODBC_USER_DSN);
    if (!SQLRemoveDSNFromIniW(In(dataSource))) {
        error = InstallerError(QStringLiteral("\"%1\" cannot be removed.").arg(dataSource));
        return false;
    }
    return true;
}

} // namespace odbc
