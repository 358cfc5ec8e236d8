# The layer check of cmake/layers.cmake, run over a small tree of its own: an include that reaches
# up a layer or into the toolkit is named however it is spelt, and standard headers or headers
# beside the source pass.
# ctest runs: cmake -DTAMSOR_LAYERS=<layers.cmake> -DWORK_DIR=<scratch folder> -P <this file>
cmake_policy(VERSION 3.25)
file(REMOVE_RECURSE ${WORK_DIR})

# A source in the tree with one #include line for each path given.
function(write_source source)
    set(text "")
    foreach(path IN LISTS ARGN)
        string(APPEND text "#include ${path}\n")
    endforeach()
    file(WRITE ${WORK_DIR}/src/${source} "${text}")
endfunction()

write_source(text/plain.cpp "<regex>" "<string>" [["text/plain.h"]] [["plain.h"]])
write_source(ui/window.cpp "<QLabel>" [["forum/state.h"]] [["media/ends.h"]] [["../ui/controls.h"]])
write_source(ui/reaches_up.cpp [["app/program.h"]] "<app/program.h>" [["../app/program.h"]]
             [["src/app/program.h"]])
write_source(forum/toolkit.h "<QString>" "<QtCore/QString>")
write_source(media/up.cpp [["ui/picture_box.h"]] [["text/gbk.h"]])
write_source(http/sideways.cpp [["regex/regex_object.h"]])
write_source(tools/stray.cpp)

execute_process(
    COMMAND ${CMAKE_COMMAND} -DTAMSOR_SOURCE_DIR=${WORK_DIR} -DTAMSOR_LAYERS_STAMP=${WORK_DIR}/stamp
            -P ${TAMSOR_LAYERS}
    RESULT_VARIABLE result ERROR_VARIABLE output)
if(result EQUAL 0)
    message(FATAL_ERROR "The layer check passed a tree that reaches up:\n${output}")
endif()

string(REGEX MATCHALL "src/[^\n]+" reported "${output}")
list(FILTER reported INCLUDE REGEX ": src/")
set(expected
    "src/forum/toolkit.h: src/forum may not include the toolkit"
    "src/forum/toolkit.h: src/forum may not include the toolkit"
    "src/http/sideways.cpp: src/http may not include regex/"
    "src/media/up.cpp: src/media may not include text/"
    "src/media/up.cpp: src/media may not include ui/"
    "src/tools/stray.cpp: src/tools is in no layer (cmake/layers.cmake)"
    "src/ui/reaches_up.cpp: src/ui may not include app/"
    "src/ui/reaches_up.cpp: src/ui may not include app/"
    "src/ui/reaches_up.cpp: src/ui may not include app/"
    "src/ui/reaches_up.cpp: src/ui may not include app/")
list(SORT reported)
if(NOT reported STREQUAL expected)
    list(JOIN expected "\n  " want)
    list(JOIN reported "\n  " got)
    message(FATAL_ERROR "The layer check reported\n  ${got}\ninstead of\n  ${want}")
endif()
