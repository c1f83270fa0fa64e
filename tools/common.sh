# Shared by ./run and ./test: Debian packages and a private X display with a tray host.

PELLAR_PACKAGES_BUILD="cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-l10n-tools libx11-dev libsnmp-dev"
PELLAR_PACKAGES_RUN="xvfb x11-utils xauth xdotool imagemagick trayer fonts-dejavu-core qt6-wayland"
PELLAR_PACKAGES_TEST="cups cups-client cups-ipp-utils libcups2-dev snmpd snmp clang-format dbus-daemon python3-gi desktop-file-utils dpkg-dev file lintian weston"

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

# Starts Xvfb on a free display and trayer as the tray host; exports DISPLAY. The waits are for
# the events themselves, with bounds that hold on a busy machine.
xsession_start() {
    local i n="" dir xpid
    dir=$(mktemp -d /tmp/pellar-xsession.XXXXXX)
    # Xvfb takes a free display itself and names it once it accepts clients.
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$dir/display" >/dev/null 2>&1 &
    xpid=$!
    XSESSION_PIDS+=("$xpid")
    for i in $(seq 1 1200); do
        if [ "$(wc -l <"$dir/display")" -ge 1 ]; then n=$(head -n 1 "$dir/display"); break; fi
        kill -0 "$xpid" 2>/dev/null || break
        sleep 0.05
    done
    rm -rf "$dir"
    [ -n "$n" ] || { echo "Could not start Xvfb" >&2; return 1; }
    export DISPLAY=":$n"
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        XDG_RUNTIME_DIR=$(mktemp -d /tmp/pellar-runtime.XXXXXX)
        export XDG_RUNTIME_DIR
    fi
    trayer --edge top --align left --widthtype request --height 26 >/dev/null 2>&1 &
    XSESSION_PIDS+=($!)
    # trayer's window; the demo waits for the tray selection itself.
    for i in $(seq 1 1200); do
        if xwininfo -root -children 2>/dev/null | grep -q -i trayer; then return 0; fi
        sleep 0.05
    done
    echo "trayer did not start within 60 s" >&2
    return 1
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
    if [ -n "$(find base status net cups acquisition config discovery ui app -name '*.h' -newer "$mocs" 2>/dev/null | head -1)" ]; then
        rm -rf "$build/pellar_core_autogen" "$build/CMakeFiles/pellar_core_autogen.dir/ParseCache.txt"
    fi
}

# Two unprivileged accounts (not in lp) for the tests that run Pellar as people do; made once,
# reused after. Root only: without it the tests that need them say so and are skipped.
ensure_test_accounts() {
    local name
    [ "$(id -u)" -eq 0 ] || return 0
    for name in pellartest1 pellartest2; do
        id -u "$name" >/dev/null 2>&1 \
            || useradd --system --no-create-home --shell /usr/sbin/nologin "$name"
    done
    export PELLAR_TEST_ACCOUNTS="pellartest1 pellartest2"
}
