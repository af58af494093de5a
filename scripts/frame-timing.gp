# Draws frame-timing.png from the sandbox's frame-timing.csv: one row per card, on the
# left the interval from one pass to the next over the run against the blank period,
# with the passes that came after a missed blank marked; on the right the spread of
# the card's pass durations. The sandbox runs it as
#   gnuplot -e "csv='...'; png='...'; cards=N; seconds=S; period=16.667; heading='...'; title0='...'; ..." frame-timing.gp
# (titleI names card I; its rows in the file start with "#I").

set datafile separator comma
set datafile commentschars ""  # the card column starts with "#"
rowpx = 200
toppx = 70
set terminal pngcairo size 1500, (rowpx * cards + toppx) font "DejaVu Sans,10"
set output png

# Columns: 1 card, 2 pass, 3 start_ms, 4 duration_ms, 5 interval_ms, 6 missed_blanks
card(i) = sprintf("#%d", i)
top = 3 * period
clip(v) = v > top ? top * 0.985 : v
# Logarithmic bins, ten to a decade, so that the bulk and the slow tail both show.
bin(x) = 10 ** ((floor(log10(x > 0.001 ? x : 0.001) * 10) + 0.5) / 10)
height = 1.0 * rowpx / (rowpx * cards + toppx)
split = 0.70

set multiplot title heading font ",13"
set grid lc rgb "#dddddd"
do for [i=0:cards-1] {
    bottom = 1 - 1.0 * toppx / (rowpx * cards + toppx) - (i + 1) * height
    if (i == 0) {
        set key at screen 0.99, screen 0.995 right top horizontal font ",9" samplen 2
    } else {
        unset key
    }

    set size split, height
    set origin 0, bottom
    set lmargin 9
    set rmargin 2
    unset logscale
    set xrange [0:seconds]
    set yrange [0:top]
    set ylabel "interval (ms)"
    set xlabel (i == cards - 1) ? "time since start (s)" : ""
    set title value(sprintf("title%d", i)) offset 0,-0.7
    plot csv skip 1 using ($3 / 1000):(strcol(1) eq card(i) && $2 > 1 ? clip($5) : NaN) \
             with points pt 7 ps 0.25 lc rgb "#1f5fbf" title "pass-to-pass interval", \
         period with lines dt 2 lw 2 lc rgb "#2ca02c" title sprintf("blank period %.2f ms", period), \
         csv skip 1 using ($3 / 1000):(strcol(1) eq card(i) && $6 > 0 ? clip($5) : NaN) \
             with points pt 9 ps 1.1 lc rgb "#d62728" title "pass after missed blank(s) (intervals over the top drawn at it)"

    unset key
    set size 1 - split, height
    set origin split, bottom
    set lmargin 11
    set logscale xy
    set xrange [0.05:200]
    set yrange [0.8:*]
    set ylabel "passes"
    set xlabel (i == cards - 1) ? "pass duration (ms)" : ""
    set title "pass durations (first call to the end of endFrame())" offset 0,-0.7
    set arrow 1 from period, graph 0 to period, graph 1 nohead dt 2 lw 2 lc rgb "#2ca02c"
    # Other cards weigh nothing: an undefined point would split the sums into blocks.
    plot csv skip 1 using (bin($4)):(strcol(1) eq card(i) ? 1.0 : 0.0) smooth frequency \
             with impulses lw 5 lc rgb "#1f5fbf" notitle
    unset arrow 1
}
unset multiplot
