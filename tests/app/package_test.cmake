# Checks what the Debian package asks for beside the program:
# cmake -DBINARY_DIR=path/to/build -P package_test.cmake
include(${BINARY_DIR}/CPackConfig.cmake)
# Without a speech engine 読み上げ stays disabled: the package recommends one.
if(NOT CPACK_DEBIAN_PACKAGE_RECOMMENDS MATCHES "(^|, )qt6-speech-flite-plugin(,|$)")
    message(SEND_ERROR "Recommends [${CPACK_DEBIAN_PACKAGE_RECOMMENDS}] lacks the speech engine")
endif()
