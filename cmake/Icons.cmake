# The program's icon is one drawing, data/typovise.svg; every PNG size is rendered from it at
# build time, so that the sizes can never drift from the drawing.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)

set(TYPOVISE_ICON_SVG ${CMAKE_CURRENT_LIST_DIR}/../data/typovise.svg)
set(TYPOVISE_ICON_SIZES 16 22 24 32 48 64 128 256)
set(TYPOVISE_ICON_DIR ${CMAKE_BINARY_DIR}/icons)

# typovise_render_icons(<variable>): adds the rules that render the PNG sizes in the calling
# directory and sets <variable> to the list of files, each icons/<size>/typovise.png.
function(typovise_render_icons variable)
    set(files "")
    foreach(size IN LISTS TYPOVISE_ICON_SIZES)
        set(png ${TYPOVISE_ICON_DIR}/${size}/typovise.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${TYPOVISE_ICON_DIR}/${size}
            COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png}
                ${TYPOVISE_ICON_SVG}
            DEPENDS ${TYPOVISE_ICON_SVG}
            COMMENT "Rendering the ${size} px icon"
            VERBATIM)
        list(APPEND files ${png})
    endforeach()
    set(${variable} ${files} PARENT_SCOPE)
endfunction()
