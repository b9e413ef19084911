#include "SilentServer.h"

#include "LoopbackSocket.h"

#include <sys/socket.h>
#include <unistd.h>

SilentServer::SilentServer()
{
    int port = 0;
    m_socket = BindLoopbackSocket(port);
    // A backlog for a few connects: each waits in it, connected and unanswered.
    if (m_socket >= 0 && listen(m_socket, 16) == 0) {
        m_port = port;
    }
}

SilentServer::~SilentServer()
{
    if (m_socket >= 0) {
        close(m_socket);
    }
}
