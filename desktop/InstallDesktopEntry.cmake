# Runs while installing: writes the desktop entry with Exec= set to the
# launcher under the prefix being installed to, and installs it.
if(IS_ABSOLUTE "${ZEMMICK_BINDIR}")
  set(bindir "${ZEMMICK_BINDIR}")
else()
  set(bindir "${CMAKE_INSTALL_PREFIX}/${ZEMMICK_BINDIR}")
endif()
if(IS_ABSOLUTE "${ZEMMICK_DATADIR}")
  set(datadir "${ZEMMICK_DATADIR}")
else()
  set(datadir "${CMAKE_INSTALL_PREFIX}/${ZEMMICK_DATADIR}")
endif()

set(ZEMMICK_LAUNCHER_PATH "${bindir}/zemmick")
# Exec= splits at blanks and gives meaning to a few characters: a path that
# holds any of them is quoted the way desktop entries quote arguments.
if(ZEMMICK_LAUNCHER_PATH MATCHES "[ \t\"'\\\\`$<>~|&;*?#()%]")
  string(REPLACE "\\" "\\\\\\\\" quoted "${ZEMMICK_LAUNCHER_PATH}")
  string(REPLACE "\"" "\\\\\"" quoted "${quoted}")
  string(REPLACE "`" "\\\\`" quoted "${quoted}")
  string(REPLACE "$" "\\\\$" quoted "${quoted}")
  string(REPLACE "%" "%%" quoted "${quoted}")
  set(ZEMMICK_LAUNCHER_EXEC "\"${quoted}\"")
else()
  set(ZEMMICK_LAUNCHER_EXEC "${ZEMMICK_LAUNCHER_PATH}")
endif()

# Installs into different prefixes may run at the same time from one build
# tree; each writes its own copy.
string(MD5 key "$ENV{DESTDIR}|${CMAKE_INSTALL_PREFIX}|${ZEMMICK_BINDIR}")
set(entry "${ZEMMICK_WORK_DIR}/${key}/${ZEMMICK_APP_ID}.desktop")
configure_file("${ZEMMICK_DESKTOP_IN}" "${entry}" @ONLY)
file(INSTALL DESTINATION "${datadir}/applications" TYPE FILE FILES "${entry}")
