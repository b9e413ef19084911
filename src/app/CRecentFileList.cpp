#include "app/CRecentFileList.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

QSettings Store()
{
    return QSettings(QStringLiteral("MarrowindTeam"), QStringLiteral("Tessella"));
}

const QString kGroup = QStringLiteral("Recent File List");

QString Key(int number)
{
    return QStringLiteral("File%1").arg(number);
}

} // namespace

void CRecentFileList::Load()
{
    QSettings store = Store();
    store.beginGroup(kGroup);
    m_files.clear();
    for (int number = 1; number <= kSize; ++number) {
        const QString path = store.value(Key(number)).toString();
        if (!path.isEmpty()) {
            m_files << path;
        }
    }
}

void CRecentFileList::Save() const
{
    QSettings store = Store();
    store.remove(kGroup);
    store.beginGroup(kGroup);
    for (int i = 0; i < m_files.size(); ++i) {
        store.setValue(Key(i + 1), m_files.at(i));
    }
}

void CRecentFileList::Add(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    m_files.removeAll(full);
    m_files.prepend(full);
    while (m_files.size() > kSize) {
        m_files.removeLast();
    }
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < m_files.size()) {
        m_files.removeAt(index);
    }
}

QString CRecentFileList::DisplayName(const QString& path, int maxLength)
{
    const QString native = QDir::toNativeSeparators(path);
    if (native.size() <= maxLength) {
        return native;
    }
    const QChar separator = QDir::separator();
    QStringList parts = native.split(separator);
    const QString name = parts.takeLast();
    if (parts.isEmpty() || name.size() + 4 > maxLength) {
        return name;
    }
    // The root and first folder, "...", then as many of the last folders as fit.
    const QString head = parts.mid(0, 2).join(separator) + separator + QStringLiteral("...");
    QString tail = separator + name;
    if (head.size() + tail.size() > maxLength) {
        return QStringLiteral("...") + tail;
    }
    for (qsizetype i = parts.size() - 1; i >= 2; --i) {
        const QString longer = separator + parts.at(i) + tail;
        if (head.size() + longer.size() > maxLength) {
            break;
        }
        tail = longer;
    }
    return head + tail;
}
