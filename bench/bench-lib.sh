# Shared by the bench/run-* scripts; scripts/bench sets the environment they rely on:
#   KELVO_BENCH_WIN64    the win64 build folder (toolbox, harness, stand-ins)
#   KELVO_BENCH_WIN32    the win32 release build folder
#   KELVO_BENCH_URL      the version page on the loopback HTTPS server
#   KELVO_BENCH_RESULTS  the file the result rows are appended to
#   KELVO_WINE_ROOT      the benchmark's Wine instance "zh", already up (tests/support/wine)
# Scripts run from the top folder of the repository. A script prints what it likes and reports
# each figure with bench_row.

bench_session=tests/support/wine/wine-session

# Runs a Windows program under the benchmark's Wine instance.
bench_wine() {
  KELVO_WINE_RUN_TIMEOUT="${KELVO_WINE_RUN_TIMEOUT:-900}" "$bench_session" run zh "$@"
}

# The value of a "name value" line in a file.
bench_value() {
  awk -v name="$1" '$1 == name {sub(/\r$/, "", $2); print $2; exit}' "$2"
}

# a / b with two decimals; "-" when b is 0 or missing.
bench_ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 == 0) print "-"; else printf "%.2f\n", a / b }'
}

# True when the awk condition holds for a and b, e.g. bench_holds "$v" "<=" "$limit".
bench_holds() {
  awk -v a="$1" -v b="$3" "BEGIN { exit !(a + 0 $2 b + 0) }"
}

# One row of the result table: figure, value, reference, ratio, goal, verdict (met / NOT met).
bench_row() {
  local row
  row=$(printf '| %s | %s | %s | %s | %s | %s |' "$@")
  echo "$row"
  echo "$row" >>"$KELVO_BENCH_RESULTS"
}

bench_verdict() {
  if "$@"; then echo met; else echo "NOT met"; fi
}

# The Linux process that runs a Windows program started with that path (its first argument).
bench_unix_pid() {
  local exe="$1" pid
  for pid in $(pgrep -f -- "$exe"); do
    [ "$(tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | head -1)" = "$exe" ] && { echo "$pid"; return 0; }
  done
  return 1
}

# User plus system CPU time of a Linux process, in clock ticks (all its threads).
bench_cpu_ticks() {
  awk '{sub(/^.*\) /, ""); print $12 + $13}' "/proc/$1/stat"
}

# CPU time of a Linux process's live threads in ns, from their scheduler statistics: /proc/stat's
# clock ticks of 10 ms are too coarse for a process that sleeps 60 s.
bench_cpu_ns() {
  cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%.0f\n", ns}'
}

# Resident memory of a Linux process in kB.
bench_rss_kb() {
  awk '/^VmRSS:/ {print $2}' "/proc/$1/status"
}
