# Sourced by the Windows program's operator tests, installer check and
# benchmark: a private virtual X display and Wine prefix, a Wine virtual
# desktop that takes every key xdotool types, and the probe that reads the
# windows. Everything started here ends with the calling script, which
# fails if Wine left anything in the home folder's menus. A larger window
# than the update window sets wine_session_desktop (WxH) first.
#   wine_session_start PROBE_EXE

wine_session_pids=()
wine_session_tools=$(dirname "$(realpath "${BASH_SOURCE[0]}")")

wine_session_cleanup() {
    local status=$?
    if [[ -n ${WINEPREFIX:-} ]]; then
        timeout 20 wineserver -k >/dev/null 2>&1 || true
    fi
    for pid in "${wine_session_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    if [[ -n ${wine_session_dir:-} ]]; then
        # Once Wine has ended: nothing it did may be left in the home folder.
        "$wine_session_tools/menu-files" check "$wine_session_dir/menu-files" || status=1
        rm -rf "$wine_session_dir"
    fi
    exit $status
}

# Runs a command in the background and ends it with the session.
wine_session_background() {
    "$@" &
    wine_session_pids+=($!)
}

wine_session_start() {
    probe_exe=$(realpath "$1")
    wine_session_dir=$(mktemp -d)
    "$wine_session_tools/menu-files" record "$wine_session_dir/menu-files"
    trap wine_session_cleanup EXIT
    # Xvfb picks a free display and writes its number to descriptor 3.
    local desktop=${wine_session_desktop:-640x480}
    Xvfb -displayfd 3 -screen 0 "$((${desktop%x*} + 160))x$((${desktop#*x} + 120))x24" -nolisten tcp 3>"$wine_session_dir/display" \
        >/dev/null 2>&1 &
    wine_session_pids+=($!)
    local number="" tenth
    for ((tenth = 0; tenth < 200; tenth++)); do
        number=$(head -n1 "$wine_session_dir/display" 2>/dev/null || true)
        [[ -n $number ]] && break
        sleep 0.1
    done
    [[ -n $number ]] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$number"
    export WINEPREFIX="$wine_session_dir/prefix" WINEDEBUG=-all WINEARCH=win64
    # No Mono or Gecko installer, and no menu builder writing desktop
    # entries and icons into the home folder of whoever runs the tests.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    # Wine reads the probe's arguments (window titles with umlauts) in the
    # locale's code page: UTF-8, whatever the caller's environment says. A
    # program under test gets the locale it is tried in of its own.
    export LC_ALL=C.UTF-8
    unset LANGUAGE
    "$wine_session_tools/wine-prefix" "$WINEPREFIX"
    # One virtual desktop: every window of the program lives in it, and it
    # is the one X window that has the keyboard.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f >/dev/null 2>&1
}

probe() {
    timeout 60 wine "$probe_exe" "$@"
}

# Waits until a top-level window with this exact title shows.
wait_window() {
    probe wait "$1" "${2:-30}" || { echo "no window \"$1\"" >&2; return 1; }
}

wait_window_gone() {
    probe gone "$1" "${2:-30}" || { echo "window \"$1\" still there" >&2; return 1; }
}

# The text of one control of a window, by its id.
control_text() {
    probe texts "$1" | tr -d '\r' | awk -F'\t' -v id="$2" '$1 == id { print $3; exit }'
}

# Whether a control is enabled (1) or not (0).
control_enabled() {
    probe texts "$1" | tr -d '\r' | awk -F'\t' -v id="$2" '$1 == id { print $2; exit }'
}

# Waits until a control shows a text; bounded.
wait_control_text() {
    local window=$1 id=$2 expected=$3 tries=${4:-200}
    for ((try = 0; try < tries; try++)); do
        [[ $(control_text "$window" "$id") == "$expected" ]] && return 0
        sleep 0.1
    done
    echo "control $id of \"$window\" shows \"$(control_text "$window" "$id")\", not \"$expected\"" >&2
    return 1
}

# Clicks one control of a window with the mouse, in its middle.
click_control() {
    local x y
    read -r x y < <(probe centre "$1" "$2" | tr -d '\r')
    [[ -n $x && -n $y ]] || { echo "no control $2 in \"$1\"" >&2; return 1; }
    xdotool mousemove "$x" "$y" click 1
}

# Does what an operator does (the command after --) and requires the window
# to have answered within MS milliseconds: the probe's clock runs before the
# command starts, so Wine's start of the probe is not in the time.
#   answers_within MS gone TITLE -- COMMAND...
#   answers_within MS enabled TITLE ID -- COMMAND...
answers_within() {
    local ms=$1 condition=() fifo="$wine_session_dir/watching" watcher line fd
    shift
    while [[ $1 != -- ]]; do
        condition+=("$1")
        shift
    done
    shift
    rm -f "$fifo"
    mkfifo "$fifo"
    probe within "$ms" "${condition[@]}" >"$fifo" &
    watcher=$!
    exec {fd}<"$fifo"
    read -r -t 60 line <&"$fd" || true
    if [[ ${line%$'\r'} != watching ]]; then
        exec {fd}<&-
        wait "$watcher" || true
        echo "the probe did not start watching ${condition[*]}" >&2
        return 1
    fi
    "$@"
    local status=0
    wait "$watcher" || status=$?
    exec {fd}<&-
    return $status
}

keys() {
    xdotool key --delay 30 "$@"
}

typed() {
    xdotool type --delay 30 "$1"
}

# What an operator types into the window from the password field on:
# password, Tab, code, Tab and Space on "...", the file's Windows path in
# the file dialog, Return, Tab, the recorder's address. Start is next.
#   fill_in PASSWORD CODE WINDOWS_PATH ADDRESS FILE_DIALOG_TITLE
fill_in() {
    typed "$1"
    keys Tab
    typed "$2"
    # The source file's edit takes no focus: Tab goes on to "...".
    keys Tab space
    wait_window "$5"
    typed "$3"
    keys Return
    wait_window_gone "$5"
    keys Tab
    typed "$4"
}

# Waits until a file holds a line matching an extended regular expression
# and prints it; bounded.
wait_line() {
    local file=$1 pattern=$2 seconds=${3:-60}
    for ((tenth = 0; tenth < seconds * 10; tenth++)); do
        if grep -Eq "$pattern" "$file" 2>/dev/null; then
            grep -Em1 "$pattern" "$file"
            return 0
        fi
        sleep 0.1
    done
    echo "no line /$pattern/ in $file" >&2
    return 1
}

# A loopback address of its own for each run, so the fixed port 30000 never
# meets another test's recorder on this machine.
random_loopback() {
    echo "127.$((RANDOM % 250 + 2)).$((RANDOM % 250 + 2)).$((RANDOM % 250 + 2))"
}
