# SPDX-License-Identifier: GPL-3.0-or-later
# An interface target for a header-only library installed on the build host
# (nlohmann-json, CLI11). A cross build sees only the target's root, so it gets
# the host's headers through a folder that holds nothing else.
function(vantrel_host_headers target header folder)
  find_path(${target}_INCLUDE ${header} NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  # The header itself, for the check that its package is listed.
  set(${target}_HEADER ${${target}_INCLUDE}/${header} CACHE INTERNAL "")
  add_library(${target} INTERFACE)
  if(CMAKE_CROSSCOMPILING)
    set(include ${CMAKE_CURRENT_BINARY_DIR}/${target}-include)
    file(MAKE_DIRECTORY ${include})
    file(CREATE_LINK ${${target}_INCLUDE}/${folder} ${include}/${folder} SYMBOLIC)
    target_include_directories(${target} SYSTEM INTERFACE ${include})
  endif()
endfunction()
