# Shared by ./run and ./test: Debian packages and a private X display with a tray host.

PELLAR_PACKAGES_BUILD="cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-l10n-tools libx11-dev libsnmp-dev"
PELLAR_PACKAGES_RUN="xvfb x11-utils xauth xdotool imagemagick trayer fonts-dejavu-core"
PELLAR_PACKAGES_TEST="cups cups-client libcups2-dev snmpd snmp clang-format dbus-daemon python3-gi desktop-file-utils"

# Installs the Debian packages that are missing, through sudo when not root.
ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

XSESSION_PIDS=()

# Starts Xvfb on a free display and trayer as the tray host; exports DISPLAY.
xsession_start() {
    local n=90 i started=""
    while [ -z "$started" ] && [ $n -lt 190 ]; do
        if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then n=$((n + 1)); continue; fi
        Xvfb ":$n" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
        local xpid=$!
        for i in $(seq 1 100); do
            if ! kill -0 "$xpid" 2>/dev/null; then break; fi # lost the race for this display
            if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then started=1; break; fi
            sleep 0.05
        done
        if [ -n "$started" ]; then XSESSION_PIDS+=("$xpid"); else kill "$xpid" 2>/dev/null; n=$((n + 1)); fi
    done
    [ -n "$started" ] || { echo "Could not start Xvfb" >&2; return 1; }
    export DISPLAY=":$n"
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        XDG_RUNTIME_DIR=$(mktemp -d /tmp/pellar-runtime.XXXXXX)
        export XDG_RUNTIME_DIR
    fi
    trayer --edge top --align left --widthtype request --height 26 >/dev/null 2>&1 &
    XSESSION_PIDS+=($!)
    # The tray is there once trayer owns the tray selection.
    for i in $(seq 1 100); do
        xprop -root -notype _NET_SUPPORTED >/dev/null 2>&1
        if xwininfo -root -children 2>/dev/null | grep -q -i trayer; then break; fi
        sleep 0.05
    done
}

xsession_stop() {
    local pid
    for pid in "${XSESSION_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${XSESSION_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    XSESSION_PIDS=()
}

# CMake's automoc misses headers that a re-glob adds to an existing build: start its moc list
# afresh when a header is newer than it.
refresh_automoc() {
    local build=$1 mocs="$1/pellar_core_autogen/mocs_compilation.cpp"
    [ -f "$mocs" ] || return 0
    if [ -n "$(find app status discovery acquisition net ui -name '*.h' -newer "$mocs" 2>/dev/null | head -1)" ]; then
        rm -rf "$build/pellar_core_autogen" "$build/CMakeFiles/pellar_core_autogen.dir/ParseCache.txt"
    fi
}
