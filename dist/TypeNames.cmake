# Writes OUT from the template IN, as configure_file(@ONLY) does, with
# QUORVANE_TYPE_NAMES (the completion's word list) and QUORVANE_TYPE_LIST
# (the manual page's list) printed by the program TYPE_NAMES from the
# symbology table.
#   cmake -DTYPE_NAMES=... -DIN=... -DOUT=... -DPROJECT_VERSION=... -P TypeNames.cmake
foreach(_form bash man)
  execute_process(COMMAND ${TYPE_NAMES} ${_form}
    OUTPUT_VARIABLE _out RESULT_VARIABLE _status OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT _status EQUAL 0 OR _out STREQUAL "")
    message(FATAL_ERROR "${TYPE_NAMES} ${_form} printed no type names (${_status})")
  endif()
  set(_${_form} "${_out}")
endforeach()
set(QUORVANE_TYPE_NAMES "${_bash}")
set(QUORVANE_TYPE_LIST "${_man}")
configure_file(${IN} ${OUT} @ONLY)
