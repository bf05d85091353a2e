# The Debian package, made with CPack:
#   cmake --build build && (cd build && cpack -G DEB)
# gives build/ambrelia_1.00_amd64.deb, installed with `apt install ./...deb`.
# It holds what `cmake --install` puts under /usr, stripped, with the
# documentation Debian asks of every package.

# lintian warns that the private sound module in lib/ambrelia brings ldconfig
# calls (CPack adds them for any library below /usr/lib) and that the
# programs have no manual pages; it finds no errors.

# Debian's documentation: the copyright record and the changelog,
# compressed without a time stamp, as the policy wants.
set(ambrelia_changelog ${CMAKE_BINARY_DIR}/package/changelog.gz)
add_custom_command(OUTPUT ${ambrelia_changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
    COMMAND sh -c "gzip -9nc '${CMAKE_CURRENT_LIST_DIR}/changelog' > '${ambrelia_changelog}'"
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
    VERBATIM)
add_custom_target(ambrelia_package_docs ALL DEPENDS ${ambrelia_changelog})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${ambrelia_changelog}
        DESTINATION share/doc/ambrelia)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ambrelia)
# The version as the program states it (CMake would read 1.00 as 1.0).
set(CPACK_PACKAGE_VERSION 1.00)
set(CPACK_PACKAGE_VENDOR "Squadra Ambrelia")
set(CPACK_PACKAGE_CONTACT "Squadra Ambrelia <squadra@ambrelia.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://ambrelia.example.org")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Education: Debian keeps games under /usr/games, and this is a learning
# program first.
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Squadra Ambrelia <squadra@ambrelia.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gioco per bambini: storie in cinque immagini da mettere in ordine")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Calvisto è un gioco per bambini piccoli: ogni esercizio è una storia in
cinque immagini, date in disordine, che il bambino trascina nell'ordine in
cui succedono. Una risposta giusta fa partire l'animazione della storia.
.
Il pacchetto contiene otto storie e i programmi per gli insegnanti:
crea-esercizio fa un esercizio nuovo da cinque immagini, verifica-contenuti
controlla le storie prima di una lezione, swfrender mostra un filmato.")
# The libraries the programs link, worked out from the programs themselves;
# then what they load or use at run time: Qt's Wayland platform, its SVG icon
# engine, its Italian texts, and the fonts the windows are drawn in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-wayland, libqt6svg6, qt6-translations-l10n, fonts-comic-neue, fonts-liberation")
# The movies' texts are drawn in Noto where it is installed, else in Liberation.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-noto-core)

include(CPack)
