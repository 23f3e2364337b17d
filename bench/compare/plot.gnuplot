# The performance picture: cost per operation against the number of records, log-log, our
# operations (solid) beside their baselines and peers (dashed), all measured in the same run.
# gnuplot -e "data='PLOT_COLUMNS'; output='PNG'" bench/compare/plot.gnuplot
set terminal pngcairo size 2000,700 font "sans,10"
set output output
set datafile missing "?"
set logscale xy
set format x "10^{%L}"
set format y "10^{%L}"
set xlabel "records in the file"
set ylabel "ns per operation"
set grid
set bmargin 11
set key below vertical maxcols 1 Left reverse font ",9" noenhanced
set xrange [500:20000000]
ours = "lw 2.5 pt 7 ps 0.8"
peer = "lw 1.5 pt 6 ps 0.8 dt 2"

set multiplot layout 1,4 title "Cost per operation against file size, each beside its baselines (same run)"

set title "Cycle: OPEN read-only, 3 INPUTs, CLOSE (per cycle)"
plot data using 1:"cycle.module_warm" with linespoints @ours lc rgb "#1f77b4" title "cycle, index cached", \
     data using 1:"cycle.module_cold" with linespoints @ours lc rgb "#9467bd" title "cycle, cache emptied (a load)", \
     data using 1:"cycle.ombra_warm" with linespoints @ours lc rgb "#17becf" title "cycle in an ombra script (CPU)", \
     data using 1:"cycle.floor" with linespoints @peer lc rgb "#555555" title "open, 3 preads, close (limit)", \
     data using 1:"cycle.sqlite" with linespoints @peer lc rgb "#d62728" title "SQLite open, prepare, 3 SELECTs, close"

set title "Load (per record)"
plot data using 1:"load.module" with linespoints @ours lc rgb "#1f77b4" title "EnsureLoaded", \
     data using 1:"load.line_pass" with linespoints @peer lc rgb "#555555" title "read+memchr line pass (limit)", \
     data using 1:"load.sqlite_import" with linespoints @peer lc rgb "#d62728" title "SQLite bulk import"

set title "Lookup (per record read)"
plot data using 1:"lookup.input" with linespoints @ours lc rgb "#1f77b4" title "INPUT", \
     data using 1:"lookup.pread" with linespoints @peer lc rgb "#555555" title "one pread (limit)", \
     data using 1:"lookup.sqlite_default" with linespoints @peer lc rgb "#d62728" title "SQLite SELECT, default cache", \
     data using 1:"lookup.sqlite_cached" with linespoints @peer lc rgb "#ff7f0e" title "SQLite SELECT, cache holds table", \
     data using 1:"lookup.unordered_map" with linespoints @peer lc rgb "#2ca02c" title "std::unordered_map in memory"

set title "Update (per change)"
plot data using 1:"update.output_in_place" with linespoints @ours lc rgb "#1f77b4" title "OUTPUT in place", \
     data using 1:"update.output_append" with linespoints @ours lc rgb "#17becf" title "OUTPUT appended, compactions excluded", \
     data using 1:"update.output_append_compacting" with linespoints @ours lc rgb "#9467bd" title "OUTPUT appended, with compactions", \
     data using 1:"update.pwrite" with linespoints @peer lc rgb "#555555" title "one pwrite (limit)", \
     data using 1:"update.contract_floor" with linespoints @peer lc rgb "#8c564b" title "close, open, pread, pwrite (limit)", \
     data using 1:"update.sqlite_wal" with linespoints @peer lc rgb "#e377c2" title "SQLite upsert, WAL, synchronous=NORMAL", \
     data using 1:"update.sqlite_transaction" with linespoints @peer lc rgb "#ff7f0e" title "SQLite upsert, one transaction"

unset multiplot
