# The program's icon for Windows (V3721_ICO): rendered from the SVG in the
# sizes Explorer, the taskbar and the Start menu ask for, packed into one
# .ico. Host tools: rsvg-convert (librsvg2-bin) and icotool (icoutils);
# scripts/deps installs them for the cross build. A native build without
# them goes on without the icon and says so; V3721_ICO is then empty.
find_program(RSVG_CONVERT rsvg-convert)
find_program(ICOTOOL icotool)
if(NOT RSVG_CONVERT OR NOT ICOTOOL)
  if(CMAKE_CROSSCOMPILING)
    message(FATAL_ERROR "rsvg-convert and icotool are needed for the program's icon (scripts/deps windows)")
  endif()
  message(WARNING "rsvg-convert or icotool is missing: the program is built without its icon")
  set(V3721_ICO "")
  return()
endif()
set(icon_svg ${PROJECT_SOURCE_DIR}/data/icons/v3721conf.svg)
set(icon_dir ${CMAKE_BINARY_DIR}/icon)
set(V3721_ICO ${icon_dir}/v3721conf.ico)
# Small sizes as bitmaps, the largest as PNG inside the .ico.
set(icon_bitmaps)
foreach(size 16 24 32 48 64 256)
  set(png ${icon_dir}/v3721conf-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${icon_svg}
    DEPENDS ${icon_svg} VERBATIM)
  if(size EQUAL 256)
    set(icon_png ${png})
  else()
    list(APPEND icon_bitmaps ${png})
  endif()
endforeach()
add_custom_command(OUTPUT ${V3721_ICO}
  COMMAND ${ICOTOOL} --create --output ${V3721_ICO} ${icon_bitmaps} --raw=${icon_png}
  DEPENDS ${icon_bitmaps} ${icon_png} VERBATIM)
