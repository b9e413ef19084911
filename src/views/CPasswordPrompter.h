#pragma once

#include "document/CConnectionDataArray.h"

#include <QHash>
#include <QString>

#include <functional>
#include <utility>

class CDlgPassword;
class QWidget;

// The passwords a run needs that the document does not hold: asked for at Run, one question per
// data source and login, and kept for the session when the user says so.
class CPasswordPrompter
{
public:
    using Login = std::pair<QString, QString>; // data source, login
    using Passwords = QHash<Login, QString>;
    // Shows the question modally; true when answered. Tests answer it themselves.
    using Asker = std::function<bool(CDlgPassword& dialog)>;

    CPasswordPrompter();

    // The passwords of the enabled entries with a login and none of their own, asking for those
    // not remembered. False when a question was cancelled: the run is not to start.
    bool Collect(const CConnectionDataArray& entries, QWidget* parent, Passwords& passwords);

    void SetAsker(Asker asker) { m_asker = std::move(asker); }
    // Forgets what "Remember for this session" kept.
    void Forget() { m_remembered.clear(); }

private:
    Asker m_asker;
    Passwords m_remembered;
};
