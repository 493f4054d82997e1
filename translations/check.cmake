# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when lupdate would change a .ts file (a text added, changed or gone
# in the sources) or when a .ts file holds a text without a finished
# translation. PAIRS: TS=SOURCE_LANGUAGE=LISTFILE[=LUPDATE_OPTION] ...; WORK: a folder of its own.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(failed FALSE)
foreach(pair ${PAIRS})
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 ts)
  list(GET pair 1 source_lang)
  list(GET pair 2 listfile)
  set(only)
  list(LENGTH pair fields)
  if(fields GREATER 3)
    list(GET pair 3 only)
  endif()
  get_filename_component(name ${ts} NAME)
  set(copy ${WORK}/${name})
  configure_file(${ts} ${copy} COPYONLY)
  execute_process(COMMAND ${LUPDATE} ${OPTIONS} ${only} -source-language ${source_lang} @${listfile} -ts ${copy}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(SEND_ERROR "lupdate failed on ${name}:\n${out}")
  endif()
  file(READ ${ts} before)
  file(READ ${copy} after)
  if(NOT before STREQUAL after)
    execute_process(COMMAND diff -u ${ts} ${copy} OUTPUT_VARIABLE change)
    message(SEND_ERROR "${name} is not up to date with the sources "
                       "(cmake --build build --target update_translations):\n${change}")
  endif()
  execute_process(COMMAND ${LRELEASE} ${ts} -qm ${WORK}/${name}.qm
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  message(STATUS "${name}: ${out}")
  if(NOT status EQUAL 0 OR NOT out MATCHES "finished and 0 unfinished" OR out MATCHES "untranslated")
    message(SEND_ERROR "${name} has texts without a finished translation:\n${out}")
  endif()
endforeach()
