#!/usr/bin/env bash
# sondrix on the FLTK backend under Xvfb against the sensor emulator: the CPU it uses while connected
# and polling, and how late each reply is read after the whole-frame wait. Run by hand, not by ctest:
#
#   bash tests/bench/sondrix_cpu_bench.sh [--build DIR] [--seconds N] [--models "rs485 kline"]
#                                         [--trace] [--keep]
#
# For each model (its readings wander, as a real sensor's do, so the window changes on every poll)
# and while unconnected, once the program has settled:
# - CPU: utime+stime from /proc/PID/stat over N seconds (default 20), as % of one core, with the
#   scheduler's exact run time (/proc/PID/schedstat) beside it. fltk_tick_reference, a bare FLTK
#   window ticking every 10 ms like the receive timer, runs at the same time: the floor of the figure
#   on this machine.
# - Reply lateness: the log stamps " ---> " when a reply is read (ms, local time); the emulator
#   (--stamps) prints when it wrote each answer (us, the same wall clock). Per reply:
#   read - (written + count * 8000 / baud + 100 ms), the product's whole-frame wait counted from the
#   true arrival. The receive timer only sees the first byte at its next tick.
# - With --trace (needs strace; a second pass whose CPU is not counted): the same replies timed from
#   the program's system calls. "seen" is the first queue count showing the reply, where the
#   program's own wait starts; "read" the read of the reply; "drawn" the next wait for events, by
#   which the window's changes have gone to the X server.
# Unconnected it runs once with the machine's serial ports (a silent one is probed) and, as root,
# once with none at all (an empty /sys/class/tty in a mount namespace of its own).
# --keep leaves the logs, emulator output and traces in /tmp.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build
seconds=20
models="rs485 kline"
trace=false
keep=false
usage="usage: $0 [--build DIR] [--seconds N] [--models \"rs485 kline\"] [--trace] [--keep]"
while (($#)); do
    case $1 in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --models) models=$2; shift 2 ;;
    --trace) trace=true; shift ;;
    --keep) keep=true; shift ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
done
bin=$build/bin
for tool in xvfb-run awk; do command -v $tool >/dev/null || { echo "$tool is missing" >&2; exit 1; }; done
$trace && { command -v strace >/dev/null || { echo "strace is missing" >&2; exit 1; }; }
for program in sondrix sensor_emulator fltk_tick_reference; do
    [[ -x $bin/$program ]] || { echo "build $program in $build first" >&2; exit 1; }
done

work=$(mktemp -d /tmp/sondrix_bench.XXXXXX)
# What this script started: the processes to end (the programs themselves, so that xvfb-run takes
# its Xvfb down; the emulator, which then removes its port map) and the jobs to wait for.
ending=()
jobs_started=()
stop_started() {
    local pid
    for pid in "${ending[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${jobs_started[@]}"; do wait "$pid" 2>/dev/null || true; done
    ending=()
    jobs_started=()
}
trap 'stop_started; if $keep; then echo "logs kept in $work"; else rm -rf "$work"; fi' EXIT

now_of_day() { date +%H:%M:%S.%N; }

# Waits up to $2 seconds for a line matching $3 in file $1.
wait_for() {
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        grep -qa -- "$3" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "timed out waiting for \"$3\" in $1" >&2
    return 1
}

# Starts program $2 in folder $1 under an Xvfb of its own, behind the prefix command words in
# ${prefix[@]} (may be empty); sets started_pid to the program's own pid. One at a time: xvfb-run
# picks a free display number racily.
start_on_xvfb() {
    (cd "$1" && exec "${prefix[@]}" xvfb-run -a -n $((100 + RANDOM % 800)) \
        sh -c 'echo $$ > program.pid; exec "$0"' "$2") >"$1/program.out" 2>&1 &
    jobs_started+=($!)
    wait_for "$1/program.pid" 15 .
    started_pid=$(cat "$1/program.pid")
    ending+=("$started_pid")
}

# Starts sondrix with SONDRIX_PORTS=$2 in folder $1 and the reference beside it; sets sondrix_pid and
# reference_pid.
start_programs() {
    mkdir -p "$1/reference"
    export SONDRIX_PORTS=$2
    start_on_xvfb "$1" "$bin/sondrix"
    sondrix_pid=$started_pid
    prefix=()
    start_on_xvfb "$1/reference" "$bin/fltk_tick_reference"
    reference_pid=$started_pid
}

cpu_of() { echo "$(awk '{print $14 + $15}' /proc/$1/stat) $(awk '{print $1}' /proc/$1/schedstat)"; }

# CPU of sondrix and of the reference over the same $seconds, as % of one core.
measure_cpu() {
    local hz a b ra rb
    hz=$(getconf CLK_TCK)
    a=$(cpu_of "$sondrix_pid")
    ra=$(cpu_of "$reference_pid")
    sleep "$seconds"
    b=$(cpu_of "$sondrix_pid")
    rb=$(cpu_of "$reference_pid")
    awk -v a="$a" -v b="$b" -v ra="$ra" -v rb="$rb" -v hz="$hz" -v s="$seconds" '
        function percent(x, y,   p, q) { split(x, p); split(y, q); return sprintf("%.2f%% (schedstat %.3f%%)",
            (q[1] - p[1]) / hz / s * 100, (q[2] - p[2]) / 1e7 / s) }
        BEGIN { printf "CPU %s; bare FLTK 10 ms tick beside it %s\n", percent(a, b), percent(ra, rb) }'
}

