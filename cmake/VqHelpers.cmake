# Every Qt window and adapter of a subsystem lives in its qt/ folder; everything else in a src/
# folder is standard C++ logic. Files ending in _win.cpp are the Windows adapters.
set(VQ_UI_FILE_REGEX "/qt/")
set_property(GLOBAL PROPERTY VQ_UI_SOURCES "")

# vq_logic_library(<name> [DEPS libs...]): one static library from the logic files of the
# current folder; the Qt files of the folder are handed to vq_ui.
function(vq_logic_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(logic "")
  set(ui "")
  foreach(f IN LISTS all)
    # Programs of their own (the update helper and installer in mj/) are built by the folder itself;
    # the printing module (print/) by cmake/VqUi.cmake.
    if(f MATCHES "/main\\.cpp$" OR f MATCHES "/tools/" OR f MATCHES "/mj/" OR f MATCHES "/print/")
      continue()
    elseif(f MATCHES "${VQ_UI_FILE_REGEX}")
      list(APPEND ui ${f})
    elseif(f MATCHES "_win\\.cpp$")
      if(WIN32)
        list(APPEND logic ${f})
      endif()
    else()
      list(APPEND logic ${f})
    endif()
  endforeach()
  if(logic)
    add_library(${name} STATIC ${logic})
    target_link_libraries(${name} PUBLIC vq_common ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE vq_common ${ARG_DEPS})
  endif()
  set_property(GLOBAL APPEND PROPERTY VQ_UI_SOURCES ${ui})
endfunction()
