#include "runner/RunnerCommandLine.h"

#include <algorithm>
#include <limits>

namespace {

// A whole number from 0 to the most `value` holds, into `value`; false, leaving it, otherwise.
template <typename Number> bool ReadCount(const QString& text, Number& value)
{
    bool number = false;
    const qint64 read = text.toLongLong(&number);
    if (!number || read < 0 || read > std::numeric_limits<Number>::max()) {
        return false;
    }
    value = Number(read);
    return true;
}

} // namespace

CConnectionData CRunnerCommandLine::DataSource::ToEntry() const
{
    CConnectionData entry;
    entry.m_dataSource = name;
    entry.m_login = user;
    entry.m_password = password;
    entry.m_timeOut = timeOut;
    return entry;
}

bool CRunnerCommandLine::Fail(const QString& message)
{
    m_error = message;
    return false;
}

bool CRunnerCommandLine::SetCommand(Command command)
{
    // --help, then --version, win over whatever else the line asks for.
    if (m_command == Command::Help || (m_command == Command::Version && command != Command::Help)) {
        return true;
    }
    if (command == Command::Help || command == Command::Version) {
        m_command = command;
        return true;
    }
    if (m_command != Command::None && m_command != command) {
        return Fail(QStringLiteral("Only one of --print-document, --save-as and --connect may be "
                                   "given."));
    }
    m_command = command;
    return true;
}

bool CRunnerCommandLine::TakeValue(const QStringList& arguments, qsizetype& index, QString& value)
{
    if (index + 1 >= arguments.size()) {
        return Fail(QStringLiteral("%1 needs a value.").arg(arguments[index]));
    }
    value = arguments[++index];
    return true;
}

bool CRunnerCommandLine::ParseTimeOut(const QString& text, int& seconds)
{
    return ReadCount(text, seconds) || Fail(QStringLiteral("--timeout needs a number of seconds."));
}

bool CRunnerCommandLine::ParseMemoryLimit(const QString& text)
{
    return ReadCount(text, resultMemoryLimitMB) ||
           Fail(QStringLiteral("--result-memory-limit needs a number of megabytes."));
}

bool CRunnerCommandLine::ParseJobs(const QString& text)
{
    return ReadCount(text, jobs) ||
           Fail(QStringLiteral("--jobs needs a number of connections (0 for all at once)."));
}

bool CRunnerCommandLine::ParseKeys(const QString& text)
{
    for (const QString& name : text.split(u',')) {
        if (name.trimmed().isEmpty()) {
            return Fail(QStringLiteral("--key needs column names separated by commas."));
        }
        keyColumns << name.trimmed();
    }
    return true;
}

bool CRunnerCommandLine::ParseFormat(const QString& text)
{
    static const QStringList kFormats{u"tsv"_qs, u"csv"_qs, u"json"_qs, u"ndjson"_qs,
                                      u"markdown"_qs};
    if (!kFormats.contains(text)) {
        return Fail(QStringLiteral("--format needs one of %1.").arg(kFormats.join(u", ")));
    }
    format = *ResultFormatNamed(text);
    return true;
}

