#!/usr/bin/env bash
# The program's folders stand on floors, and a file includes only its own folder and the floors
# below it. Fails, naming the file and the include, when:
#  - a file includes a header of a folder on its own floor or a higher one;
#  - a folder below the configuration uses a widget or image class, directly or through one of
#    our own headers (the status worker, the threads and the parsers never touch a widget).
# Usage: tools/check-layers.sh [source root]
set -uo pipefail
root=$(readlink -f "${1:-$(dirname "$(readlink -f "$0")")/..}")
cd "$root" || exit 2

# From the ground up; folders on one floor do not include each other.
floors=(
    "base"              # the log, plain utilities, the whole-file writer
    "status net cups"   # status knowledge; network clients; the CUPS client
    "acquisition"       # printer records, device channels, the worker and the job threads
    "config"            # the Configurator and its stores, help lookup, external programs
    "discovery"         # USB device enumeration and the printer enumerator
    "ui"                # the window, the tray, forms and widgets
    "app"               # start-up and the single instance
)
declare -A floor_of=()
for i in "${!floors[@]}"; do
    for dir in ${floors[$i]}; do floor_of[$dir]=$((i + 1)); done
done
widget_free="base status net cups acquisition discovery"
# Headers above the widget-free floors that show message boxes.
widget_level="config/externalprograms.h"

failed=0

# 1. Includes run downwards only.
for dir in ${floors[*]}; do
    own=${floor_of[$dir]}
    while IFS= read -r hit; do
        file=${hit%%:*}
        target=$(sed -E 's/^[^"]*"([^"]+)".*/\1/' <<<"${hit#*:}")
        top=${target%%/*}
        [ "$top" = "$dir" ] && continue
        [ -n "${floor_of[$top]+set}" ] || continue
        if [ "${floor_of[$top]}" -ge "$own" ]; then
            echo "check-layers: $file includes \"$target\": $top/ is on floor ${floor_of[$top]}," \
                "$dir/ on floor $own; includes run downwards only" >&2
            failed=1
        fi
    done < <(grep -rHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$dir" \
        --include='*.h' --include='*.cpp' 2>/dev/null | sort)
done

# 2. No widget below the configuration. Every class header of Qt's GUI and widget modules, from
# the installed headers themselves.
qt_include=$(find /usr/include -maxdepth 3 -type d -name QtWidgets -path '*qt6*' 2>/dev/null | head -1)
qt_include=${qt_include%/QtWidgets}
declare -A gui_header=()
if [ -n "$qt_include" ]; then
    for module in QtGui QtWidgets; do
        for header in "$qt_include/$module"/Q*; do
            header=${header##*/}
            case "$header" in *.h) continue ;; esac
            gui_header[$header]=1
        done
        gui_header[$module]=1
    done
else
    echo "check-layers: Qt 6 headers not found; checking our own headers only" >&2
fi

declare -A verdict=() # our header -> "" when clean, else the chain that leads to a widget

# Prints the reason a file is forbidden to include (empty when it is clean), following our own
# headers.
reason_of() {
    local file=$1 line target inner
    while IFS= read -r line; do
        if [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<([^>]+)\> ]]; then
            target=${BASH_REMATCH[1]}
            target=${target#QtGui/}
            target=${target#QtWidgets/}
            if [ -n "${gui_header[$target]:-}" ]; then
                echo "<$target>"
                return
            fi
        elif [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
            target=${BASH_REMATCH[1]}
            for inner in $widget_level; do
                if [ "$target" = "$inner" ]; then
                    echo "\"$target\""
                    return
                fi
            done
            [ -f "$target" ] || continue
            if [ -z "${verdict[$target]+set}" ]; then
                verdict[$target]="" # a cycle of includes ends here
                verdict[$target]=$(reason_of "$target")
            fi
            if [ -n "${verdict[$target]}" ]; then
                echo "\"$target\" -> ${verdict[$target]}"
                return
            fi
        fi
    done <"$file"
}

widgets_found=0
for file in $(find $widget_free \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort); do
    why=$(reason_of "$file")
    if [ -n "$why" ]; then
        echo "check-layers: $file includes $why" >&2
        widgets_found=1
    fi
done
[ $widgets_found -eq 0 ] || echo "check-layers: $widget_free must not use widgets or images" >&2
[ $widgets_found -eq 0 ] || failed=1
exit $failed
