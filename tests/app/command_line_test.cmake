# Runs the built program with command lines that must end before any window
# opens: cmake -DPROGRAM=path/to/pelmio -DVERSION=2.80 -P command_line_test.cmake
# No display is given, so a program that wrongly went on to open a window
# would fail at once instead of waiting for a user.
set(ENV{QT_QPA_PLATFORM} xcb)
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})

set(failures 0)
function(expect_run)
    cmake_parse_arguments(RUN "" "STATUS;STDOUT;STDOUT_MATCHES;STDOUT_LACKS;STDERR_MATCHES" "ARGS" ${ARGN})
    execute_process(COMMAND ${PROGRAM} ${RUN_ARGS}
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err
                    TIMEOUT 20)
    set(problems "")
    if(NOT status STREQUAL RUN_STATUS)
        string(APPEND problems " exit status ${status}, expected ${RUN_STATUS};")
    endif()
    if(DEFINED RUN_STDOUT AND NOT out STREQUAL RUN_STDOUT)
        string(APPEND problems " stdout [${out}], expected [${RUN_STDOUT}];")
    endif()
    if(DEFINED RUN_STDOUT_MATCHES AND NOT out MATCHES "${RUN_STDOUT_MATCHES}")
        string(APPEND problems " stdout [${out}] does not match ${RUN_STDOUT_MATCHES};")
    endif()
    if(DEFINED RUN_STDOUT_LACKS AND out MATCHES "${RUN_STDOUT_LACKS}")
        string(APPEND problems " stdout [${out}] matches ${RUN_STDOUT_LACKS};")
    endif()
    if(DEFINED RUN_STDERR_MATCHES AND NOT err MATCHES "${RUN_STDERR_MATCHES}")
        string(APPEND problems " stderr [${err}] does not match ${RUN_STDERR_MATCHES};")
    endif()
    if(NOT DEFINED RUN_STDERR_MATCHES AND NOT err STREQUAL "")
        string(APPEND problems " unexpected stderr [${err}];")
    endif()
    if(problems)
        message(SEND_ERROR "pelmio ${RUN_ARGS}:${problems}")
    else()
        message(STATUS "pelmio ${RUN_ARGS}: as expected")
    endif()
endfunction()

expect_run(ARGS --version STATUS 0 STDOUT "Pelmio ${VERSION}\n")
expect_run(ARGS -v STATUS 0 STDOUT "Pelmio ${VERSION}\n")
expect_run(ARGS --help STATUS 0 STDOUT_MATCHES "^Usage: [^\n]*pelmio \\[options\\]\n.*--version.*--user-data")
expect_run(ARGS -h STATUS 0 STDOUT_MATCHES "--user-data")
# Qt's own options are not in the usage.
expect_run(ARGS --help STATUS 0 STDOUT_LACKS "platform|stylesheet|widgetcount|help-all")
# ... but accepted and left to Qt.
expect_run(ARGS -platform offscreen -reverse --version STATUS 0 STDOUT "Pelmio ${VERSION}\n")
expect_run(ARGS --frobnicate STATUS 2 STDOUT "" STDERR_MATCHES "frobnicate.*--help")
expect_run(ARGS --user-data --bogus=1 STATUS 2 STDOUT "" STDERR_MATCHES "bogus")
expect_run(ARGS --help STATUS 0 STDOUT_MATCHES "--lookup <TEXT>.*--lookup-selection")
expect_run(ARGS --lookup take --lookup-selection STATUS 2 STDOUT "" STDERR_MATCHES "two texts")
expect_run(ARGS --lookup STATUS 2 STDOUT "" STDERR_MATCHES "lookup")
expect_run(ARGS somefile.txt STATUS 2 STDOUT "" STDERR_MATCHES "somefile.txt")
# --folder names one existing folder, and only one folder is named.
expect_run(ARGS --help STATUS 0 STDOUT_MATCHES "--folder <DIR>")
expect_run(ARGS --folder /nonexistent/pelmio STATUS 2 STDOUT "" STDERR_MATCHES "/nonexistent/pelmio.*not a folder")
expect_run(ARGS --folder / --user-data STATUS 2 STDOUT "" STDERR_MATCHES "--folder and --user-data")
expect_run(ARGS --folder STATUS 2 STDOUT "" STDERR_MATCHES "folder")
# With no display to open a window on: one line that says so, exit 1, and
# no abort.
expect_run(ARGS STATUS 1 STDOUT "" STDERR_MATCHES "^pelmio: [^\n]*display[^\n]*\n$")
