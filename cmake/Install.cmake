# Where everything goes when installed (scripts/package installs into /usr and builds the
# Debian package from that): the programs, the host and the module in a private library
# folder, the compression library with its header for other programs, the extension where
# Chromium and Firefox load it for every user, the host manifests where each browser reads
# them, the page library and the examples.
set(VELSOR_LIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}")
set(VELSOR_PRIVATE_LIBDIR "${VELSOR_LIBDIR}/velsor")
set(VELSOR_INSTALLED_HOST "${CMAKE_INSTALL_PREFIX}/${VELSOR_PRIVATE_LIBDIR}/velsor-host")

install(TARGETS velsor velsor-script velsor-regsvr RUNTIME DESTINATION bin)
install(TARGETS velsor-host RUNTIME DESTINATION ${VELSOR_PRIVATE_LIBDIR})
install(TARGETS OmbrelVelsor20_64 LIBRARY DESTINATION ${VELSOR_PRIVATE_LIBDIR})
install(TARGETS velsor_compression LIBRARY DESTINATION ${VELSOR_LIBDIR})
install(FILES src/formats/velsor_compression.h DESTINATION include)

install(DIRECTORY extension/ DESTINATION share/chromium/extensions/velsor)
install(DIRECTORY extension/
        DESTINATION "share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}/bridge@velsor")
install(DIRECTORY web/ DESTINATION share/velsor/web)
install(DIRECTORY examples/ DESTINATION share/doc/velsor/examples)

# The manifests name the installed host; `velsor bridge manifest` writes them, so that they
# are what `velsor bridge install` would write.
set(manifests ${CMAKE_BINARY_DIR}/manifests)
foreach(browser chromium chrome edge firefox)
  add_custom_command(OUTPUT ${manifests}/${browser}.json
    COMMAND ${CMAKE_COMMAND} -E make_directory ${manifests}
    COMMAND velsor bridge manifest --browser ${browser} --host ${VELSOR_INSTALLED_HOST}
            > ${manifests}/${browser}.json
    DEPENDS velsor VERBATIM)
  list(APPEND manifest_files ${manifests}/${browser}.json)
endforeach()
add_custom_target(velsor_manifests ALL DEPENDS ${manifest_files})
foreach(pair "chromium:/etc/chromium/native-messaging-hosts"
             "chrome:/etc/opt/chrome/native-messaging-hosts"
             "edge:/etc/opt/edge/native-messaging-hosts"
             "firefox:${CMAKE_INSTALL_PREFIX}/lib/mozilla/native-messaging-hosts")
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 browser)
  list(GET pair 1 folder)
  install(FILES ${manifests}/${browser}.json DESTINATION ${folder} RENAME velsor.host.json)
endforeach()
