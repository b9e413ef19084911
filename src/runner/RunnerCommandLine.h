#pragma once

#include "document/CConnectionData.h"
#include "formats/ResultFormats.h"

#include <QIODevice>
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
        Run,
        Help,
        Version
    };

    // One line of --help: the option's name, the placeholder of its value (empty for a flag)
    // and what it does.
    struct Option
    {
        QString name;
        QString value;
        QString help;

        QString Synopsis() const;
    };

    // A connection given with --dsn.
    struct DataSource
    {
        QString name;
        QString user;
        QString password;
        int timeOut = 30;

        // A connection entry with these fields and the other defaults.
        CConnectionData ToEntry() const;
    };

    // False with Error() set when the arguments (without the program name)
    // do not form one valid command.
    bool Parse(const QStringList& arguments);

    // Replaces every password given as "-" by the next line of `input` (UTF-8, without its line
    // break), in command-line order, so that a password need not stand in the process list for
    // every user of the machine to read. False with Error() set when the input ends first.
    bool ReadPasswords(QIODevice& input);

    Command GetCommand() const { return m_command; }
    const QString& Error() const { return m_error; }
    static QString Usage();
    // Every option the parser takes, and FILE, in the order --help lists them.
    static const QList<Option>& Options();
    // "tessella-run" and this build's version.
    static QString VersionText();

    QString file;       // the document to load
    QString outputFile; // --save-as target
    QString dataSource; // --connect
    QString user;
    QString password;
    int timeOut = 30;

    // Running a document.
    QList<DataSource> dataSources;
    QString separator; // --separator; null when not given
    bool noSeparator = false;
    bool ignoreInfo = false;
    bool reconnect = false;
    bool progress = false;  // --progress: progress lines also when stderr is no terminal
    bool timing = false;    // --timing: when the last batch was taken and the output written
    bool noHistory = false; // --no-history: the run is left out of the history of runs
    // --result-memory-limit MB: what the run's results may hold; none unless given, since the
    // runner writes its results out.
    qint64 resultMemoryLimitMB = 0;
    // --jobs N: at most N connections query at once, the others waiting for their turn in the
    // document's order; 0 for all at once. The runner's own: the workbench's setting is not read.
    int jobs = 0;
    // --compare: the rows are kept, not written, and each result set of the other connections
    // is compared with the first connection's; --key COL,...: the columns that identify a row.
    bool compare = false;
    QStringList keyColumns;
    // --format: how results are written; tsv, the element lines, unless given.
    ResultFormat format = ResultFormat::Tsv;
    // --output FILE: the results go there, written whole or not at all, instead of to stdout.
    QString resultsFile;

private:
    bool Fail(const QString& message);
    bool SetCommand(Command command);
    bool TakeValue(const QStringList& arguments, qsizetype& index, QString& value);
    bool ParseTimeOut(const QString& text, int& seconds);
    bool ParseMemoryLimit(const QString& text);
    bool ParseJobs(const QString& text);
    bool ParseKeys(const QString& text);
    bool ParseFormat(const QString& text);
    bool Finish(const QStringList& positional);

    Command m_command = Command::None;
    QString m_error;
};
