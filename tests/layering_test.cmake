# Checks which folders each folder's sources include, as CONTRIBUTING.md
# lays them out: cmake -DSOURCE_DIR=path/to/pelmio -P layering_test.cmake
#  - the core (base dict search history pron settings lookup), desktop/ and
#    res/ include no Qt, no ui/ and no app/;
#  - the windows (ui/) include from the core only lookup/, and the codec:
#    base/cp932.h, in ui/codec.cpp alone;
#  - the texts the user sees are in res/: no code of ui/ or app/ holds a
#    character beyond ASCII outside a comment.
cmake_policy(SET CMP0057 NEW)  # IN_LIST
set(core base dict search history pron settings lookup)
set(failures "")

function(check_folder folder allowed)
    file(GLOB sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp
         ${SOURCE_DIR}/${folder}/*.inc)
    foreach(source ${sources})
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
        file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
        foreach(line ${includes})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" header
                   "${line}")
            set(bad "")
            if(header MATCHES "^Q[A-Za-z]*$|^Qt[A-Za-z]*/")
                if(folder IN_LIST core OR folder STREQUAL desktop OR folder STREQUAL res)
                    set(bad "Qt")
                endif()
            elseif(line MATCHES "\"" AND header MATCHES "^([a-z]+)/")
                set(top ${CMAKE_MATCH_1})
                if(NOT top IN_LIST allowed AND NOT top STREQUAL folder)
                    set(bad "${top}/")
                endif()
                if(folder STREQUAL ui AND header STREQUAL "base/cp932.h"
                   AND name STREQUAL "ui/codec.cpp")
                    set(bad "")
                endif()
            endif()
            if(bad)
                list(APPEND failures "${name} includes ${header}")
            endif()
        endforeach()
    endforeach()
    set(failures ${failures} PARENT_SCOPE)
endfunction()

# Within the core the layers run one way; that order is the linker's to
# check. Here: nothing of the desktop, the windows or the program.
foreach(folder ${core})
    check_folder(${folder} "${core}")
endforeach()
check_folder(desktop "${core}")
check_folder(res "")
check_folder(ui "lookup;res;desktop")

foreach(folder ui app)
    file(GLOB sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    foreach(source ${sources})
        # Any byte but a tab and printable ASCII.
        file(STRINGS ${source} lines ENCODING UTF-8 REGEX "[^\t -~]")
        file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
        foreach(line ${lines})
            string(REGEX REPLACE "//.*" "" code "${line}")
            if(code MATCHES "[^\t -~]")
                string(STRIP "${code}" code)
                string(REPLACE ";" "," code "${code}")
                list(APPEND failures "${name} holds a text: ${code}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "Includes across the layers:\n  ${text}")
endif()
