# Checks what the Debian package asks for beside the program, and that the
# launcher names the class of the program's windows:
# cmake -DBINARY_DIR=path/to/build -DSOURCE_DIR=path/to/source -DAPP_ID=id -P package_test.cmake
include(${BINARY_DIR}/CPackConfig.cmake)
# Without a speech engine 読み上げ stays disabled: the package recommends one.
if(NOT CPACK_DEBIAN_PACKAGE_RECOMMENDS MATCHES "(^|, )qt6-speech-flite-plugin(,|$)")
    message(SEND_ERROR "Recommends [${CPACK_DEBIAN_PACKAGE_RECOMMENDS}] lacks the speech engine")
endif()

# Qt gives every window the application's name as its X11 class.
file(STRINGS ${SOURCE_DIR}/res/dialog_templates.h app_name_line REGEX "kAppName = \"")
string(REGEX REPLACE ".*kAppName = \"([^\"]*)\".*" "\\1" app_name "${app_name_line}")
file(STRINGS ${BINARY_DIR}/packaging/${APP_ID}.desktop wm_class REGEX "^StartupWMClass=")
if(NOT app_name OR NOT wm_class STREQUAL "StartupWMClass=${app_name}")
    message(SEND_ERROR "launcher has [${wm_class}], the windows' class is [${app_name}]")
endif()

# The launcher's action looks up the selection in the user's data folder,
# where the launcher's own program runs.
file(READ ${BINARY_DIR}/packaging/${APP_ID}.desktop launcher)
if(NOT launcher MATCHES "\nActions=lookup-selection;\n" OR
   NOT launcher MATCHES "\n\\[Desktop Action lookup-selection\\]\n(.*\n)?Name\\[ja\\]=選択した語を引く\n"
   OR NOT launcher MATCHES "\nExec=pelmio --user-data --lookup-selection\n")
    message(SEND_ERROR "the launcher lacks its action to look up the selection")
endif()

# The manual page covers what a user meets: the options and their file, the
# keys, the buttons, the command line and the files.
file(READ ${BINARY_DIR}/packaging/pelmio.1 manual)
foreach(needed "\\-\\-user\\-data" "\\-\\-folder" "pelmio\\-options.txt" "Space" "読み上げ"
        "原形" "F1" "見出し語の一致を先頭に" "大文字と小文字を区別しない" "strlist.txt"
        "pelmio.inf" "settei_jyukugo.txt" "settei_tango.txt" "\\-\\-lookup\\-selection"
        "クリップボードの英語を引く" "Super+")
    string(FIND "${manual}" "${needed}" at)
    if(at EQUAL -1)
        message(SEND_ERROR "the manual page never mentions ${needed}")
    endif()
endforeach()
