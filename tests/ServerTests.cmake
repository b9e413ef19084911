# Real PostgreSQL and MariaDB servers for tests, started once per ctest run by
# scripts/test-servers.sh and stopped when the last test needing them is done.
#
# The state folder is one per build tree, under /tmp: two build trees (or two
# developers) testing at once must not stop each other's servers, and the
# postgres user must be able to reach it, which a home folder may not allow.
string(SHA1 _tessella_build_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${_tessella_build_hash}" 0 10 _tessella_build_hash)
set(TESSELLA_TEST_SERVERS_DIR "/tmp/tessella-test-servers-${_tessella_build_hash}"
    CACHE PATH "State folder of the test database servers (ports, PIDs, servers.env)")

set(_tessella_servers_script "${PROJECT_SOURCE_DIR}/scripts/test-servers.sh")

add_test(NAME test_servers_start COMMAND bash "${_tessella_servers_script}" start)
add_test(NAME test_servers_stop COMMAND bash "${_tessella_servers_script}" stop)
set_tests_properties(test_servers_start PROPERTIES
    FIXTURES_SETUP DatabaseServers
    TIMEOUT 180
    ENVIRONMENT "TESSELLA_SERVERS_DIR=${TESSELLA_TEST_SERVERS_DIR}")
set_tests_properties(test_servers_stop PROPERTIES
    FIXTURES_CLEANUP DatabaseServers
    TIMEOUT 120
    ENVIRONMENT "TESSELLA_SERVERS_DIR=${TESSELLA_TEST_SERVERS_DIR}")

# tessella_require_servers(<target> [gtest_discover_tests arguments...])
#
# Use instead of gtest_discover_tests for a GoogleTest executable whose tests
# talk to the servers: every discovered test requires the DatabaseServers
# fixture and finds TESSELLA_SERVERS_DIR in its environment (read by
# ServerDataSources). Further arguments go to gtest_discover_tests as they are,
# PROPERTIES included.
function(tessella_require_servers target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PROPERTIES")
    # ENVIRONMENT_MODIFICATION, so that a caller's own ENVIRONMENT property
    # does not replace the state folder (nor the other way round).
    gtest_discover_tests(${target} ${arg_UNPARSED_ARGUMENTS}
        PROPERTIES
            ${arg_PROPERTIES}
            FIXTURES_REQUIRED DatabaseServers
            ENVIRONMENT_MODIFICATION "TESSELLA_SERVERS_DIR=set:${TESSELLA_TEST_SERVERS_DIR}")
endfunction()
