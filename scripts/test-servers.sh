#!/usr/bin/env bash
# Private PostgreSQL and MariaDB servers for the test suite, on 127.0.0.1 only.
#
#   scripts/test-servers.sh start   initialise and start both (nothing if they already run)
#   scripts/test-servers.sh stop    stop both and remove the state folder
#   scripts/test-servers.sh env     print the connection settings (KEY=value lines)
#   scripts/test-servers.sh mariadb-instance start|stop FOLDER [PORT]
#                                   a MariaDB server of one test's own, in FOLDER:
#                                   initialised on the first start, on PORT (or a
#                                   free one; FOLDER/mariadb.port names it); stop
#                                   keeps its data for another start. For tests
#                                   that stop a server, which the shared ones must
#                                   never be.
#
# State folder: $TESSELLA_SERVERS_DIR, default /tmp/tessella-test-servers. Its file
# servers.env is written last, so its presence means both servers accept logins.
# Neither server's Debian service is used: no systemd on CI, and a developer's own
# databases stay untouched.
set -euo pipefail

STATE_DIR="${TESSELLA_SERVERS_DIR:-/tmp/tessella-test-servers}"
TEST_USER=tessella
TEST_PASSWORD=tessella-pw
TEST_DATABASE=tessella
# A second login whose name and password hold the characters of connection-string syntax, for the
# tests that connect with such values. Neither holds a quote or a backslash: both stand in SQL
# literals below.
ODD_USER='odd;login}=x{'
ODD_PASSWORD='odd;pw}x=y{z'
START_TIMEOUT=60

PG_BIN=""
for version in 15 16 17; do
    if [[ -x /usr/lib/postgresql/$version/bin/pg_ctl ]]; then
        PG_BIN=/usr/lib/postgresql/$version/bin
        break
    fi
done

die() {
    echo "test-servers: $*" >&2
    exit 1
}

# Shows the end of a server's log, the only place that says why it did not start.
show_log() {
    local log="$1"
    if [[ -f "$log" ]]; then
        echo "--- last lines of $log ---" >&2
        tail -n 25 "$log" >&2
        echo "---" >&2
    fi
}

# True when the process lives and is the named program, so that a PID reused by
# something else after a reboot or crash is never signalled.
process_is() {
    local pid="$1" name="$2"
    local stat
    [[ -n "$pid" ]] || return 1
    stat=$(cat "/proc/$pid/stat" 2>/dev/null) || return 1
    # "pid (comm) state ...": a zombie has ended, whether reaped yet or not.
    [[ "$stat" == "$pid ($name) "* && "$stat" != "$pid ($name) Z"* ]]
}

read_file() {
    if [[ -f "$1" ]]; then cat "$1"; fi
}

port_in_use() {
    local port="$1"
    if command -v ss >/dev/null && [[ -n "$(ss -Hltn "sport = :$port" 2>/dev/null)" ]]; then
        return 0
    fi
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null
}

# A random port that nothing listens on now; two starts racing for it are
# caught by the servers' own bind failing, and the caller tries another.
free_port() {
    local port
    for _ in $(seq 50); do
        port=$((20000 + RANDOM % 30000))
        if ! port_in_use "$port"; then
            echo "$port"
            return 0
        fi
    done
    die "no free port found between 20000 and 50000"
}

# PostgreSQL refuses to run as root, so as root it runs as the postgres user;
# anyone else runs it as themselves. The working folder must be one that user
# may enter, or its tools complain before doing anything. The server must not
# inherit the lock (fd 9), or it would hold it for as long as it runs.
as_pg() {
    if [[ $(id -u) -eq 0 ]]; then
        (cd / && runuser -u postgres -- "$@" </dev/null 9>&-)
    else
        (cd / && "$@" </dev/null 9>&-)
    fi
}

pg_pid() { read_file "$STATE_DIR/pg.pid"; }
mariadb_pid() { read_file "$STATE_DIR/mariadb.pid"; }

pg_running() { process_is "$(pg_pid)" postgres; }
mariadb_running() { process_is "$(mariadb_pid)" mariadbd; }

# --- PostgreSQL -------------------------------------------------------------

