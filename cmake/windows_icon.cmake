# The program's icon for Windows, drawn from the SVG at build time at each size the shell asks
# for: 16 to 40 for title bars, lists and the taskbar from 100% to 250% scaling, 48 and 64 for
# Explorer's icon views, 256 for its largest, kept as PNG as Windows Vista and later expect.
set(NAMEWISP_ICON_SIZES 16 20 24 32 40 48 64 256)

# namewisp_windows_icon(SVG ICO): draws ICO from SVG, built by the target namewisp_icon. A target
# that uses ICO depends on namewisp_icon, so that only that target ever runs the drawing.
function(namewisp_windows_icon svg ico)
  find_program(NAMEWISP_RSVG_CONVERT rsvg-convert)
  find_program(NAMEWISP_ICOTOOL icotool)
  if(NOT NAMEWISP_RSVG_CONVERT OR NOT NAMEWISP_ICOTOOL)
    message(FATAL_ERROR "The Windows icon is drawn with rsvg-convert and icotool: "
                        "apt-get install librsvg2-bin icoutils (scripts/test-windows does)")
  endif()
  get_filename_component(dir ${ico} DIRECTORY)
  set(draw)
  set(images)
  foreach(size ${NAMEWISP_ICON_SIZES})
    set(png ${dir}/icon-${size}.png)
    list(APPEND draw COMMAND ${NAMEWISP_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${svg})
    if(size EQUAL 256)
      list(APPEND images --raw=${png})
    else()
      list(APPEND images ${png})
    endif()
  endforeach()
  add_custom_command(OUTPUT ${ico} ${draw}
    COMMAND ${NAMEWISP_ICOTOOL} -c -o ${ico} ${images}
    DEPENDS ${svg} VERBATIM)
  add_custom_target(namewisp_icon DEPENDS ${ico})
endfunction()
