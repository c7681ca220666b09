# The direction of use between the layers, checked on what their libraries
# link: a layer below printing that linked Qt's widgets, Qt's printing
# support or libcups (directly or through another library) would let its
# code, and every test and fuzz target of it, depend on them.

# Every library the target links, directly or through others.
function(_quorvane_link_closure target out)
  set(_seen "")
  set(_todo ${target})
  while(_todo)
    list(POP_FRONT _todo _t)
    if(NOT TARGET ${_t} OR _t IN_LIST _seen)
      continue()
    endif()
    list(APPEND _seen ${_t})
    get_target_property(_type ${_t} TYPE)
    set(_libs "")
    if(NOT _type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(_direct ${_t} LINK_LIBRARIES)
      if(_direct)
        list(APPEND _libs ${_direct})
      endif()
    endif()
    get_target_property(_iface ${_t} INTERFACE_LINK_LIBRARIES)
    if(_iface)
      list(APPEND _libs ${_iface})
    endif()
    foreach(_l ${_libs})
      # $<LINK_ONLY:X> is how CMake keeps a static library's private links.
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" _l "${_l}")
      if(NOT _l MATCHES "^\\$<")
        list(APPEND _todo ${_l})
      endif()
    endforeach()
  endwhile()
  set(${out} ${_seen} PARENT_SCOPE)
endfunction()

function(quorvane_check_layers)
  # The layers below printing, and their tests: nothing of widgets,
  # printing or CUPS, however linked.
  set(_gui_only quorvane_core quorvane_services quorvane_graphics quorvane_symbols quorvane_files quorvane_labels
      test_core test_services test_graphics test_symbols test_files test_labels)
  foreach(_t ${_gui_only})
    _quorvane_link_closure(${_t} _closure)
    foreach(_f Qt6::Widgets Qt6::PrintSupport Cups::Cups)
      if(_f IN_LIST _closure)
        message(FATAL_ERROR "The layers do not hold: ${_t} links ${_f} (through ${_closure}).")
      endif()
    endforeach()
  endforeach()
  # What each layer links itself: widgets only the window's, Qt's printing
  # support and libcups only printing. (Qt's printing support brings its
  # widgets along: printing has them only through it.)
  foreach(_layer core services graphics symbols files labels printing jobs ui cli)
    get_target_property(_direct quorvane_${_layer} LINK_LIBRARIES)
    foreach(_f Qt6::Widgets Qt6::PrintSupport Cups::Cups)
      if(NOT _f IN_LIST _direct)
        continue()
      endif()
      if((_f STREQUAL "Qt6::Widgets" AND NOT _layer STREQUAL "ui") OR
         (NOT _f STREQUAL "Qt6::Widgets" AND NOT _layer STREQUAL "printing"))
        message(FATAL_ERROR "The layers do not hold: quorvane_${_layer} links ${_f}.")
      endif()
    endforeach()
  endforeach()
endfunction()
