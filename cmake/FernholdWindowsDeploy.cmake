# The Windows program folder as windeployqt lays it out: Qt's DLLs beside the program, the
# plugins in their subfolders, the compiler's runtime DLLs, Qt's Japanese texts. Every file is
# copied into the build's program folder (so the build runs as shipped) and installed for the
# ZIP package, which holds exactly that folder.

# The MinGW runtime DLLs that Qt's DLLs (and Qt-linked programs) load.
function(fernhold_runtime_dlls out)
    set(dlls "")
    foreach(name libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
            OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
        get_filename_component(path "${path}" ABSOLUTE)
        if(NOT EXISTS "${path}")
            message(FATAL_ERROR "${name} not found beside ${CMAKE_CXX_COMPILER}")
        endif()
        list(APPEND dlls "${path}")
    endforeach()
    set(${out} ${dlls} PARENT_SCOPE)
endfunction()

# fernhold_deploy_windows(PROGRAM_TARGET): copies and installs what PROGRAM_TARGET needs at run time.
function(fernhold_deploy_windows program)
    find_package(Qt6 REQUIRED COMPONENTS Widgets)
    set(runtime "")
    if(MINGW)
        fernhold_runtime_dlls(runtime)
    endif()

    # Files by subfolder of the program folder ("root" is the folder itself).
    set(root "$<TARGET_FILE:Qt6::Core>;$<TARGET_FILE:Qt6::Gui>;$<TARGET_FILE:Qt6::Widgets>;${runtime}")
    set(platforms "$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>;$<TARGET_FILE:Qt6::QMinimalIntegrationPlugin>")
    set(styles "$<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>")
    set(imageformats "$<TARGET_FILE:Qt6::QJpegPlugin>;$<TARGET_FILE:Qt6::QGifPlugin>;$<TARGET_FILE:Qt6::QICOPlugin>")
    # Qt's own dialogs in Japanese, from Debian's qt6-translations-l10n, unless the UI, which
    # loads the catalogue, already copies it there.
    set(translations "")
    if(NOT TARGET fernhold_qt_catalogue AND EXISTS /usr/share/qt6/translations/qtbase_ja.qm)
        set(translations /usr/share/qt6/translations/qtbase_ja.qm)
    endif()

    set(commands "")
    foreach(folder root platforms styles imageformats translations)
        set(destination ${folder})
        if(folder STREQUAL "root")
            set(destination .)
        endif()
        if(${folder})
            list(APPEND commands COMMAND ${CMAKE_COMMAND} -E make_directory ${FERNHOLD_BIN_DIR}/${destination}
                                 COMMAND ${CMAKE_COMMAND} -E copy_if_different ${${folder}} ${FERNHOLD_BIN_DIR}/${destination})
            if(NOT folder STREQUAL "translations")
                install(FILES ${${folder}} DESTINATION ${destination})
            endif()
        endif()
    endforeach()
    add_custom_command(TARGET ${program} POST_BUILD ${commands} COMMAND_EXPAND_LISTS VERBATIM)

    install(TARGETS ${program} unlha unlhist RUNTIME DESTINATION .)
    foreach(file ${FERNHOLD_RESOURCE_FILES})
        install(FILES ${CMAKE_SOURCE_DIR}/resources/${file} DESTINATION .)
    endforeach()
    install(FILES ${FERNHOLD_BIN_DIR}/translations/qtbase_ja.qm DESTINATION translations OPTIONAL)
endfunction()
