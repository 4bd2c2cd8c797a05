# Man pages in section 1, made at build time by help2man from each program's own --help, so
# that they never drift from what the program says. The version is given here rather than asked
# of the program.
#
#   psu_add_man_page(<executable target> SUMMARY <one line for the NAME section>
#                    [INCLUDE <help2man include file: sections the --help does not give>])
#   psu_install_program(<executable target> SUMMARY <...> [INCLUDE <...>])   the program and its
#                    man page

find_program(PSU_HELP2MAN help2man)
find_program(PSU_GZIP gzip)
if(PSU_HELP2MAN AND PSU_GZIP)
  set(psu_man_pages_default ON)
else()
  set(psu_man_pages_default OFF)
  message(WARNING "help2man or gzip not found: no man pages (./scripts/setup installs them)")
endif()
option(PSU_MAN_PAGES "Make the man pages from the programs' --help (needs help2man)"
       ${psu_man_pages_default})
if(PSU_MAN_PAGES AND NOT (PSU_HELP2MAN AND PSU_GZIP))
  message(FATAL_ERROR "PSU_MAN_PAGES needs help2man and gzip")
endif()

function(psu_add_man_page target)
  cmake_parse_arguments(ARG "" "SUMMARY;INCLUDE" "" ${ARGN})
  if(NOT ARG_SUMMARY)
    message(FATAL_ERROR "psu_add_man_page(${target}): SUMMARY is missing")
  endif()
  if(NOT PSU_MAN_PAGES)
    return()
  endif()
  set(page ${PROJECT_BINARY_DIR}/man/${target}.1)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
  set(include_options)
  if(ARG_INCLUDE)
    set(include_options --include=${ARG_INCLUDE})
  endif()
  # gzip -n -9 as Debian compresses: no name or time stamp, so the same page gives the same file.
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${PSU_HELP2MAN} --no-info --section=1 --name=${ARG_SUMMARY}
            --version-string=${PROJECT_VERSION} ${include_options} --output=${page}
            $<TARGET_FILE:${target}>
    COMMAND ${PSU_GZIP} -n -9 -f ${page}
    DEPENDS ${target} ${ARG_INCLUDE}
    COMMENT "Man page ${target}(1) from ${target} --help"
    VERBATIM)
  add_custom_target(${target}-man-page ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

function(psu_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  psu_add_man_page(${target} ${ARGN})
endfunction()
