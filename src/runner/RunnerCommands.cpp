#include "runner/RunnerCommands.h"

#include "document/CDocumentFile.h"
#include "odbc/CODBCObject.h"
#include "runner/CDocumentRun.h"

int CRunnerCommands::Execute(const CRunnerCommandLine& commandLine)
{
    switch (commandLine.GetCommand()) {
    case CRunnerCommandLine::Command::PrintDocument:
        return PrintDocument(commandLine.file);
    case CRunnerCommandLine::Command::SaveAs:
        return SaveAs(commandLine);
    case CRunnerCommandLine::Command::Connect:
        return Connect(commandLine);
    case CRunnerCommandLine::Command::Run:
        return CDocumentRun(commandLine, m_out, m_err).Execute();
    case CRunnerCommandLine::Command::Help:
        Write(CRunnerCommandLine::Usage());
        return ExitOk;
    case CRunnerCommandLine::Command::Version:
        Write(CRunnerCommandLine::VersionText());
        return ExitOk;
    case CRunnerCommandLine::Command::None:
        break;
    }
    Complain(QStringLiteral("No command given."));
    return ExitUsageOrFileError;
}

int CRunnerCommands::PrintDocument(const QString& file)
{
    CDocumentContent content;
    QString error;
    if (!CDocumentFile::Load(file, content, error)) {
        Complain(error);
        return ExitUsageOrFileError;
    }
    QString text;
    for (const CConnectionData& entry : content.connections) {
        text += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\n")
                    .arg(entry.m_dataSource, entry.m_login, entry.m_password)
                    .arg(entry.m_savePassword)
                    .arg(entry.m_timeOut)
                    .arg(entry.m_enabled);
    }
    text += u"--\n";
    text += content.sqlText;
    Write(text);
    return ExitOk;
}

int CRunnerCommands::SaveAs(const CRunnerCommandLine& commandLine)
{
    CDocumentContent content;
    QString error;
    const QString& outputFile = commandLine.outputFile;
    if (!CDocumentFile::Load(commandLine.file, content, error)) {
        Complain(error);
        return ExitUsageOrFileError;
    }
    for (const auto& source : commandLine.dataSources) {
        content.connections.append(source.ToEntry());
    }
    if (!CDocumentFile::Save(outputFile, content, error)) {
        Complain(error);
        return ExitUsageOrFileError;
    }
    return ExitOk;
}

int CRunnerCommands::Connect(const CRunnerCommandLine& commandLine)
{
    CODBCObject connection;
    QString error;
    if (!connection.ConnectNoPrompt(commandLine.dataSource, commandLine.user, commandLine.password,
                                    {}, commandLine.timeOut, false, &error)) {
        if (error.isEmpty()) {
            error = QStringLiteral("Cannot connect to %1.").arg(commandLine.dataSource);
        }
        // One diagnostic record a line, as the driver manager gave them.
        error.replace(u"\r\n"_qs, u"\n"_qs);
        fputs(error.toUtf8().constData(), m_err);
        fputc('\n', m_err);
        return ExitDatabaseError;
    }
    Write(QStringLiteral("DBMS name:\t%1\nUser name:\t%2\n")
              .arg(connection.GetDbmsName(), connection.GetUserName()));
    connection.Disconnect();
    return ExitOk;
}

void CRunnerCommands::Write(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), m_out);
    fflush(m_out);
}

void CRunnerCommands::Complain(const QString& message)
{
    QString line = message;
    line.replace(u'\n', u' ');
    fputs(line.toUtf8().constData(), m_err);
    fputc('\n', m_err);
}