bool CRunnerCommandLine::Parse(const QStringList& arguments)
{
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        // --user, --password and --timeout belong to the --dsn before them, if any.
        DataSource* last = dataSources.isEmpty() ? nullptr : &dataSources.last();
        QString value;
        bool ok = true;
        if (arg == u"--help" || arg == u"-h") {
            ok = SetCommand(Command::Help);
        } else if (arg == u"--version") {
            ok = SetCommand(Command::Version);
        } else if (arg == u"--print-document") {
            ok = SetCommand(Command::PrintDocument) && TakeValue(arguments, i, file);
        } else if (arg == u"--save-as") {
            ok = SetCommand(Command::SaveAs) && TakeValue(arguments, i, outputFile);
        } else if (arg == u"--connect") {
            ok = SetCommand(Command::Connect) && TakeValue(arguments, i, dataSource);
        } else if (arg == u"--dsn") {
            ok = TakeValue(arguments, i, value);
            dataSources.append({value, {}, {}, 30});
        } else if (arg == u"--user") {
            ok = TakeValue(arguments, i, last ? last->user : user);
        } else if (arg == u"--password") {
            ok = TakeValue(arguments, i, last ? last->password : password);
        } else if (arg == u"--timeout") {
            ok = TakeValue(arguments, i, value) &&
                 ParseTimeOut(value, last ? last->timeOut : timeOut);
        } else if (arg == u"--separator") {
            ok = TakeValue(arguments, i, separator);
        } else if (arg == u"--no-separator") {
            noSeparator = true;
        } else if (arg == u"--ignore-info") {
            ignoreInfo = true;
        } else if (arg == u"--reconnect") {
            reconnect = true;
        } else if (arg == u"--result-memory-limit") {
            ok = TakeValue(arguments, i, value) && ParseMemoryLimit(value);
        } else if (arg == u"--jobs") {
            ok = TakeValue(arguments, i, value) && ParseJobs(value);
        } else if (arg == u"--compare") {
            compare = true;
        } else if (arg == u"--key") {
            ok = TakeValue(arguments, i, value) && ParseKeys(value);
        } else if (arg == u"--format") {
            ok = TakeValue(arguments, i, value) && ParseFormat(value);
        } else if (arg == u"--output") {
            ok = TakeValue(arguments, i, resultsFile);
        } else if (arg == u"--progress") {
            progress = true;
        } else if (arg == u"--timing") {
            timing = true;
        } else if (arg == u"--no-history") {
            noHistory = true;
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            return Fail(QStringLiteral("Unknown option %1.").arg(arg));
        } else {
            positional << arg;
        }
        if (!ok) {
            return false;
        }
    }
    return Finish(positional);
}

bool CRunnerCommandLine::Finish(const QStringList& positional)
{
    if (m_command == Command::None && !positional.isEmpty()) {
        m_command = Command::Run;
    }
    const bool runOptions = !separator.isNull() || noSeparator || ignoreInfo || reconnect ||
                            progress || timing || resultMemoryLimitMB != 0 || jobs != 0 ||
                            format != ResultFormat::Tsv || !resultsFile.isNull();
    if (!keyColumns.isEmpty() && !compare) {
        return Fail(QStringLiteral("--key goes with --compare."));
    }
    // Help and the version are given whatever else the line holds.
    const bool informs = m_command == Command::Help || m_command == Command::Version;
    if ((runOptions || compare) && m_command != Command::Run && !informs) {
        return Fail(QStringLiteral("--separator, --no-separator, --ignore-info, --reconnect, "
                                   "--result-memory-limit, --jobs, --progress, --timing, "
                                   "--format, --output and --compare go with a document to run."));
    }
    // A saved copy may get connections of its own.
    const bool takesDataSources = m_command == Command::Run || m_command == Command::SaveAs;
    if (!dataSources.isEmpty() && !takesDataSources && !informs) {
        return Fail(QStringLiteral("--dsn goes with a document to run or to save."));
    }
    switch (m_command) {
    case Command::Help:
    case Command::Version:
        return true;
    case Command::None:
        return Fail(QStringLiteral("No document or command given."));
    case Command::PrintDocument:
    case Command::Connect:
        if (!positional.isEmpty()) {
            return Fail(QStringLiteral("Unexpected argument %1.").arg(positional.first()));
        }
        return true;
    case Command::SaveAs:
    case Command::Run:
        if (positional.size() != 1) {
            return Fail(QStringLiteral("Exactly one document is needed."));
        }
        file = positional.first();
        return true;
    }
    return false;
}

bool CRunnerCommandLine::ReadPasswords(QIODevice& input)
{
    // The password before any --dsn comes first on the command line.
    QList<QString*> wanted = {&password};
    for (DataSource& source : dataSources) {
        wanted << &source.password;
    }
    for (QString* value : wanted) {
        if (*value != u"-") {
            continue;
        }
        // Waits for the line; only the end of the input gives nothing, an empty line is "\n".
        QByteArray line = input.readLine();
        if (line.isEmpty()) {
            return Fail(QStringLiteral("--password - needs a line on standard input."));
        }
        while (line.endsWith('\n') || line.endsWith('\r')) {
            line.chop(1);
        }
        *value = QString::fromUtf8(line);
    }
    return true;
}

