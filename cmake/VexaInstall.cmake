# A self-contained folder the user can write to: the terminal keeps config.json, server.json
# and Debug.log beside its executable, so it cannot live in a system prefix.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local/opt/vexa" CACHE PATH "Install folder" FORCE)
endif()

set(vexa_programs Quillon)
foreach(program vexa-exchange vexa-profile)
  if(TARGET ${program})
    list(APPEND vexa_programs ${program})
  endif()
endforeach()
install(TARGETS ${vexa_programs} RUNTIME DESTINATION .)

# The entry names the final folder, which is only known once --prefix is applied.
set(vexa_desktop_in "${CMAKE_SOURCE_DIR}/packaging/vexa.desktop.in")
install(CODE "
  set(VEXA_INSTALL_DIR \"\${CMAKE_INSTALL_PREFIX}\")
  set(lTarget \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/vexa.desktop\")
  message(STATUS \"Installing: \${lTarget}\")
  configure_file(\"${vexa_desktop_in}\" \"\${lTarget}\" @ONLY)
")
install(FILES packaging/icons/vexa.svg
        DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES packaging/icons/vexa-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME vexa.png)
endforeach()
