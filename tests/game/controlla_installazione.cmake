# Installs the build into a fresh prefix and checks that it is laid out like
# a Linux application: the program beside its content, a link in bin that
# reaches it, the menu entry and the icon.
# cmake -DBUILD_DIR=... -DPREFIX=... -P controlla_installazione.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE esito OUTPUT_QUIET)
if(NOT esito EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${esito}")
endif()

foreach(voce
        lib/ambrelia/ambrelia
        lib/ambrelia/suoni/no.wav
        share/applications/ambrelia.desktop
        share/icons/hicolor/scalable/apps/ambrelia.svg)
    if(NOT EXISTS "${PREFIX}/${voce}")
        message(FATAL_ERROR "missing after install: ${voce}")
    endif()
endforeach()
if(NOT IS_DIRECTORY "${PREFIX}/lib/ambrelia/gif")
    message(FATAL_ERROR "missing after install: lib/ambrelia/gif/")
endif()

if(NOT IS_SYMLINK "${PREFIX}/bin/ambrelia")
    message(FATAL_ERROR "bin/ambrelia is not a symbolic link")
endif()
file(REAL_PATH "${PREFIX}/bin/ambrelia" reale)
file(REAL_PATH "${PREFIX}/lib/ambrelia/ambrelia" atteso)
if(NOT reale STREQUAL atteso)
    message(FATAL_ERROR "bin/ambrelia leads to ${reale}, not ${atteso}")
endif()

file(READ "${PREFIX}/share/applications/ambrelia.desktop" voce_menu)
foreach(riga "Name=Calvisto" "Exec=ambrelia" "Icon=ambrelia" "Categories=Education;Game;KidsGame;")
    string(FIND "${voce_menu}" "${riga}\n" trovata)
    if(trovata EQUAL -1)
        message(FATAL_ERROR "the menu entry lacks ${riga}")
    endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
