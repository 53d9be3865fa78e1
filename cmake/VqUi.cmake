# All Qt windows and adapters in one library, and the program itself.
get_property(vq_ui_sources GLOBAL PROPERTY VQ_UI_SOURCES)
file(GLOB vq_qrc CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/*.qrc)
add_library(vq_ui STATIC ${vq_ui_sources} ${vq_qrc})
target_link_libraries(vq_ui PUBLIC vq_engine vq_plans vq_records vq_skins vq_shell vq_core
                                   Qt6::Widgets Qt6::DBus Qt6::Network Qt6::PrintSupport)

add_executable(Varlotte ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
target_link_libraries(Varlotte PRIVATE vq_ui)
# The program runs its update helper from its own folder.
add_dependencies(Varlotte mj)
include(VqInstall)
