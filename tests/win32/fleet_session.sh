# Sourced after wine_session.sh by the fleet window's operator test, its
# benchmark and its screenshot: the fleet window's list read from outside.

fleet_list=2026
fleet_summary=2036

# The list's rows: check (1/0), then each column's text, tab-separated.
fleet_rows() {
    probe rows "$1" "$fleet_list" | tr -d '\r'
}

# Waits until the row of recorder NAME has a column (1: the recorder's name)
# matching an extended regular expression; bounded.
wait_row() {
    local window=$1 name=$2 column=$3 pattern=$4 tries=${5:-300} try
    for ((try = 0; try < tries; try++)); do
        fleet_rows "$window" | awk -F'\t' -v n="$name" -v c="$((column + 1))" -v p="$pattern" \
            '$2 == n && $c ~ p { found = 1 } END { exit !found }' && return 0
        sleep 0.1
    done
    echo "row \"$name\" column $column does not match /$pattern/:" >&2
    fleet_rows "$window" >&2
    return 1
}

# Clicks the check box of the row of recorder NAME with the mouse.
click_row_check() {
    local window=$1 name=$2 row x y
    row=$(fleet_rows "$window" | awk -F'\t' -v n="$name" '$2 == n { print NR - 1; exit }')
    [[ -n $row ]] || { echo "no row \"$name\"" >&2; return 1; }
    read -r x y < <(probe checkbox "$window" "$fleet_list" "$row" | tr -d '\r')
    xdotool mousemove "$x" "$y" click 1
}

# Waits until a control's text matches an extended regular expression.
wait_control_match() {
    local window=$1 id=$2 pattern=$3 tries=${4:-300} try
    for ((try = 0; try < tries; try++)); do
        [[ $(control_text "$window" "$id") =~ $pattern ]] && return 0
        sleep 0.1
    done
    echo "control $id of \"$window\" shows \"$(control_text "$window" "$id")\", not /$pattern/" >&2
    return 1
}
