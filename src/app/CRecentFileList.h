#pragma once

#include <QStringList>

// The most recently used documents, newest first, kept in the settings store under
// "Recent File List" as "File1", "File2"...
class CRecentFileList
{
public:
    static constexpr int kSize = 10;
    static constexpr int kDisplayLength = 30;

    void Load();
    void Save() const;

    // Puts the file first; an entry for the same file is moved, the oldest beyond kSize dropped.
    void Add(const QString& path);
    void Remove(int index);

    const QStringList& Files() const { return m_files; }
    // The newest entry, empty when there is none.
    QString First() const { return m_files.value(0); }

    // The path shortened to `maxLength` characters for the menu: the file name always stays,
    // the folders in between give way to "...".
    static QString DisplayName(const QString& path, int maxLength = kDisplayLength);

private:
    QStringList m_files;
};
