#pragma once

#include <QString>
#include <QStringList>

// The command line of tessella-run, parsed but not acted on.
class CRunnerCommandLine
{
public:
    enum class Command
    {
        None,
        PrintDocument,
        SaveAs,
        Connect,
        Help
    };

    // False with Error() set when the arguments (without the program name)
    // do not form one valid command.
    bool Parse(const QStringList& arguments);

    Command GetCommand() const { return m_command; }
    const QString& Error() const { return m_error; }
    static QString Usage();

    QString file;       // the document to load
    QString outputFile; // --save-as target
    QString dataSource; // --connect
    QString user;
    QString password;
    int timeOut = 30;

private:
    bool Fail(const QString& message);
    bool SetCommand(Command command);
    bool TakeValue(const QStringList& arguments, qsizetype& index, QString& value);

    Command m_command = Command::None;
    QString m_error;
};
