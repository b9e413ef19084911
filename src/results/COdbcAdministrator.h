#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The reason text of a numbered failure to start a program; codes outside the
// table give "Unknown Error (%d) occurred.".
QString AdministratorFailureText(int code);

// Starts the platform's ODBC data source administrator, not waiting for it.
class COdbcAdministrator
{
public:
    // Answers the full path of an installed program, or an empty text.
    using ProgramFinder = std::function<QString(const QString& program)>;

    // Failure code for "no administrator program is installed".
    static constexpr int kFileNotFound = 2;

    COdbcAdministrator();

    // The administrator programs tried, in order.
    static QStringList Candidates();

    // Replaces the search of the PATH.
    void SetProgramFinder(ProgramFinder finder) { m_finder = std::move(finder); }

    // Starts the first candidate that is installed and starts. On failure
    // `reason` gets the platform's reason text: the one for a missing file when
    // no candidate is installed, else the last start error.
    bool Start(QString& reason) const;

private:
    ProgramFinder m_finder;
};