# Common awk: ms of the day from "hh:mm:ss.frac", and median/worst of an array.
awk_lib='
function ms(t,   p) { split(t, p, ":"); return (p[1] * 3600 + p[2] * 60 + p[3]) * 1000 }
function report(name, v, n,   i, j, x) {
    if (n == 0) { printf "  %-28s no replies\n", name; return }
    for (i = 2; i <= n; i++) { x = v[i]; for (j = i - 1; j >= 1 && v[j] > x; j--) v[j + 1] = v[j]; v[j + 1] = x }
    printf "  %-28s median %6.2f ms, worst %6.2f ms, best %6.2f ms (%d replies)\n", name,
        (n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2), v[n], v[1], n
}
# Emulator line "  sent N bytes: first DATE TIME, last DATE TIME" -> sentAt[], sentCount[], sent
function take_sent(   t) { t = $6; sub(",", "", t); sent++; sentAt[sent] = ms(t); sentCount[sent] = $2 }
# The answer written last at or before t, if within a second: its index, else 0.
function answer_before(t,   i) {
    for (i = sent; i >= 1; i--) if (sentAt[i] <= t) return (t - sentAt[i] < 1000) ? i : 0
    return 0
}
'

# Reply lateness from the log and the emulator's stamps, between the times of day $3 and $4.
lateness_from_log() {
    awk -v baud="$1" -v from="$3" -v to="$4" "$awk_lib"'
        FNR == 1 { file++ }
        file == 1 && $1 == "sent" { take_sent() }
        file == 2 && index($0, " ---> ") {
            r = ms($2); if (r < ms(from) || r > ms(to)) next
            if (!(i = answer_before(r))) next
            late[++n] = r - (sentAt[i] + sentCount[i] * 8000 / baud + 100)
        }
        END { report("read - (written + wait):", late, n) }' "$2/emulator.out" "$2/log.txt"
}

# The same replies timed from strace -tt output ($2/trace.txt).
lateness_from_trace() {
    awk -v baud="$1" "$awk_lib"'
        FNR == 1 { file++ }
        file == 1 && $1 == "sent" { take_sent() }
        file == 2 && $2 ~ /^ioctl\(/ && $3 == "FIONREAD," {
            fd = $2; sub(/^ioctl\(/, "", fd); sub(/,$/, "", fd); port = fd
            count = $4; gsub(/[^0-9]/, "", count); count += 0
            if (count > 0 && !seen) seen = ms($1)
            waiting = count
        }
        file == 2 && port != "" && index($2, "read(" port ",") == 1 && seen {
            r = ms($1)
            if ((i = answer_before(r))) {
                wait = waiting * 8000 / baud + 100
                lag[++n] = seen - sentAt[i]; late[n] = r - (seen + wait); due[n] = sentAt[i] + wait
                pending = 1
            }
            seen = 0
        }
        file == 2 && pending && $2 ~ /^p?select/ { shown[n] = ms($1) - r; drawn[n] = ms($1) - due[n]; pending = 0 }
        END {
            if (pending) n--
            report("seen - written:", lag, n)
            report("read - (seen + wait):", late, n)
            report("drawn - read:", shown, n)
            report("drawn - (written + wait):", drawn, n)
        }' "$2/emulator.out" "$2/trace.txt"
}

# Runs sondrix against the emulator playing model $1.
bench_model() {
    local model=$1 dir=$work/$1 baud=19200 from to
    [[ $model == kline ]] && baud=9600
    mkdir -p "$dir"
    "$bin/sensor_emulator" --model "$model" --stamps --wander >"$dir/emulator.out" 2>&1 &
    jobs_started+=($!)
    ending+=($!)
    wait_for "$dir/emulator.out" 10 "^export SONDRIX_PORTS="
    prefix=()
    start_programs "$dir" "$(sed -n 's/^export SONDRIX_PORTS=//p' "$dir/emulator.out")"
    wait_for "$dir/log.txt" 30 " ---> "
    sleep 3 # adopted; let the first polls and the window settle
    from=$(now_of_day)
    echo "$model: $(measure_cpu)"
    to=$(now_of_day)
    lateness_from_log $baud "$dir" "$from" "$to"
    if $trace; then
        timeout -s INT "$seconds" strace -tt -e trace=ioctl,read,pselect6,select -e signal=none \
            -p "$sondrix_pid" -o "$dir/trace.txt" 2>/dev/null || true
        lateness_from_trace $baud "$dir"
    fi
    stop_started
}

# Unconnected, scanning: with the machine's ports ($1 = ports) or with none at all ($1 = none).
bench_unconnected() {
    local dir=$work/unconnected-$1 ports
    mkdir -p "$dir/map"
    prefix=()
    [[ $1 == none ]] && prefix=(unshare -m sh -c 'mount -t tmpfs none /sys/class/tty && exec "$@"' hide)
    start_programs "$dir" "$dir/map"
    sleep 3
    if [[ $1 == none ]]; then
        echo "unconnected, no port at all: $(measure_cpu)"
    else
        ports=$(awk -F'\t' '$2 == "opened" { n = split($1, a, " "); sub(":", "", a[n]); print a[n] }' \
            "$dir/log.txt" | sort -u | tr '\n' ' ')
        echo "unconnected, the machine's ports (${ports:-none} probed): $(measure_cpu)"
    fi
    stop_started
}

echo "sondrix $bin/sondrix, $seconds s a measurement, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
[[ $(now_of_day) < 23:50 ]] || echo "close to midnight: the times of day may wrap" >&2
for model in $models; do bench_model "$model"; done
bench_unconnected ports
if [[ $EUID -eq 0 ]] && command -v unshare >/dev/null; then bench_unconnected none; fi
