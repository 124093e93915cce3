# SPDX-License-Identifier: MIT
# Script mode: copies the headers QEL_HEADERS ("|"-separated, relative to QEL_SOURCE) to
# QEL_OUT/qel/, with the project's own includes ("toolkit/...", "visual/...", "mail/...")
# turned into "qel/..." paths.
string(REPLACE "|" ";" headers "${QEL_HEADERS}")
file(REMOVE_RECURSE ${QEL_OUT})
foreach(h IN LISTS headers)
  file(READ ${QEL_SOURCE}/${h} text)
  string(REGEX REPLACE "#include \"(toolkit|visual|mail)/" "#include \"qel/\\1/" text "${text}")
  file(WRITE ${QEL_OUT}/qel/${h} "${text}")
endforeach()
