# Fails when a translation is behind the window's sources: a text without a
# finished translation (new or changed), or a translation whose text has left
# the sources. lupdate reads the sources into a copy of each .ts, so the
# checked-in files are never touched.
#
#   cmake -DLUPDATE=... -DGENERATE=... -DPROJECT=... -DWORK=... "-DTS_FILES=a.ts;b.ts"
#         -DPLURALS_TS_FILE=en.ts -P TranslationsCurrent.cmake
#
# Fix: cmake --build build --target update_translations, then translate the
# unfinished entries (Qt Linguist) in translations/*.ts.

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND "${CMAKE_COMMAND}" "-DIN_FILE=${PROJECT}" "-DOUT_FILE=${WORK}/project.json" -P "${GENERATE}"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not make the lupdate project from ${PROJECT}")
endif()
if(NOT TS_FILES)
  message(FATAL_ERROR "no translations/*.ts to check")
endif()

set(failed FALSE)
foreach(ts IN LISTS TS_FILES PLURALS_TS_FILE)
  get_filename_component(name "${ts}" NAME)
  configure_file("${ts}" "${WORK}/${name}" COPYONLY)
  # The source language's file holds its plural forms only.
  set(only)
  if(ts STREQUAL PLURALS_TS_FILE)
    set(only -pluralonly)
  endif()
  execute_process(COMMAND "${LUPDATE}" -project "${WORK}/project.json" -ts "${WORK}/${name}" -locations none ${only}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "lupdate failed on ${name}:\n${out}${err}")
  endif()
  file(READ "${WORK}/${name}" text)
  # Each entry left to do, by its source text.
  string(REGEX MATCHALL "<source>[^<]*</source>[^<]*(<comment>[^<]*</comment>[^<]*)?<translation type=\"(unfinished|vanished|obsolete)\""
    todo "${text}")
  list(LENGTH todo count)
  if(count GREATER 0)
    set(failed TRUE)
    message(SEND_ERROR "${name}: ${count} entries are unfinished or no longer in the sources:")
    foreach(entry IN LISTS todo)
      string(REGEX REPLACE "<source>([^<]*)</source>.*type=\"([a-z]+)\"" "  \\2: \\1" entry "${entry}")
      message("${entry}")
    endforeach()
  endif()
  # lupdate also rewrites what it would change (a moved text, a new context).
  file(READ "${ts}" original)
  if(NOT failed AND NOT text STREQUAL original)
    set(failed TRUE)
    message(SEND_ERROR "${name} differs from what update_translations would write; run it and commit the result")
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "translations are behind the sources (see above)")
endif()