const QList<CRunnerCommandLine::Option>& CRunnerCommandLine::Options()
{
    // One row an option, in the order --help lists them; the parser above takes each by name.
    static const QList<Option> options = {
        {u"FILE"_qs,
         {},
         u"the document to run: a .tsl file, or bare SQL run on the --dsn sources"_qs},
        {u"--dsn"_qs, u"NAME"_qs,
         u"also run on NAME; the --user, --password, --timeout after it go with it"_qs},
        {u"--user"_qs, u"USER"_qs, u"the login for --connect or the --dsn before it"_qs},
        {u"--password"_qs, u"PASSWORD"_qs,
         u"its password (alone: for entries without one); - reads a line of stdin"_qs},
        {u"--timeout"_qs, u"SECONDS"_qs, u"the connect time-out (30 unless given)"_qs},
        {u"--jobs"_qs, u"N"_qs, u"at most N connections query at once (0, the default: all)"_qs},
        {u"--separator"_qs, u"SEP"_qs,
         u"cut the SQL into batches at SEP instead of the setting"_qs},
        {u"--no-separator"_qs, {}, u"run the SQL as one batch"_qs},
        {u"--ignore-info"_qs,
         {},
         u"leave out information messages (row counts and errors stay)"_qs},
        {u"--reconnect"_qs, {}, u"no kept connections: every entry connects on its own"_qs},
        {u"--result-memory-limit"_qs, u"MB"_qs, u"stop fetching when the results hold MB"_qs},
        {u"--progress"_qs, {}, u"progress lines on standard error also when it is no terminal"_qs},
        {u"--timing"_qs,
         {},
         u"a last line on standard error with the clock of intake and output"_qs},
        {u"--format"_qs, u"FORMAT"_qs,
         u"tsv (the result list, default), csv, json, ndjson or markdown"_qs},
        {u"--output"_qs, u"OUT"_qs,
         u"write the results to OUT, whole or not at all, not to stdout"_qs},
        {u"--compare"_qs,
         {},
         u"print how the connections' result sets differ, not the rows (3: differ)"_qs},
        {u"--key"_qs, u"COLUMNS"_qs,
         u"with --compare: match rows by these columns, not whole rows"_qs},
        {u"--no-history"_qs,
         {},
         u"leave the run out of the history of runs (in the data folder)"_qs},
        {u"--print-document"_qs, u"FILE"_qs, u"print FILE's connections and SQL"_qs},
        {u"--save-as"_qs, u"OUT"_qs, u"save the document FILE as OUT (.tsl or bare SQL)"_qs},
        {u"--connect"_qs, u"DSN"_qs, u"try a connection to data source DSN"_qs},
        {u"--version"_qs, {}, u"print the version"_qs},
        {u"--help"_qs, {}, u"print this help (also -h)"_qs},
    };
    return options;
}

QString CRunnerCommandLine::Usage()
{
    QString text = QStringLiteral(
        "Usage:\n"
        "  tessella-run [OPTION]... FILE\n"
        "      Runs FILE's SQL on its enabled connections and on the --dsn sources.\n"
        "  tessella-run --print-document FILE\n"
        "  tessella-run --save-as OUT FILE [--dsn NAME [--user U] [--password P]]...\n"
        "  tessella-run --connect DSN [--user U] [--password P] [--timeout S]\n"
        "  tessella-run --help | --version\n"
        "\n"
        "Options:\n");
    qsizetype width = 0;
    for (const Option& option : Options()) {
        width = std::max(width, option.Synopsis().size());
    }
    for (const Option& option : Options()) {
        text += QStringLiteral("  %1  %2\n").arg(option.Synopsis(), -int(width)).arg(option.help);
    }
    return text;
}

QString CRunnerCommandLine::VersionText()
{
    return QStringLiteral("tessella-run " TESSELLA_VERSION "\n");
}

QString CRunnerCommandLine::Option::Synopsis() const
{
    return value.isEmpty() ? name : name + u' ' + value;
}
