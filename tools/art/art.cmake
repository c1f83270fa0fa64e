# Artwork: SVG sources in ui/images/, rendered to PNG at build time by a host program of ours.
# Each image is one or more SVG layers drawn on top of each other at the pixel size below.
#
#   image                          size   where            shows
#   Device.png                     70x70  built in         a generic printer (panel picture)
#   Supplies.png                   32x32  built in         a shopping cart holding four toners
#   Troubleshooting.png            32x32  built in         a guide book with a question mark
#   PrinterSettings.png            32x32  built in         a printer with a gear
#   VirtualPanel16x16.png          16x16  built in         a window with four toner bars
#   Supplies16x16.png              16x16  built in         the cart, drawn for 16 px
#   Troubleshooting16x16.png       16x16  built in         the guide book, drawn for 16 px
#   PrinterSettings16x16.png       16x16  built in         printer and gear, drawn for 16 px
#   configure.png                  16x16  built in         three sliders
#   exit.png                       16x16  built in         a power symbol
#   pl_default.png                 22x22  share/icons      grey printer, no badge
#   pl_normal.png                  22x22  share/icons      printer, green check mark
#   pl_warning.png                 22x22  share/icons      printer, amber triangle with "!"
#   pl_error.png                   22x22  share/icons      printer, red octagon with "x"
#   pl_printing.png                22x22  share/icons      printer, blue disc with an arrow
#   pl_default16x16.png            16x16  share/icons      grey printer, drawn for 16 px
#   Quillon_C400_Series.png        70x70  share/icons      the Quillon C400 colour laser printer
#   logo.png                       70x70  share/icons      the Pellar emblem (printer and pulse)
#
# One palette for all: ink #2b3140 (outlines), slate #5d6778 (lone strokes, so they show on dark
# panels too), body #dde2ea, shade #b9c1cd, paper #ffffff, blue #2f74d0, green #1f9d57,
# amber #f2a900, red #d93f36, teal #1e9aa0, toners #12a5d8 #d6358b #f3c300 #2b3140.
# Shapes sit on the pixel grid: 1 px outlines on half pixels; 16 px images have their own files.
find_package(Qt6 REQUIRED COMPONENTS Svg)

set(PELLAR_ART_DIR "${CMAKE_SOURCE_DIR}/ui/images")

# A build tool: no sanitizers, they would only slow the build and report Qt's own leaks.
add_executable(pellar_render_art "${CMAKE_SOURCE_DIR}/tools/art/render.cpp")
target_compile_options(pellar_render_art PRIVATE ${PELLAR_WARNINGS} -fno-sanitize=all)
target_link_options(pellar_render_art PRIVATE -fno-sanitize=all)
target_link_libraries(pellar_render_art PRIVATE Qt6::Gui Qt6::Svg)

# pellar_art(OUTPUTS var DIR dir IMAGES "name size layer.svg..."...) renders each image's
# layers (in ui/images) to dir/name.png, a square of the given size; var lists the PNGs.
function(pellar_art)
    cmake_parse_arguments(A "" "OUTPUTS;DIR" "IMAGES" ${ARGN})
    set(outputs "")
    foreach(image IN LISTS A_IMAGES)
        separate_arguments(image)
        list(POP_FRONT image name size)
        list(TRANSFORM image PREPEND "${PELLAR_ART_DIR}/")
        set(out "${A_DIR}/${name}.png")
        add_custom_command(OUTPUT "${out}"
            COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                $<TARGET_FILE:pellar_render_art> "${out}" ${size} ${size} ${image}
            DEPENDS pellar_render_art ${image}
            COMMENT "Rendering ${name}.png" VERBATIM)
        list(APPEND outputs "${out}")
    endforeach()
    set(${A_OUTPUTS} ${outputs} PARENT_SCOPE)
endfunction()

# Built-in images, compiled into pellar_core under ":/images/".
set(builtin_dir "${CMAKE_BINARY_DIR}/art/images")
pellar_art(OUTPUTS builtin_images DIR "${builtin_dir}" IMAGES
        "Device 70 Device.svg"
        "Supplies 32 Supplies.svg"
        "Troubleshooting 32 Troubleshooting.svg"
        "PrinterSettings 32 PrinterSettings.svg"
        "VirtualPanel16x16 16 VirtualPanel16x16.svg"
        "Supplies16x16 16 Supplies16x16.svg"
        "Troubleshooting16x16 16 Troubleshooting16x16.svg"
        "PrinterSettings16x16 16 layer-printer16.svg layer-gear16.svg"
        "configure 16 configure.svg"
        "exit 16 exit.svg")
qt_add_resources(pellar_core pellar_images PREFIX "/images" BASE "${builtin_dir}"
    FILES ${builtin_images})

# The tray's layers, which the tray draws again at its own size.
target_link_libraries(pellar_core PUBLIC Qt6::Svg)
qt_add_resources(pellar_core pellar_tray_art PREFIX "/tray" BASE "${PELLAR_ART_DIR}"
    FILES "${PELLAR_ART_DIR}/layer-printer16.svg" "${PELLAR_ART_DIR}/layer-printer22.svg"
        "${PELLAR_ART_DIR}/layer-normal22.svg" "${PELLAR_ART_DIR}/layer-warning22.svg"
        "${PELLAR_ART_DIR}/layer-error22.svg" "${PELLAR_ART_DIR}/layer-printing22.svg")

# Installed icons, rendered straight into the staged tree; the source share/icons holds no
# PNG, so the stage copy never overwrites them.
pellar_art(OUTPUTS icons DIR "${PELLAR_STAGE}/share/icons" IMAGES
        "pl_default 22 layer-printer22.svg"
        "pl_normal 22 layer-printer22.svg layer-normal22.svg"
        "pl_warning 22 layer-printer22.svg layer-warning22.svg"
        "pl_error 22 layer-printer22.svg layer-error22.svg"
        "pl_printing 22 layer-printer22.svg layer-printing22.svg"
        "pl_default16x16 16 layer-printer16.svg"
        "Quillon_C400_Series 70 Quillon_C400_Series.svg"
        "logo 70 logo.svg")
add_custom_target(pellar_icons DEPENDS ${icons})
add_dependencies(stage pellar_icons)
