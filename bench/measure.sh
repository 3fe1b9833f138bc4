# Sourced by bench/fleet and bench/discover: simulators on loopback
# addresses, and the CPU time and peak memory of the process measured.
# Needs `work` (a scratch folder) and `sim` (the simulator) set; fills
# `sim_pids`, which the caller's exit trap ends.

# Starts a simulator on ADDRESS at the first one's port (a free one for the
# first), with any further simulator options.
port=0
sim_pids=()
start_sim() {
    local address=$1 out="$work/sim-$1.out"
    shift
    mkfifo "$out"
    "$sim" --listen "$address:$port" --quiet "$@" >"$out" 2>/dev/null &
    sim_pids+=($!)
    local _ _2 listening
    read -r _ _2 listening <"$out"
    port=${listening##*:}
}

stop_sims() {
    local pid
    for pid in "${sim_pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    sim_pids=()
}

clock_ticks=$(getconf CLK_TCK)
# A file descriptor that never becomes readable: `read -t` on it waits
# without starting a process, so the polling below adds nothing to the
# children's CPU time that is measured.
exec {never}<> <(:)

# CPU time in clock ticks, into `ticks`: of this shell's waited-for children
# (cutime + cstime), or of a running process (utime + stime).
cpu_ticks() {
    local stat
    read -r stat <"/proc/$1/stat"
    stat=${stat##*) }
    read -r -a fields <<<"$stat"
    if [[ $1 == "$$" ]]; then ticks=$((fields[13] + fields[14])); else ticks=$((fields[11] + fields[12])); fi
}

# Of every simulator, into `ticks`.
sims_ticks() {
    local total=0 pid
    for pid in "${sim_pids[@]}"; do cpu_ticks "$pid"; total=$((total + ticks)); done
    ticks=$total
}

# Waits for the child PID to end, into `status`, and its peak resident
# memory, into `peak_kib`; only builtins while it runs.
watch_peak() {
    local pid=$1 state= key value _
    peak_kib=0
    while read -r state 2>/dev/null </proc/$pid/stat && [[ $state != *") Z "* ]]; do
        { while read -r key value _; do
            if [[ $key == VmHWM: ]] && ((value > peak_kib)); then peak_kib=$value; fi
        done; } 2>/dev/null </proc/$pid/status || true
        read -t 0.02 -u "$never" || true
    done
    status=0
    wait "$pid" || status=$?
}