init_postgres() {
    local root="$STATE_DIR/pg"
    mkdir -p "$root"
    if [[ $(id -u) -eq 0 ]]; then
        chown postgres: "$root"
    fi
    chmod 700 "$root"
    if ! as_pg test -w "$root"; then
        die "the postgres user cannot reach $root: every parent folder of $STATE_DIR must be traversable (chmod o+x), or set TESSELLA_SERVERS_DIR elsewhere"
    fi
    mkdir -p "$root/socket"
    if [[ $(id -u) -eq 0 ]]; then
        chown postgres: "$root/socket"
    fi
    # Password logins over TCP, so that a wrong password really fails; the
    # socket in the private folder trusts its owner for the set-up below.
    if ! as_pg "$PG_BIN/initdb" -D "$root/data" -U postgres -E UTF8 --locale=C.UTF-8 \
        --auth-local=trust --auth-host=scram-sha-256 >"$STATE_DIR/pg-initdb.log" 2>&1; then
        show_log "$STATE_DIR/pg-initdb.log"
        die "initdb failed"
    fi
}

start_postgres() {
    local root="$STATE_DIR/pg" port attempt
    for attempt in 1 2 3; do
        port=$(free_port)
        # Durability is of no use to throw-away test data and costs time. 300 connections: a
        # document of 200 entries connects all at once while other tests hold theirs. A slot
        # costs about 50 kB of shared memory (5 MB for the 100 more), a live session about
        # 1.5 MB: 200 at once add some 300 MB while they last.
        if as_pg "$PG_BIN/pg_ctl" -D "$root/data" -l "$root/server.log" -w -t "$START_TIMEOUT" \
            -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$root/socket -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=300" \
            start >/dev/null; then
            break
        fi
        if ((attempt == 3)) || ! grep -q "could not bind" "$root/server.log" 2>/dev/null; then
            show_log "$root/server.log"
            die "PostgreSQL did not start"
        fi
    done
    head -n 1 "$root/data/postmaster.pid" >"$STATE_DIR/pg.pid"
    echo "$port" >"$STATE_DIR/pg.port"
    if ! PGOPTIONS='' "$PG_BIN/psql" -X -q -v ON_ERROR_STOP=1 -h "$root/socket" -p "$port" \
        -U postgres -d postgres \
        -c "CREATE ROLE $TEST_USER LOGIN CREATEDB PASSWORD '$TEST_PASSWORD'" \
        -c "CREATE DATABASE $TEST_DATABASE OWNER $TEST_USER" \
        -c "CREATE ROLE \"$ODD_USER\" LOGIN PASSWORD '$ODD_PASSWORD'" >"$STATE_DIR/pg-setup.log" 2>&1; then
        show_log "$STATE_DIR/pg-setup.log"
        die "PostgreSQL started, but its test user could not be created"
    fi
}

stop_postgres() {
    local pid
    pid=$(pg_pid)
    if process_is "$pid" postgres; then
        as_pg "$PG_BIN/pg_ctl" -D "$STATE_DIR/pg/data" -m fast -w -t 30 stop >/dev/null 2>&1 ||
            kill -TERM "$pid" 2>/dev/null || true
        wait_for_exit "$pid" postgres
    fi
}

# --- MariaDB ----------------------------------------------------------------

mariadb_admin() {
    mariadb-admin --no-defaults --protocol=socket --socket="$STATE_DIR/mariadb.sock" \
        -uroot --connect-timeout=2 "$@"
}

mariadb_run_as() {
    if [[ $(id -u) -eq 0 ]]; then
        echo --user=root
    fi
}

init_mariadb() {
    local root="$STATE_DIR/mariadb"
    local run_as=()
    mapfile -t run_as < <(mariadb_run_as)
    mkdir -p "$root"
    # root without a password, reachable only through the socket in the private
    # folder: works alike for root and for a developer's own account.
    if ! mariadb-install-db --no-defaults "${run_as[@]}" --datadir="$root/data" \
        --auth-root-authentication-method=normal --skip-test-db \
        >"$STATE_DIR/mariadb-install.log" 2>&1; then
        show_log "$STATE_DIR/mariadb-install.log"
        die "mariadb-install-db failed"
    fi
}

