#pragma once

// A loopback TCP port whose connects succeed but which never answers: the
// kernel completes the handshake on the listening socket, nobody accepts or
// writes. Stands for a server that hangs or a network that swallows packets.
class SilentServer
{
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    // 0 when the socket could not be opened.
    int Port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};
