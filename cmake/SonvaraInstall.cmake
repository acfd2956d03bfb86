# `cmake --install` as a desktop program: the programs and the codec components together in
# lib/sonvara (the editor finds its components beside itself), the editor and the batch tool on the
# search path through links in bin, the desktop entry that lists the MIME types the editor opens,
# the shared MIME database's entries for those types the system lacks, and the icon.
install(TARGETS sonvara sonvara-batch sonvara-wmakx RUNTIME DESTINATION ${SONVARA_PROGRAM_DIR})
install(TARGETS sonvara-dsskx sonvara-realaudio LIBRARY DESTINATION ${SONVARA_PROGRAM_DIR})
foreach(program sonvara sonvara-batch)
    install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(MAKE_DIRECTORY \"\${bin}\")
        file(CREATE_LINK \"../${SONVARA_PROGRAM_DIR}/${program}\" \"\${bin}/${program}\" SYMBOLIC)
        message(STATUS \"Installing: \${bin}/${program}\")")
endforeach()

set(desktop ${PROJECT_SOURCE_DIR}/app/desktop)
install(FILES ${desktop}/sonvara.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop}/sonvara-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME sonvara.xml)
install(FILES ${desktop}/sonvara.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