# With a port given, only that port: a restarted instance must be found where
# its data sources point.
start_mariadb() {
    local fixed_port="${1:-}"
    local root="$STATE_DIR/mariadb" log="$STATE_DIR/mariadb.log" port attempt pid waited
    local run_as=()
    mapfile -t run_as < <(mariadb_run_as)
    for attempt in 1 2 3; do
        port=${fixed_port:-$(free_port)}
        : >"$log"
        # Started detached, its output in the log: the ctest fixture waits for
        # every process that still holds its output pipe. Native AIO (io_uring)
        # may be forbidden in a container, and tiny test data does not need it.
        mariadbd --no-defaults "${run_as[@]}" --datadir="$root/data" \
            --bind-address=127.0.0.1 --port="$port" --socket="$STATE_DIR/mariadb.sock" \
            --pid-file="$STATE_DIR/mariadbd.pid" --log-error="$log" \
            --character-set-server=utf8mb4 --collation-server=utf8mb4_unicode_ci \
            --innodb-flush-log-at-trx-commit=0 --innodb-buffer-pool-size=64M \
            --innodb-use-native-aio=0 --innodb-buffer-pool-dump-at-shutdown=0 \
            --innodb-buffer-pool-load-at-startup=0 --max-connections=200 --skip-name-resolve \
            </dev/null >>"$log" 2>&1 9>&- &
        pid=$!
        echo "$pid" >"$STATE_DIR/mariadb.pid"
        waited=0
        while ! mariadb_admin ping >/dev/null 2>&1; do
            if ! kill -0 "$pid" 2>/dev/null || ((waited >= START_TIMEOUT * 10)); then
                break
            fi
            sleep 0.1
            waited=$((waited + 1))
        done
        if mariadb_admin ping >/dev/null 2>&1; then
            break
        fi
        kill -TERM "$pid" 2>/dev/null || true
        wait_for_exit "$pid" mariadbd
        if ((attempt == 3)) || [[ -n "$fixed_port" ]] ||
            ! grep -qi "Address already in use\|Can't start server: Bind" "$log"; then
            show_log "$log"
            die "MariaDB did not start"
        fi
    done
    echo "$port" >"$STATE_DIR/mariadb.port"
}

