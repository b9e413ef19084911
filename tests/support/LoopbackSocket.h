#pragma once

// A TCP socket bound to a free port of 127.0.0.1; -1 on failure. Sets `port`.
int BindLoopbackSocket(int& port);
