# All Qt windows and adapters in one library, and the program itself.
include(GNUInstallDirs)
get_property(vq_ui_sources GLOBAL PROPERTY VQ_UI_SOURCES)
file(GLOB vq_qrc CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/*.qrc)
add_library(vq_ui STATIC ${vq_ui_sources} ${vq_qrc})
target_link_libraries(vq_ui PUBLIC vq_engine vq_plans vq_records vq_skins vq_shell vq_core
                                   Qt6::Widgets Qt6::DBus)

# Printing happens only when the user asks for it: the printer and Qt's print support are a module
# that the program loads then, from its own folder or, installed, from its library folder (found
# relative to the executable, so that a package installed under another prefix finds it too).
set(VQ_MODULE_DIR ${CMAKE_INSTALL_LIBDIR}/varlotte-qyr)
file(RELATIVE_PATH vq_module_dir_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/varlotte-qyr)
add_library(vq_print_impl STATIC ${CMAKE_SOURCE_DIR}/src/plans/qt/print/report_printer.cpp)
set_target_properties(vq_print_impl PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_link_libraries(vq_print_impl PUBLIC vq_common Qt6::PrintSupport)
add_library(vq_print MODULE ${CMAKE_SOURCE_DIR}/src/plans/qt/print/print_module.cpp)
target_link_libraries(vq_print PRIVATE vq_print_impl)
set_target_properties(vq_print PROPERTIES PREFIX "" OUTPUT_NAME varlotte-print
                                          LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_executable(Varlotte ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
target_link_libraries(Varlotte PRIVATE vq_ui)
target_compile_definitions(Varlotte PRIVATE VQ_MODULE_DIR="${vq_module_dir_from_bin}")
# The program runs its update helper from its own folder, and loads its printing module from there.
add_dependencies(Varlotte mj vq_print)
include(VqInstall)