setup_mariadb() {
    # With --skip-name-resolve a TCP login matches only the @127.0.0.1 account,
    # a socket login only @localhost: both exist so that either way works.
    # Databases named tessella_... are the tests' own too, for tests that want
    # a database to themselves.
    if ! mariadb --no-defaults --protocol=socket --socket="$STATE_DIR/mariadb.sock" -uroot \
        >"$STATE_DIR/mariadb-setup.log" 2>&1 <<SQL; then
CREATE DATABASE $TEST_DATABASE CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci;
CREATE USER '$TEST_USER'@'127.0.0.1' IDENTIFIED BY '$TEST_PASSWORD';
CREATE USER '$TEST_USER'@'localhost' IDENTIFIED BY '$TEST_PASSWORD';
GRANT ALL PRIVILEGES ON \`$TEST_DATABASE\`.* TO '$TEST_USER'@'127.0.0.1', '$TEST_USER'@'localhost';
GRANT ALL PRIVILEGES ON \`${TEST_DATABASE}\\_%\`.* TO '$TEST_USER'@'127.0.0.1', '$TEST_USER'@'localhost';
CREATE USER '$ODD_USER'@'127.0.0.1' IDENTIFIED BY '$ODD_PASSWORD';
GRANT SELECT ON \`$TEST_DATABASE\`.* TO '$ODD_USER'@'127.0.0.1';
SQL
        show_log "$STATE_DIR/mariadb-setup.log"
        die "MariaDB started, but its test user could not be created"
    fi
}

stop_mariadb() {
    local pid
    pid=$(mariadb_pid)
    if process_is "$pid" mariadbd; then
        mariadb_admin shutdown >/dev/null 2>&1 || kill -TERM "$pid" 2>/dev/null || true
        wait_for_exit "$pid" mariadbd
    fi
}

# Waits up to 30 s for a process to end, then kills it.
wait_for_exit() {
    local pid="$1" name="$2"
    for _ in $(seq 300); do
        process_is "$pid" "$name" || return 0
        sleep 0.1
    done
    echo "test-servers: $name ($pid) did not stop in time, killing it" >&2
    kill -KILL "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
        process_is "$pid" "$name" || return 0
        sleep 0.1
    done
    die "$name ($pid) survived SIGKILL"
}

# --- commands ---------------------------------------------------------------

write_env() {
    local tmp="$STATE_DIR/servers.env.tmp"
    cat >"$tmp" <<EOF
TESSELLA_PG_HOST=127.0.0.1
TESSELLA_PG_PORT=$(cat "$STATE_DIR/pg.port")
TESSELLA_PG_USER=$TEST_USER
TESSELLA_PG_PASSWORD=$TEST_PASSWORD
TESSELLA_PG_DATABASE=$TEST_DATABASE
TESSELLA_PG_SOCKET_DIR=$STATE_DIR/pg/socket
TESSELLA_MARIADB_HOST=127.0.0.1
TESSELLA_MARIADB_PORT=$(cat "$STATE_DIR/mariadb.port")
TESSELLA_MARIADB_USER=$TEST_USER
TESSELLA_MARIADB_PASSWORD=$TEST_PASSWORD
TESSELLA_MARIADB_DATABASE=$TEST_DATABASE
TESSELLA_MARIADB_SOCKET=$STATE_DIR/mariadb.sock
TESSELLA_ODD_USER=$ODD_USER
TESSELLA_ODD_PASSWORD=$ODD_PASSWORD
EOF
    mv "$tmp" "$STATE_DIR/servers.env"
}

stop_all() {
    stop_postgres
    stop_mariadb
    # Removed only when this script made it: TESSELLA_SERVERS_DIR set to a
    # folder of other files by mistake must not cost them.
    if [[ -f "$STATE_DIR/.tessella-test-servers" ]]; then
        rm -rf "$STATE_DIR"
    elif [[ -d "$STATE_DIR" ]]; then
        rmdir "$STATE_DIR" 2>/dev/null ||
            die "$STATE_DIR is not a test-servers state folder; not removing it"
    fi
}

cmd_start() {
    [[ -n "$PG_BIN" ]] || die "PostgreSQL server binaries not found (package postgresql; run make deps)"
    command -v mariadbd >/dev/null || die "mariadbd not found (package mariadb-server; run make deps)"
    if [[ $(id -u) -eq 0 ]] && ! id postgres >/dev/null 2>&1; then
        die "no postgres user to run PostgreSQL as (package postgresql; run make deps)"
    fi
    if pg_running && mariadb_running && [[ -f "$STATE_DIR/servers.env" ]]; then
        return 0
    fi
    # Leftovers of a crash or an interrupted start: begin afresh.
    stop_all
    mkdir -p "$STATE_DIR"
    chmod 755 "$STATE_DIR"
    : >"$STATE_DIR/.tessella-test-servers"
    local started=$SECONDS
    # A failed start leaves nothing running behind.
    trap 'if [[ ! -f "$STATE_DIR/servers.env" ]]; then stop_postgres; stop_mariadb; fi' EXIT
    # The two initialisations take most of the time and need nothing of each other.
    local pg_init
    init_postgres &
    pg_init=$!
    init_mariadb
    wait "$pg_init" || exit 1
    start_postgres
    start_mariadb
    setup_mariadb
    write_env
    trap - EXIT
    echo "test servers up in $((SECONDS - started)) s: PostgreSQL on 127.0.0.1:$(cat "$STATE_DIR/pg.port"), MariaDB on 127.0.0.1:$(cat "$STATE_DIR/mariadb.port") (state in $STATE_DIR)"
}

cmd_stop() {
    if [[ -d "$STATE_DIR" ]]; then
        stop_all
    fi
}

cmd_env() {
    if pg_running && mariadb_running && [[ -f "$STATE_DIR/servers.env" ]]; then
        cat "$STATE_DIR/servers.env"
    else
        die "test servers are not running (state folder $STATE_DIR)"
    fi
}

cmd_mariadb_instance() {
    local action="${1:-}" folder="${2:-}" port="${3:-}"
    if [[ -z "$folder" || ! "$action" =~ ^(start|stop)$ ]]; then
        echo "usage: $0 mariadb-instance start|stop FOLDER [PORT]" >&2
        exit 2
    fi
    command -v mariadbd >/dev/null || die "mariadbd not found (package mariadb-server; run make deps)"
    STATE_DIR=$(realpath -m "$folder")
    if [[ "$action" == stop ]]; then
        stop_mariadb
        return 0
    fi
    if mariadb_running; then
        return 0
    fi
    mkdir -p "$STATE_DIR"
    if [[ ! -f "$STATE_DIR/mariadb.ready" ]]; then
        rm -rf "$STATE_DIR/mariadb"
        init_mariadb
        trap 'stop_mariadb' EXIT
        start_mariadb "$port"
        setup_mariadb
        trap - EXIT
        : >"$STATE_DIR/mariadb.ready"
    else
        start_mariadb "$port"
    fi
}

case "${1:-}" in
mariadb-instance)
    shift
    cmd_mariadb_instance "$@"
    ;;
start | stop)
    # One start or stop at a time for a state folder. The lock file lives
    # beside the folder, which stop removes.
    # Opened for reading, so that whoever created it, any user can take it.
    mkdir -p "$(dirname "$STATE_DIR")"
    [[ -e "$STATE_DIR.lock" ]] || : >"$STATE_DIR.lock"
    exec 9<"$STATE_DIR.lock"
    flock 9
    "cmd_$1"
    ;;
env) cmd_env ;;
*)
    echo "usage: $0 start|stop|env|mariadb-instance" >&2
    exit 2
    ;;
esac
