#!/usr/bin/env bash
# Fails when a folder below the user interface includes, directly or through one of our own
# headers, a widget or image class, a header of ui/, or one of the widget-level headers of app/.
# Usage: tools/check-layers.sh [source root]
set -uo pipefail
root=$(readlink -f "${1:-$(dirname "$(readlink -f "$0")")/..}")
cd "$root" || exit 2

core_dirs="status discovery acquisition net"
# Headers of app/ that show widgets, message boxes or images.
widget_level="app/widgethelpers.h app/externalprograms.h app/autopixmapcache.h app/qtsingleapplication.h"

# Every class header of Qt's GUI and widget modules, from the installed headers themselves.
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

declare -A verdict=() # our header -> "" when clean, else the chain that leads to a forbidden one

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
            case "$target" in
            ui/*)
                echo "\"$target\""
                return
                ;;
            esac
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

failed=0
for file in $(find $core_dirs \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort); do
    why=$(reason_of "$file")
    if [ -n "$why" ]; then
        echo "check-layers: $file includes $why" >&2
        failed=1
    fi
done
[ $failed -eq 0 ] || echo "check-layers: $core_dirs must not use widgets, images or ui/" >&2
exit $failed
