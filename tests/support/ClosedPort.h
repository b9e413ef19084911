#pragma once

// A loopback TCP port that refuses every connect: bound, so that nothing else
// can take it while the object lives, but not listening.
class ClosedPort
{
public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    // 0 when the socket could not be opened.
    int Port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};
