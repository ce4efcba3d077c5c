# Builds install.exe from install.exe.in. The installer carries within it the seeding script,
# the launcher, the menu entry template, the icon and the names of the book's files, so the
# payload needs no files beyond the ones it is made of. It also carries the SHA-256 of every
# other payload file, and its own as its last line, so that it can tell a download cut short
# or a disk that filled up from the files that were built.
#   cmake -DTEMPLATE= -DSEED= -DLAUNCHER= -DDESKTOP= -DICON= -DBOOK_DIR= -DUNINSTALLER=
#         -DPROGRAM= -DVERSION= -DOUTPUT= -P
foreach(var TEMPLATE SEED LAUNCHER DESKTOP ICON BOOK_DIR UNINSTALLER PROGRAM VERSION OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make-installer: ${var} is not given")
  endif()
endforeach()

set(delimiter "SAVOREL_END_OF_FILE")
foreach(pair "SEED;SAVOREL_SEED_SCRIPT" "LAUNCHER;SAVOREL_LAUNCHER"
             "DESKTOP;SAVOREL_DESKTOP_TEMPLATE" "ICON;SAVOREL_ICON_SVG")
  list(GET pair 0 input)
  list(GET pair 1 name)
  file(READ "${${input}}" content)
  # Each file travels in a quoted here-document, which its own text must not end early.
  if(content MATCHES "(^|\n)${delimiter}(\n|$)")
    message(FATAL_ERROR "make-installer: ${${input}} contains the line ${delimiter}")
  endif()
  if(NOT content MATCHES "\n$")
    string(APPEND content "\n")
  endif()
  set(${name} "${content}")
endforeach()

file(GLOB book RELATIVE "${BOOK_DIR}" "${BOOK_DIR}/*")
list(SORT book CASE INSENSITIVE)
set(SAVOREL_BOOK_FILES "")
set(SAVOREL_CHECKSUMS "")
foreach(name ${book})
  if(IS_DIRECTORY "${BOOK_DIR}/${name}")
    continue()
  endif()
  if(NOT name MATCHES "^[A-Za-z0-9][A-Za-z0-9._+-]*$")
    message(FATAL_ERROR "make-installer: the book file name '${name}' cannot travel in the payload")
  endif()
  string(APPEND SAVOREL_BOOK_FILES " ${name}")
  file(SHA256 "${BOOK_DIR}/${name}" sum)
  string(APPEND SAVOREL_CHECKSUMS "${sum}  book/${name}\n")
endforeach()
# The two programs, under the names they have in the payload (their own).
foreach(carried "${UNINSTALLER}" "${PROGRAM}")
  get_filename_component(name "${carried}" NAME)
  file(SHA256 "${carried}" sum)
  string(APPEND SAVOREL_CHECKSUMS "${sum}  ${name}\n")
endforeach()
if(SAVOREL_BOOK_FILES STREQUAL "")
  message(FATAL_ERROR "make-installer: ${BOOK_DIR} holds no book files")
endif()
string(STRIP "${SAVOREL_BOOK_FILES}" SAVOREL_BOOK_FILES)
set(SAVOREL_VERSION "${VERSION}")

configure_file("${TEMPLATE}" "${OUTPUT}.new" @ONLY)
file(SHA256 "${OUTPUT}.new" seal)
file(APPEND "${OUTPUT}.new" "# seal ${seal}\n")
file(CHMOD "${OUTPUT}.new" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
