# Writes the menu entry with the installed binary's full path in its Exec line, then installs it.
# Run by `cmake --install`: VEMRA_APP_ID, entry_template and entry are set before; file(INSTALL)
# adds DESTDIR itself.
cmake_path(ABSOLUTE_PATH CMAKE_INSTALL_PREFIX NORMALIZE OUTPUT_VARIABLE prefix)
cmake_path(APPEND prefix bin vemra OUTPUT_VARIABLE program)
set(VEMRA_EXEC "${program}")
# A path with characters the Exec line reserves is quoted (\ " ` $ escaped, % doubled), then
# escaped as a desktop entry string, where every \ is doubled.
if(program MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`%[]")
  string(REPLACE "\\" "\\\\" quoted "${program}")
  string(REPLACE "\"" "\\\"" quoted "${quoted}")
  string(REPLACE "`" "\\`" quoted "${quoted}")
  string(REPLACE "$" "\\$" quoted "${quoted}")
  string(REPLACE "%" "%%" quoted "${quoted}")
  string(REPLACE "\\" "\\\\" quoted "${quoted}")
  set(VEMRA_EXEC "\"${quoted}\"")
endif()
configure_file("${entry_template}" "${entry}" @ONLY)
file(INSTALL "${entry}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")
