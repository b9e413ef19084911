#include "ClosedPort.h"

#include "LoopbackSocket.h"

#include <unistd.h>

ClosedPort::ClosedPort()
{
    int port = 0;
    m_socket = BindLoopbackSocket(port);
    if (m_socket >= 0) {
        m_port = port;
    }
}

ClosedPort::~ClosedPort()
{
    if (m_socket >= 0) {
        close(m_socket);
    }
}
